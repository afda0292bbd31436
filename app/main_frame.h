// The main window's frame: rendering into its back buffer, the owner-drawn controls and its fonts.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace pm {

// The regular font is ui::mainFontRegular: the toolkit gives it to every control it creates.
extern HFONT mainFontBold;
extern HFONT mainFontSmall;

// Renders the frame into the main back buffer when uiGeneration moved.
void renderMainFrame();
// WM_DRAWITEM of the owner-drawn buttons and the language combo.
void onDrawItem(const DRAWITEMSTRUCT* item);
// Re-creates the three fonts for the layout scale and the language.
void rebuildMainFonts();
// Deletes the three fonts, the toolkit's regular one included (shut-down).
void deleteMainFonts();

// Subclass painter of the widget-opacity trackbar 140 (subclass id 1).
LRESULT CALLBACK opacitySliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR data);

}  // namespace pm
