#include "ui/key_repeat.h"

namespace pm::ui {

namespace {

constexpr LPARAM KeyWasDown = LPARAM{1} << 30;

}  // namespace

bool isRepeatThatPressesOrCancels(const MSG& message) {
    if (message.message != WM_KEYDOWN || !(message.lParam & KeyWasDown) || !message.hwnd) return false;
    if (message.wParam == VK_ESCAPE) return true;
    if (message.wParam != VK_RETURN && message.wParam != VK_SPACE) return false;
    // The dialog manager asks the control the same way, with the message, before acting on the key.
    const auto code = static_cast<UINT>(
        SendMessageW(message.hwnd, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message)));
    if (message.wParam == VK_SPACE) return (code & DLGC_BUTTON) != 0;
    return (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) == 0;
}

}  // namespace pm::ui
