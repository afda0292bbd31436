#include "ui/tray_icon.h"

#include "services/i18n/translate.h"
#include "ui/message_box.h"
#include "ui/shell_state.h"
#include "ui/tray_icon_internal.h"
#include "ui/window_focus.h"
#include "ui/window_utils.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>

namespace pm::ui {

namespace detail {

NotifyIconFn notifyIcon = Shell_NotifyIconW;

}  // namespace detail

namespace {

bool notify(DWORD action, NOTIFYICONDATAW& data) { return detail::notifyIcon(action, &data) != FALSE; }

// The call's data for icon 1 of the main window, with the flags of what the call is about.
NOTIFYICONDATAW iconCall(UINT flags) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = mainWindow;
    data.uID = TrayIconId;
    data.uFlags = flags;
    return data;
}

NOTIFYICONDATAW trayIconData(UINT flags) {
    NOTIFYICONDATAW data = iconCall(flags);
    data.uCallbackMessage = WM_APP_TRAY;
    data.hIcon = LoadIconW(appInstance, MAKEINTRESOURCEW(1));
    if (!data.hIcon) data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    const std::wstring tip = productTitle();
    const size_t length = std::min(tip.size(), std::size(data.szTip) - 1);
    tip.copy(data.szTip, length);
    data.szTip[length] = L'\0';
    return data;
}

void startRetryTimer() {
    SetTimer(mainWindow, TrayRetryTimerId, TrayRetryMilliseconds, nullptr);
}

}  // namespace

bool addTrayIcon() {
    if (trayIconAdded) return true;
    NOTIFYICONDATAW data = trayIconData(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
    if (notify(NIM_ADD, data)) {
        trayIconAdded = true;
    } else {
        // The shell refuses a second add of uID 1: the icon may have survived an earlier add.
        trayIconAdded = notify(NIM_MODIFY, data);
        if (!trayIconAdded) {
            startRetryTimer();
            return false;
        }
    }
    trayVersion4 = false;
    data.uVersion = NOTIFYICON_VERSION_4;
    trayVersion4 = notify(NIM_SETVERSION, data);
    KillTimer(mainWindow, TrayRetryTimerId);
    return true;
}

void updateTrayTip() {
    if (!mainWindow || destroying) return;
    if (!trayIconAdded) {
        addTrayIcon();
        return;
    }
    NOTIFYICONDATAW data = trayIconData(NIF_TIP | NIF_SHOWTIP);
    if (notify(NIM_MODIFY, data)) return;
    // The icon is gone (the shell restarted unnoticed): retry, and never leave a hidden application
    // without both a window and an icon.
    trayIconAdded = false;
    trayVersion4 = false;
    startRetryTimer();
    if (hiddenToTray) restoreMainWindow();
}

HWND activationTarget() {
    // The scope that opened a dialog knows it: once the disabled main window was activated (from the
    // taskbar, say), the main window counts as its own last active popup and the walk below ends on it.
    if (HWND dialog = openModalDialog()) return dialog;
    HWND target = mainWindow;
    for (int step = 0; step < 16; ++step) {
        HWND popup = GetLastActivePopup(target);
        if (!popup || popup == target || !IsWindowVisible(popup)) break;
        target = popup;
    }
    return target;
}

void restoreMainWindow() {
    if (!mainWindow || destroying) return;
    hidePending = false;
    hiddenToTray = false;
    // Showing the owner can activate it although an open dialog disables it (Wine does), and then
    // the owner counts as its own last active popup: the dialog found beforehand still wins.
    const HWND openPopup = activationTarget();
    ShowWindow(mainWindow, IsIconic(mainWindow) ? SW_RESTORE : SW_SHOW);
    for (HWND window : hiddenWithMain) {
        if (IsWindow(window)) ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    hiddenWithMain.clear();
    ++uiGeneration;
    InvalidateRect(mainWindow, nullptr, FALSE);
    updateAllWindows();
    startAnimationTimer();

    // An open message box or picker keeps activation and its own focus.
    HWND target = activationTarget();
    if (target == mainWindow && openPopup != mainWindow && IsWindowVisible(openPopup)) target = openPopup;
    SetForegroundWindow(target);
    // Activation has given the focus back to the control that had it; the frame takes it only when
    // nothing of the window has it (its WM_SETFOCUS still hands it to a remembered control).
    if (target == mainWindow && GetFocus() != mainWindow && !focusedControl(mainWindow)) SetFocus(mainWindow);
}

void showTrayBalloonOnce() {
    if (balloonShown) return;
    NOTIFYICONDATAW data = iconCall(NIF_INFO);
    data.dwInfoFlags = NIIF_INFO;
    std::wcsncpy(data.szInfoTitle, productTitle().c_str(), std::size(data.szInfoTitle) - 1);
    std::wcsncpy(data.szInfo, translate(L"Приложение работает в области уведомлений").c_str(),
                 std::size(data.szInfo) - 1);
    notify(NIM_MODIFY, data);
    balloonShown = true;
}

void deleteTrayIcon() {
    if (!trayIconAdded) return;
    NOTIFYICONDATAW data = iconCall(0);
    notify(NIM_DELETE, data);
    trayIconAdded = false;
}

}  // namespace pm::ui
