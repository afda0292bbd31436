#include "ui/window_focus.h"

#include "ui/message_box.h"

namespace pm::ui {

namespace {

// The direct child of the window that is or holds `inner`, or null when `inner` is not inside the window.
HWND controlOf(HWND window, HWND inner) {
    if (!window || !inner || !IsChild(window, inner)) return nullptr;
    for (HWND parent = GetAncestor(inner, GA_PARENT); parent != window; parent = GetAncestor(inner, GA_PARENT)) {
        if (!parent) return nullptr;
        inner = parent;
    }
    return inner;
}

}  // namespace

bool canTakeFocus(HWND control) {
    return control && IsWindowVisible(control) && IsWindowEnabled(control);
}

HWND focusedControl(HWND window) { return controlOf(window, GetFocus()); }

void keepFocusOnAControl(HWND window, FocusMemory& memory, HWND hadFocus, bool operationRunning) {
    const HWND had = controlOf(window, hadFocus);
    if (!had || canTakeFocus(had)) return;
    const HWND now = focusedControl(window);
    if (now && now != had && canTakeFocus(now)) return;  // already on a control that can keep it
    HWND next = memory.cancelId != 0 ? GetDlgItem(window, memory.cancelId) : nullptr;
    if (!canTakeFocus(next)) next = controlOf(window, GetNextDlgTabItem(window, had, FALSE));
    if (!canTakeFocus(next)) {
        // Disabling the focused control left the focus on no window, and keys then reach the active
        // window as WM_SYSKEYDOWN, which nothing acts on: the frame takes them instead. Never a window
        // that is not active, which SetFocus would activate.
        if (!GetFocus() && GetActiveWindow() == window) SetFocus(window);
        return;
    }
    SetFocus(next);
    if (operationRunning && !memory.beforeOperation) {
        memory.beforeOperation = had;
        memory.duringOperation = next;
    }
}

void restoreFocusAfterOperation(HWND window, FocusMemory& memory, HWND hadFocus) {
    const HWND before = memory.beforeOperation;
    const HWND during = memory.duringOperation;
    memory.beforeOperation = memory.duringOperation = nullptr;
    if (!before) return;
    if (memory.whenDeactivated && memory.whenDeactivated == during) {
        memory.whenDeactivated = before;
        return;
    }
    if (hadFocus != window && controlOf(window, hadFocus) != during) return;  // the user moved it meanwhile
    if (canTakeFocus(before)) SetFocus(before);
}

void focusFirstControl(HWND window, FocusMemory& memory, HWND control) {
    control = controlOf(window, control);
    if (!canTakeFocus(control)) return;
    if (GetActiveWindow() == window) {
        SetFocus(control);
    } else {
        memory.whenDeactivated = control;  // what the activation gives the focus to
    }
}

bool keepWindowFocus(HWND window, FocusMemory& memory, UINT message, WPARAM wParam, bool operationRunning) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                // A window minimised while active may stay active with the focus on nothing (Windows takes
                // it from the control): the control read at the minimise stays remembered.
                const HWND control = focusedControl(window);
                if (control || !IsIconic(window)) memory.whenDeactivated = control;
                return false;
            }
            if (!IsWindowEnabled(window)) passActivationToOpenDialog();
            // Activated while minimised: nothing has the focus until the restore, which focuses the frame
            // (Windows and Wine do): its WM_SETFOCUS gives the control the focus then.
            if (HIWORD(wParam) != 0) return false;
            break;
        case WM_SETFOCUS:
            // A control of a minimised window cannot take the focus (SetFocus refuses): it is kept for the
            // restore. Wine focuses the frame when it activates a minimised window.
            if (IsIconic(window)) return false;
            break;
        case WM_SYSCOMMAND:
        case WM_SIZE: {
            // A minimised window may stay the active one, so no deactivation tells which control had the
            // focus: read before the minimise (the user's command) and as it happens (ShowWindow; Wine
            // keeps the focus on the control meanwhile, Windows takes it away).
            const bool minimising = message == WM_SIZE ? wParam == SIZE_MINIMIZED : (wParam & 0xFFF0) == SC_MINIMIZE;
            if (const HWND control = minimising ? focusedControl(window) : nullptr) memory.whenDeactivated = control;
            return false;
        }
        default:
            return false;
    }
    const HWND control = memory.whenDeactivated;
    memory.whenDeactivated = nullptr;
    if (control && IsWindow(control) && GetAncestor(control, GA_PARENT) == window) {
        if (canTakeFocus(control)) {
            SetFocus(control);
        } else {
            keepFocusOnAControl(window, memory, control, operationRunning);  // disabled or hidden meanwhile
        }
    }
    // A control that has the focus keeps it: the activation that follows a restore (Wine sends one)
    // would otherwise move it to the frame.
    return focusedControl(window) != nullptr;
}

}  // namespace pm::ui
