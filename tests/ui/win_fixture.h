// A real top-level window standing in as the main window, the shell state reset around each test,
// and a second thread that finds the dialogs the UI thread shows and works them as a user would.
#pragma once

#include "services/i18n/translate.h"
#include "ui/message_box.h"
#include "ui/shell_state.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace pm::test {

inline constexpr UINT QueryModalDepth = WM_USER + 1;  // answers modalDepth, read on the UI thread
inline constexpr UINT RunOnUiThread = WM_USER + 2;    // runs the std::function<void()>* in lParam

inline std::wstring windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

inline std::wstring className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// Every child window, depth first.
inline std::vector<HWND> children(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, [](HWND child, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&all));
    return all;
}

// The visible dialog owned by owner with a child showing content, polled for up to five seconds.
inline HWND waitForDialog(HWND owner, const std::wstring& content, int attempts = 500) {
    for (int i = 0; i < attempts; ++i, Sleep(10)) {
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (className(w) != L"#32770" || GetWindow(w, GW_OWNER) != owner || !IsWindowVisible(w)) continue;
            for (HWND child : children(w)) {
                if (windowText(child) == content) return w;
            }
        }
    }
    return nullptr;
}

struct MainWindowFixture : testing::Test {
    static inline int modalDone = 0;               // WM_APP_MODAL_DONE dispatched by some modal loop
    static inline std::vector<HWND> customDraws;   // senders of the NM_CUSTOMDRAW received

    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (message == QueryModalDepth) return ui::modalDepth;
        if (message == RunOnUiThread) (*reinterpret_cast<std::function<void()>*>(lParam))();
        if (message == ui::WM_APP_MODAL_DONE) ++modalDone;
        if (message == WM_NOTIFY && header->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
            customDraws.push_back(header->hwndFrom);
            return CDRF_NOTIFYITEMDRAW;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    static void resetShellState() {
        ui::mainWindow = nullptr;
        ui::modalDepth = 0;
        ui::destroying = ui::exitPending = ui::hidePending = ui::hiddenToTray = false;
        ui::trayIconAdded = ui::trayVersion4 = ui::animationTimerRunning = false;
        ui::hiddenWithMain.clear();
        currentLanguage = EnglishLanguage;
        modalDone = 0;
        customDraws.clear();
    }

    void SetUp() override {
        resetShellState();
        ui::appInstance = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = proc;
        wc.hInstance = ui::appInstance;
        wc.lpszClassName = L"PelmirtTestMain";
        RegisterClassExW(&wc);  // a repeated registration fails harmlessly
        ui::mainWindow = CreateWindowExW(0, wc.lpszClassName, L"stand-in", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                         100, 100, 640, 480, nullptr, nullptr, ui::appInstance, nullptr);
        ASSERT_NE(ui::mainWindow, nullptr);
        ShowWindow(ui::mainWindow, SW_SHOW);
    }

    void TearDown() override {
        DestroyWindow(ui::mainWindow);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        resetShellState();
    }

    // Takes and counts the WM_APP_MODAL_DONE posted to the main window so far.
    static int takeModalDone() {
        MSG message;
        while (PeekMessageW(&message, ui::mainWindow, ui::WM_APP_MODAL_DONE, ui::WM_APP_MODAL_DONE, PM_REMOVE)) {
            ++modalDone;
        }
        return std::exchange(modalDone, 0);
    }
};

// Runs work on a second thread for the duration of a scope.
struct Helper {
    explicit Helper(std::function<void()> work) : thread(std::move(work)) {}
    ~Helper() { thread.join(); }
    std::thread thread;
};

}  // namespace pm::test
