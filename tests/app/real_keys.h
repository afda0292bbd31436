// Real key presses for the window tests: through the system's input queue, each message routed as the
// program's message loop routes it (keys of the secondary windows, dialog keys, dispatch).
#pragma once

#include "app/program_internal.h"

#include <windows.h>

namespace pm::test {

// One press and release of the key. True once the release has been routed (a key that reaches no focused
// window comes to the active one as WM_SYSKEYUP); false after three seconds without it.
inline bool pressKey(WORD key) {
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    if (SendInput(2, input, sizeof(INPUT)) != 2) return false;
    const ULONGLONG deadline = GetTickCount64() + 3000;
    MSG message;
    while (GetTickCount64() < deadline) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            routeMessage(message);
            if ((message.message == WM_KEYUP || message.message == WM_SYSKEYUP) && message.wParam == key) return true;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return false;
}

}  // namespace pm::test
