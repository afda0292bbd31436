// Real key presses for the window tests: through the system's input queue, each message routed as the
// program's message loop routes it (keys of the secondary windows, dialog keys, dispatch).
#pragma once

#include "app/program_internal.h"

#include <windows.h>

namespace pm::test {

// One press and release of the key. Returns the window that took the press as WM_KEYDOWN (the focused one),
// or null when none did (with nothing focused the key comes to the active window as WM_SYSKEYDOWN). Done
// when the release has been routed, when the window that took the press is gone (its release then reaches no
// window), or after three seconds. A key still down (another case on the same desktop may have left it so:
// the key state is the wineserver's, not the process's) is released first, or the press would arrive as a
// repeat, which the program drops.
inline HWND pressKey(WORD key) {
    INPUT input[3]{};
    for (INPUT& event : input) {
        event.type = INPUT_KEYBOARD;
        event.ki.wVk = key;
    }
    input[0].ki.dwFlags = input[2].ki.dwFlags = KEYEVENTF_KEYUP;
    const UINT count = GetAsyncKeyState(key) < 0 ? 3 : 2;
    if (SendInput(count, input + 3 - count, sizeof(INPUT)) != count) return nullptr;
    HWND pressed = nullptr;
    bool down = false, released = false;
    const ULONGLONG deadline = GetTickCount64() + 3000;
    MSG message;
    while (!released && !(pressed && !IsWindow(pressed)) && GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.wParam == key) {
                if (message.message == WM_KEYDOWN) pressed = message.hwnd;
                down = down || message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
                released = released || (down && (message.message == WM_KEYUP || message.message == WM_SYSKEYUP));
            }
            routeMessage(message);
        }
    }
    return pressed;
}

}  // namespace pm::test
