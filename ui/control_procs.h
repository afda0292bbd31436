// Subclass procedures of the custom controls (SetWindowSubclass, id 1). Each removes itself on
// WM_NCDESTROY. The three button procedures answer the dialog manager as push buttons (WM_GETDLGCODE),
// the focused one as the default, so Enter presses the focused button in every window.
#pragma once

#include <windows.h>

namespace pm::ui {

// The main window's owner-drawn buttons: keeps hover and pressed of buttonStates[id] and repaints
// with the animation timer; the painting itself is the owner's WM_DRAWITEM.
LRESULT CALLBACK customButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR data);
// Buttons drawn by their owner that only need a repaint when the pointer or the focus comes or goes.
LRESULT CALLBACK hoverRepaintProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR data);
// The desktop widget's buttons: keeps hover and pressed in the widget's record (the parent's
// GWLP_USERDATA) and repaints the whole widget, which draws its buttons into its own frame.
LRESULT CALLBACK widgetButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR data);
// Report list views: hands their own header's NM_CUSTOMDRAW to the list's parent, which a list view
// otherwise keeps to itself, so the parent can draw themed headers.
LRESULT CALLBACK listHeaderForwardProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);

}  // namespace pm::ui
