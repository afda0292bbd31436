// A real main window (the real window procedure, controls and settings) for the layout and frame tests,
// with GDI+ started and the shell's globals as they are at start-up.
#pragma once

#include "app/main_layout.h"
#include "app/main_window.h"
#include "app/shell_globals.h"
#include "services/i18n/language.h"
#include "services/state/state_file.h"
#include "tests/support/test_files.h"
#include "ui/back_buffer.h"
#include "ui/control_registry.h"
#include "ui/shell_state.h"
#include "ui/theme.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

namespace pm::test {

class LayoutWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&gdiplus_, &input, nullptr);
    }
    static void TearDownTestSuite() {
        ui::destroyBackBuffers(ui::childBackBuffers);
        ui::releaseBackBuffer(ui::mainBackBuffer);
        Gdiplus::GdiplusShutdown(gdiplus_);
    }

    void SetUp() override {
        PM_REQUIRE_TEST_PREFIX();
        ui::appInstance = GetModuleHandleW(nullptr);
        ui::currentSettings = AppSettings{};
        ui::controlRegistry.clear();
        ui::controlTexts.clear();
        appliedBounds.clear();
        busy = analysisPresent = false;
        scanReport = ScanReport{};
        cleanSelection = {true, true, false};
        currentPage = 0;
        dpiScale = ui::layoutScale = 1.0f;
        DeleteFileW((appDataDir() + L"\\state.dat").c_str());
        registerMainWindowClass();
        window_ = CreateWindowExW(0, MainWindowClass, L"Pelmirt 1.2.0", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  0, 0, 900, 700, nullptr, nullptr, ui::appInstance, nullptr);
        ASSERT_NE(window_, nullptr);
    }

    void TearDown() override {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message != WM_QUIT) DispatchMessageW(&message);
        }
        ui::mainWindow = nullptr;
        busy = analysisPresent = false;
        currentPage = 0;
        applyLanguageSetting("en");
    }

    // Gives the main window this client size; WM_SIZE then sets the layout scale and lays out.
    void sizeClient(int width, int height) {
        // The frame's own size, as this driver draws it (AdjustWindowRectEx need not agree with it).
        RECT outer{}, client{};
        GetWindowRect(window_, &outer);
        GetClientRect(window_, &client);
        const int frameWidth = (outer.right - outer.left) - client.right;
        const int frameHeight = (outer.bottom - outer.top) - client.bottom;
        SetWindowPos(window_, nullptr, 0, 0, width + frameWidth, height + frameHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        GetClientRect(window_, &client);
        ASSERT_EQ(client.right, width);
        ASSERT_EQ(client.bottom, height);
    }

    HWND control(int id) { return ui::controlRegistry[id]; }

    // The control's rectangle in the main window's client area.
    RECT placed(int id) {
        RECT r{};
        GetWindowRect(control(id), &r);
        MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    bool shown(int id) { return (GetWindowLongPtrW(control(id), GWL_STYLE) & WS_VISIBLE) != 0; }

    HWND window_ = nullptr;
    static inline ULONG_PTR gdiplus_ = 0;
};

}  // namespace pm::test
