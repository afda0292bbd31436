#include "app/exit_and_tray.h"

#include "app/app_messages.h"
#include "app/desktop_widget.h"
#include "app/exit_and_tray_internal.h"
#include "app/main_layout.h"
#include "app/secondary_windows.h"
#include "app/shell_globals.h"
#include "services/state/state_file.h"
#include "ui/message_box.h"
#include "ui/shell_state.h"
#include "ui/tray_icon.h"

#include <algorithm>
#include <vector>

namespace pm {

namespace {

// Windows ends a process some seconds after its WM_ENDSESSION returns; the operation's report must come
// well inside that.
constexpr DWORD SessionEndWaitMs = 4000;

// Handles the worker's messages (progress and completion) until the operation has reported or the
// time is up. Other messages stay queued: the session is ending, nothing else is due.
void waitForOperationReport(DWORD budgetMs) {
    const ULONGLONG deadline = GetTickCount64() + budgetMs;
    while (busy) {
        MSG message;
        if (PeekMessageW(&message, ui::mainWindow, WM_APP_PROGRESS, WM_APP_LARGE_RECYCLE_DONE, PM_REMOVE)) {
            DispatchMessageW(&message);
            continue;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        // Woken by the next post; the cap keeps the wait bounded whatever else arrives.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50)),
                                  QS_POSTMESSAGE | QS_SENDMESSAGE);
    }
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
    ui::showTrayBalloonOnce();
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
    // The user changed something: from now on the settings in memory are the ones to keep, so a save that
    // fails here is tried again by the refresh timer and at exit.
    stateFileHeld = false;
    try {
        saveAppState(ui::currentSettings);
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

void endSession() {
    if (ui::destroying) return;
    if (busy) {
        cancelRequested = true;
        exitAfterOperation = true;  // its completion handler records it and shows no box
        waitForOperationReport(SessionEndWaitMs);
    }
    // Nobody is there to answer a question. Exits now; behind an open box, or with the operation still
    // running, once that is over, as far as the system lets the process live.
    requestExit(true);
    if (!ui::destroying) saveSettingsAutomatically();
}

}  // namespace pm
