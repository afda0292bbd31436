// Real key presses for the window tests: through the system's input queue, each message routed as the
// program's message loop routes it (keys of the secondary windows, dialog keys, dispatch).
#pragma once

#include "app/program_internal.h"

#include <windows.h>

namespace pm::test {

// One press and release of the key. Returns the window that took the press as WM_KEYDOWN (the focused
// one), or null when none did (with nothing focused the key comes to the active window as WM_SYSKEYDOWN).
// Done when the release has been routed, when the window that took the press is gone (its release then
// reaches no window), or after three seconds.
inline HWND pressKey(WORD key) {
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    if (SendInput(2, input, sizeof(INPUT)) != 2) return nullptr;
    HWND pressed = nullptr;
    bool released = false;
    const ULONGLONG deadline = GetTickCount64() + 3000;
    MSG message;
    while (!released && !(pressed && !IsWindow(pressed)) && GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.wParam == key && message.message == WM_KEYDOWN) pressed = message.hwnd;
            released = released || (message.wParam == key &&
                                     (message.message == WM_KEYUP || message.message == WM_SYSKEYUP));
            routeMessage(message);
        }
    }
    return pressed;
}

}  // namespace pm::test
