// The real main window of this process (mainWndProc, its controls, the real state file), created afresh
// for each test with the shell's globals as they are at start-up, plus stand-in secondary windows that
// count the settings-changed messages they receive.
#pragma once

#include "app/app_messages.h"
#include "app/exit_and_tray_internal.h"
#include "app/main_window.h"
#include "app/shell_globals.h"
#include "services/state/state_file.h"
#include "tests/support/test_files.h"
#include "ui/control_registry.h"
#include "ui/shell_state.h"
#include "ui/tray_icon_internal.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace pm::test {

inline std::wstring statePath() { return appDataDir() + L"\\state.dat"; }

// WM_APP+20 received, by window.
inline std::map<HWND, int> settingsChangedCount;

// A secondary window that counts WM_APP+20 and leaves its list when destroyed, as the real ones do.
inline LRESULT CALLBACK countingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP_SETTINGS_CHANGED) ++settingsChangedCount[window];
    if (message == WM_DESTROY) {
        for (std::vector<HWND>* list : {&historyWindows, &previewWindows}) {
            list->erase(std::remove(list->begin(), list->end(), window), list->end());
        }
        if (largeFilesWindow == window) largeFilesWindow = nullptr;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A notification area for the window's icon where the prefix has none (the null graphics driver): it
// records every call and takes or refuses them as the test says.
class RecordingShell {
public:
    struct Call {
        DWORD action;
        HWND window;
        UINT id;
    };
    static inline std::vector<Call> calls;
    static inline bool accepts = true;

    RecordingShell() : previous_(ui::detail::notifyIcon) {
        calls.clear();
        accepts = true;
        ui::detail::notifyIcon = record;
    }
    ~RecordingShell() { ui::detail::notifyIcon = previous_; }
    RecordingShell(const RecordingShell&) = delete;
    RecordingShell& operator=(const RecordingShell&) = delete;

private:
    static BOOL WINAPI record(DWORD action, PNOTIFYICONDATAW data) {
        calls.push_back(Call{action, data->hWnd, data->uID});
        return accepts ? TRUE : FALSE;
    }
    ui::detail::NotifyIconFn previous_;
};

class RealMainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        PM_REQUIRE_TEST_PREFIX();
        ui::appInstance = GetModuleHandleW(nullptr);
        ui::destroying = ui::exitPending = ui::hidePending = ui::hiddenToTray = false;
        ui::trayIconAdded = ui::trayVersion4 = ui::animationTimerRunning = false;
        ui::modalDepth = 0;
        ui::currentSettings = AppSettings{};
        ui::controlRegistry.clear();
        ui::hiddenWithMain.clear();
        stateFileHeld = false;
        smokeQuit = false;
        busy = exitAfterOperation = exitQuestionOpen = ui::balloonShown = forceExit = false;
        operationPhase = PhaseIdle;
        cancelRequested = false;
        progressText.clear();
        cleanSelection = {true, true, false};
        currentPage = 0;
        dpiScale = ui::layoutScale = 1.0f;
        settingsChangedCount.clear();
        registerMainWindowClass();
        WNDCLASSW counting{};
        counting.lpfnWndProc = countingWindowProc;
        counting.hInstance = ui::appInstance;
        counting.lpszClassName = L"PelmirtTestCounting";
        RegisterClassW(&counting);  // a repeated registration fails harmlessly
    }

    void TearDown() override {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
        pump();
        for (HWND window : std::vector<HWND>(historyWindows)) DestroyWindow(window);
        for (HWND window : std::vector<HWND>(previewWindows)) DestroyWindow(window);
        historyWindows.clear();
        previewWindows.clear();
        largeFilesWindow = nullptr;
        ui::mainWindow = nullptr;
        busy = false;
        operationPhase = PhaseIdle;
    }

    // The main window as wWinMain creates it (shown when asked).
    HWND create(bool shown = false) {
        window_ = CreateWindowExW(0, MainWindowClass, L"Pelmirt 1.2.0", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 1300, 850, nullptr, nullptr, ui::appInstance,
                                  nullptr);
        if (window_ && shown) ShowWindow(window_, SW_SHOWNORMAL);
        return window_;
    }

    // A visible counting window, owned by the main window.
    HWND createCounting() {
        return CreateWindowExW(0, L"PelmirtTestCounting", L"", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 100, window_,
                               nullptr, ui::appInstance, nullptr);
    }

    // Dispatches what is queued; true when WM_QUIT was among it (its wParam in quitCode). At most half a
    // second: while an operation runs the busy ring's timer and repaints never leave the queue empty.
    bool pump() {
        bool quit = false;
        MSG message;
        const ULONGLONG deadline = GetTickCount64() + 500;
        while (GetTickCount64() < deadline && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = message.wParam;
                continue;
            }
            DispatchMessageW(&message);
        }
        return quit;
    }

    HWND window_ = nullptr;
    WPARAM quitCode = 0;
};

}  // namespace pm::test
