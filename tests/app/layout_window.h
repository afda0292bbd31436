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

// The window's client is 990 x 711 pixels: at the layout scale 0.9 that WM_SIZE sets, the 1100 x 790 page.
class LayoutWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&gdiplus_, &input, nullptr);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(gdiplus_); }

    void SetUp() override {
        PM_REQUIRE_TEST_PREFIX();
        ui::appInstance = GetModuleHandleW(nullptr);
        ui::controlRegistry.clear();
        ui::controlTexts.clear();
        appliedBounds.clear();
        dpiScale = ui::layoutScale = 1.0f;
        DeleteFileW((appDataDir() + L"\\state.dat").c_str());
        registerMainWindowClass();
        window_ = CreateWindowExW(0, MainWindowClass, L"Pelmirt", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 900,
                                  700, nullptr, nullptr, ui::appInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        // The frame's own size as this driver draws it (AdjustWindowRectEx need not agree with it).
        RECT outer{}, client{};
        GetWindowRect(window_, &outer);
        GetClientRect(window_, &client);
        SetWindowPos(window_, nullptr, 0, 0, 990 + outer.right - outer.left - client.right,
                     711 + outer.bottom - outer.top - client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_FLOAT_EQ(ui::layoutScale, 0.9f);
    }

    void TearDown() override {
        if (window_) DestroyWindow(window_);
        MSG message;  // what the destruction posted, its WM_QUIT included
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        ui::mainWindow = nullptr;
        busy = analysisPresent = false;
        currentPage = 0;
        scanReport = ScanReport{};
        ui::currentSettings = AppSettings{};
        applyLanguageSetting("en");
    }

    HWND control(int id) { return ui::controlRegistry[id]; }
    bool shown(int id) { return (GetWindowLongPtrW(control(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    RECT placed(int id) {  // in the main window's client area
        RECT r{};
        GetWindowRect(control(id), &r);
        MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    HWND window_ = nullptr;
    static inline ULONG_PTR gdiplus_ = 0;
};

}  // namespace pm::test
