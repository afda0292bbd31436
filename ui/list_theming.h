// Subclass procedures that keep the system-drawn parts of list views and edit boxes in the theme:
// the list-header eraser and the dark scroll-bar painter.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace pm::ui {

inline constexpr UINT_PTR SurfaceEraseSubclassId = 1;
inline constexpr UINT_PTR DarkScrollBarSubclassId = 8;
inline constexpr UINT_PTR ScrollBarRepaintTimerId = 751;

// Erases the window with the theme's surface colour. Subclass id 1.
LRESULT CALLBACK surfaceEraseProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR data);
// Paints the window's scroll bars dark while the theme is dark and not high contrast. Subclass id 8;
// owns timer 751 of the window.
LRESULT CALLBACK darkScrollBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR data);
struct BackBuffer;

// One item of a report list's header in the theme, through buffer: surface background, the item's text
// (HDM_GETITEMW) at 14 DIP (12 at least) in the text colour, inset 10 DIP, right-aligned in a
// right-to-left language. CDRF_SKIPDEFAULT when drawn, 0 (default drawing) when the buffer failed.
LRESULT drawThemedHeaderItem(const NMCUSTOMDRAW& draw, BackBuffer& buffer, float scale);
// After a control's own WM_PAINT or WM_PRINTCLIENT: paint runs on the DC the message gave (wParam), or
// on the control's client DC when it painted through BeginPaint.
void paintOverControl(HWND control, WPARAM givenDc, void (*paint)(HWND, HDC));
// Draws over the system's scroll bars in the window DC: black track, rounded thumb, chevrons.
void paintScrollBars(HWND window, COLORREF thumb, COLORREF arrows);

}  // namespace pm::ui
