// The frame and drop-down button of a combo box in the dark theme. The system draws them in its own
// light colours around the themed edit field or the owner-drawn selection field; this subclass paints
// them over afterwards.
#pragma once

#include <windows.h>

namespace pm::ui {

inline constexpr UINT_PTR ComboFrameSubclassId = 1;

// While the theme is dark and not high contrast: after the combo's own painting (WM_PAINT and
// WM_PRINTCLIENT), everything of its client area outside the edit field (or a drop-down list's selection
// field) becomes the card colour, with a one-pixel border in the border colour and a chevron in the muted
// text colour on the button. Otherwise the system's drawing stays. Subclass id 1; removes itself on
// WM_NCDESTROY.
LRESULT CALLBACK comboFrameProc(HWND combo, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR data);

}  // namespace pm::ui
