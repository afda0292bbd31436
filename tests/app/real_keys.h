// Real key presses for the window tests: through the system's input queue, each message routed as the
// program's message loop routes it (keys of the secondary windows, dialog keys, dispatch).
#pragma once

#include "app/program_internal.h"

#include <windows.h>

#include <vector>

namespace pm::test {

// What a routing takes from the queue: every message, or the keyboard's alone. With the keyboard's alone, a
// worker's report that its operation has ended stays queued: to the program the operation still runs when
// the keys arrive, however soon its worker is done.
enum class Taken { Everything, KeyboardOnly };

// One key event into the system's input queue, as the keyboard puts it there; nothing is routed.
inline bool sendKeyEvent(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return SendInput(1, &input, sizeof(INPUT)) == 1;
}

// One key event, routed as the program's message loop routes it, with whatever was queued before it (of
// the messages `taken`); done once the program has handled that event and nothing after it. The lParam of
// every WM_KEYDOWN of the key routed meanwhile goes to `downs`. False when the event did not arrive within
// five seconds.
inline bool routeKeyEvent(WORD key, bool up, std::vector<LPARAM>* downs = nullptr, Taken taken = Taken::Everything) {
    if (!sendKeyEvent(key, up)) return false;
    const UINT expected = up ? WM_KEYUP : WM_KEYDOWN;
    const UINT first = taken == Taken::KeyboardOnly ? WM_KEYFIRST : 0;
    const UINT last = taken == Taken::KeyboardOnly ? WM_KEYLAST : 0;
    const ULONGLONG deadline = GetTickCount64() + 5000;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, first, last, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            routeMessage(message);
            if (message.wParam != key) continue;
            if (downs && message.message == WM_KEYDOWN) downs->push_back(message.lParam);
            if (message.message == expected) return true;
        }
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// A fresh press, routed: a key still down (a case before this one, on the same desktop, may have left it
// so: the key state is the wineserver's, not the process's) is released first, or the press would arrive
// as a repeat, which the program drops.
inline bool routeFreshPress(WORD key, std::vector<LPARAM>* downs = nullptr, Taken taken = Taken::Everything) {
    if (GetAsyncKeyState(key) < 0 && !routeKeyEvent(key, true, nullptr, taken)) return false;
    return routeKeyEvent(key, false, downs, taken);
}

// The key held: a fresh press, `repeats` repeats by the keyboard, the release, each routed. Returns the
// lParam of every WM_KEYDOWN of the key routed; fewer than 1 + `repeats` when a key event did not arrive.
inline std::vector<LPARAM> routeHeldKey(WORD key, int repeats) {
    std::vector<LPARAM> downs;
    if (!routeFreshPress(key, &downs)) return downs;
    for (int repeat = 0; repeat < repeats; ++repeat) {
        if (!routeKeyEvent(key, false, &downs)) return downs;
    }
    routeKeyEvent(key, true);
    return downs;
}

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
