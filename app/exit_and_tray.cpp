#include "app/exit_and_tray.h"

#include "app/app_messages.h"
#include "app/desktop_widget.h"
#include "app/exit_and_tray_internal.h"
#include "app/main_layout.h"
#include "app/secondary_windows.h"
#include "app/shell_globals.h"
#include "services/i18n/translate.h"
#include "services/state/state_file.h"
#include "ui/message_box.h"
#include "ui/shell_state.h"
#include "ui/tray_icon.h"

#include <shellapi.h>

#include <cwchar>
#include <vector>

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

bool forceExit = false;

void requestExit(bool force) {
    if (ui::destroying) return;
    forceExit = forceExit || force;
    // Never pull the windows away from under an open box, menu, picker or the exit question itself.
    if (ui::modalDepth != 0 || exitQuestionOpen) {
        ui::exitPending = true;
        ui::hidePending = false;
        return;
    }
    ui::exitPending = false;
    ui::hidePending = false;

    if (busy && !exitAfterOperation && !forceExit) {
        ui::restoreMainWindow();  // the question must be seen
        exitQuestionOpen = true;
        const int answer = ui::showMessageBox(L"Остановить текущую операцию и закрыть приложение?", L"Pelmirt",
                                              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
        exitQuestionOpen = false;
        // "No" also drops a request that came while the question was open, unless it was forced (the
        // smoke timer): the user declined this exit, not that one, and the timer does not fire again.
        if (answer != IDYES && !forceExit) {
            ui::exitPending = false;
            return;
        }
    }

    cancelRequested = true;
    if (busy) {
        // The operation's completion handler sees exitAfterOperation and posts WM_APP+31.
        progressText = L"Отмена…";
        exitAfterOperation = true;
        layoutMainControls();
        return;
    }

    ui::destroying = true;
    ui::exitPending = false;
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
    // A copy: a history window may close itself while it reloads.
    const std::vector<HWND> windows(historyWindows);
    for (HWND window : windows) {
        if (IsWindow(window)) SendMessageW(window, WM_APP_SETTINGS_CHANGED, 0, 0);
    }
}

void saveWidgetPosition(HWND widget) {
    if (!widget || !IsWindow(widget) || IsIconic(widget)) return;
    RECT rect{};
    if (!GetWindowRect(widget, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) return;
    ui::currentSettings.widget_x = rect.left;
    ui::currentSettings.widget_y = rect.top;
    ui::currentSettings.widget_position_saved = true;
    saveSettingsOrReport();
}

}  // namespace pm
