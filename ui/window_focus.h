// The keyboard focus of a window with child controls, kept as a dialog box keeps it: a control that an
// operation disables or hides hands the focus on instead of leaving the keyboard nowhere, and the control
// that had the focus when the window was deactivated or minimised has it again when the window comes back.
// UI thread only.
#pragma once

#include <windows.h>

namespace pm::ui {

// One per window, in the window's own state. Controls are direct children of the window.
struct FocusMemory {
    int cancelId = 0;                // the control that takes the focus from one an operation disabled (0: none)
    HWND whenDeactivated = nullptr;  // the control that had the focus when the window was deactivated, while away
    HWND beforeOperation = nullptr;  // the control an operation took the focus from
    HWND duringOperation = nullptr;  // the control that took it over
};

// Exists, is visible and is enabled.
bool canTakeFocus(HWND control);

// The window's control that has the focus or holds the window that has it (a combo box for its edit), or null.
HWND focusedControl(HWND window);

// After the window's controls were enabled, disabled, shown or hidden; hadFocus is what GetFocus answered
// before. When that control can no longer have the focus it goes to Cancel, else to the next control that
// can take it, else to the window itself (so that Escape and Tab still reach it). While an operation runs
// the control is remembered, to have the focus again when the operation ends.
void keepFocusOnAControl(HWND window, FocusMemory& memory, HWND hadFocus, bool operationRunning);

// At the end of the operation: the focus goes back to the control the operation took it from, unless the
// user moved it meanwhile. While the window is deactivated it goes back when the window is active again.
void restoreFocusAfterOperation(HWND window, FocusMemory& memory, HWND hadFocus);

// As the window opens: the control (its first, the one a user reads or types in first) gets the focus, as
// in a dialog box, rather than the frame that the activation focuses, which takes no arrow or page keys.
// A window opened behind another one gives the control the focus when it is first activated.
void focusFirstControl(HWND window, FocusMemory& memory, HWND control);

// Every message of the window, before the window procedure acts on it. Deactivation and minimising
// remember the focused control; activation and the restore from minimised (WM_SETFOCUS of the frame) give
// the focus back to it, or, when it can no longer take it, as keepFocusOnAControl does. A window activated
// while an open dialog disables it hands the activation on to that dialog. True when a control
// got the focus: the window procedure then returns 0, since DefWindowProc would put the focus on the frame.
bool keepWindowFocus(HWND window, FocusMemory& memory, UINT message, WPARAM wParam, bool operationRunning);

}  // namespace pm::ui
