// The report list views of the secondary windows (a virtual list of files under a themed header): their
// theming subclasses, their reading direction, and their selected rows in the theme's colours.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace pm::ui {

// Full-row selection and double buffering; the header's custom draw handed to the list's parent, the
// dark scroll bars, and the header's background and the strip past its last column in the surface colour.
void installReportListTheming(HWND list);

// Mirrors the list and its header together for a right-to-left language (WS_EX_LAYOUTRTL with
// WS_EX_RTLREADING), or neither. A header created with its list does not follow a later change of the
// list's layout, so without this its column titles would stand over the wrong columns. The frames are
// recomputed only on a change.
void setListReadingLayout(HWND list, bool rightToLeft);

// NM_CUSTOMDRAW of the list itself: selected rows are drawn in the accent with its text colour while the
// list has the keyboard focus, and in the soft accent with the text colour while it has not, instead of
// the system's selection colours (which ignore the theme). High contrast keeps the system's colours.
LRESULT drawThemedListRow(NMLVCUSTOMDRAW& draw);

}  // namespace pm::ui
