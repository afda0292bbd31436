#include "app/exit_and_tray.h"

#include "app/app_messages.h"
#include "app/desktop_widget.h"
#include "app/secondary_windows.h"
#include "app/shell_globals.h"
#include "services/i18n/translate.h"
#include "services/state/state_file.h"
#include "ui/message_box.h"
#include "ui/shell_state.h"
#include "ui/tray_icon.h"

#include <shellapi.h>

#include <cwchar>

namespace pm {

namespace {

void showTrayBalloonOnce() {
    if (balloonShown) return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = ui::mainWindow;
    data.uID = 1;
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO;
    std::wcsncpy(data.szInfoTitle, ui::productTitle().c_str(), 63);
    std::wcsncpy(data.szInfo, translate(L"Приложение работает в области уведомлений").c_str(), 255);
    Shell_NotifyIconW(NIM_MODIFY, &data);
    balloonShown = true;
}

}  // namespace

void requestExit(bool) {
    // placeholder: the question while an operation runs, and the wait for its result (cancel, then
    // WM_APP+31), come with the exit sequence of the shell. No operation can run yet, so every request
    // that is not deferred by a modal scope goes straight to the final exit.
    if (ui::destroying) return;
    if (ui::modalDepth != 0 || exitQuestionOpen) {
        ui::exitPending = true;
        ui::hidePending = false;
        return;
    }
    ui::exitPending = false;
    ui::hidePending = false;
    cancelRequested = true;

    ui::destroying = true;
    exitAfterOperation = false;
    if (workerThread.joinable()) workerThread.join();
    saveSettingsAutomatically();
    destroySecondaryWindows();
    if (ui::mainWindow) DestroyWindow(ui::mainWindow);
}

void hideToTray() {
    if (ui::destroying || exitAfterOperation) return;
    if (ui::modalDepth != 0) {
        ui::hidePending = true;
        return;
    }
    ui::hidePending = false;
    // Never hide without an icon to come back through.
    if (!ui::addTrayIcon()) {
        ui::restoreMainWindow();
        return;
    }
    ui::hiddenWithMain.clear();
    forEachSecondaryWindow([](HWND window) {
        if (window == ui::widgetWindow || !IsWindowVisible(window)) return;
        ui::hiddenWithMain.push_back(window);
        ShowWindow(window, SW_HIDE);
    });
    ui::hiddenToTray = true;
    ShowWindow(ui::mainWindow, SW_HIDE);
    KillTimer(ui::mainWindow, TIMER_ANIMATION);
    ui::animationTimerRunning = false;
    showTrayBalloonOnce();
}

void broadcastSettingsChanged() {
    forEachSecondaryWindow([](HWND window) {
        if (window != ui::widgetWindow) SendMessageW(window, WM_APP_SETTINGS_CHANGED, 0, 0);
    });
    syncDesktopWidget();
    if (ui::widgetWindow && IsWindow(ui::widgetWindow)) SendMessageW(ui::widgetWindow, WM_APP_SETTINGS_CHANGED, 0, 0);
    refreshWidget();
}

void saveSettingsOrReport() {
    try {
        saveAppState(ui::currentSettings);
        stateFileHeld = false;
    } catch (...) {
        lastOperationKind = 0;
        statusText = L"Не удалось сохранить настройки. Проверьте доступ к LocalAppData.";
    }
}

void saveSettingsAutomatically() {
    if (!stateFileHeld) saveSettingsOrReport();
}

void refreshHistoryWindows() {
    // placeholder: the reload message to the history windows comes with the settings broadcast; no
    // history window exists yet.
}

void saveWidgetPosition(HWND) {
    // placeholder: storing the widget's corner in the settings comes with the exit and settings functions
    // of the shell; until then a moved widget opens at its default place again.
}

}  // namespace pm
