// The message loop's keyboard routing to the secondary windows, on real windows of this thread.
#include "app/program_internal.h"
#include "app/shell_globals.h"
#include "ui/shell_state.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace pm {
namespace {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> received;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE || message == WM_COMMAND || message == WM_MOUSEWHEEL) {
        received.push_back({window, message, wParam, lParam});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class MessageLoopTest : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW recording{};
        recording.lpfnWndProc = recordingProc;
        recording.hInstance = GetModuleHandleW(nullptr);
        recording.lpszClassName = L"PelmirtTestRecording";
        RegisterClassW(&recording);
        received.clear();
    }
    void TearDown() override {
        for (HWND window : windows_) DestroyWindow(window);
        previewWindows.clear();
        historyWindows.clear();
        ui::widgetWindow = nullptr;
        largeFilesWindow = nullptr;
        ui::mainWindow = nullptr;
    }
    HWND topLevel() {
        HWND window = CreateWindowExW(0, L"PelmirtTestRecording", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                      200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        windows_.push_back(window);
        return window;
    }
    static HWND button(HWND parent, int id) {
        return CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 50, 20, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    }
    static void key(HWND target, WPARAM vk) {
        MSG message{target, WM_KEYDOWN, vk, 0, 0, {}};
        routeMessage(message);
    }
    std::vector<HWND> windows_;
};

TEST_F(MessageLoopTest, EscapeClosesTheSecondaryWindowThatHoldsTheKey) {
    HWND main = topLevel();
    HWND history = topLevel();
    HWND preview = topLevel();
    HWND large = topLevel();
    ui::mainWindow = main;
    historyWindows = {history};
    previewWindows = {preview};
    largeFilesWindow = large;
    HWND inner = button(history, 7);

    for (HWND target : {inner, preview, large}) {
        received.clear();
        key(target, VK_ESCAPE);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].message, static_cast<UINT>(WM_CLOSE));
        EXPECT_EQ(received[0].window, target == inner ? history : target);
    }
    received.clear();
    key(main, VK_ESCAPE);
    for (const Received& r : received) EXPECT_NE(r.message, static_cast<UINT>(WM_CLOSE)) << "main window closed";

    // A window that no longer exists is passed over.
    DestroyWindow(history);
    received.clear();
    key(history, VK_ESCAPE);
    EXPECT_TRUE(received.empty());
}

TEST_F(MessageLoopTest, WidgetTakesPageKeysAndEnter) {
    HWND widget = topLevel();
    ui::widgetWindow = widget;
    HWND open = button(widget, 9101);
    HWND second = button(widget, 9102);
    HWND third = button(widget, 9103);
    (void)third;

    struct Case {
        WPARAM key;
        HWND focus;
        UINT message;
        WPARAM wParam;
        HWND control;
    };
    const Case cases[] = {
        {VK_PRIOR, open, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), nullptr},
        {VK_NEXT, open, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), nullptr},
        {VK_RETURN, second, WM_COMMAND, MAKEWPARAM(9102, BN_CLICKED), second},
        {VK_RETURN, third, WM_COMMAND, MAKEWPARAM(9103, BN_CLICKED), third},
        {VK_RETURN, open, WM_COMMAND, MAKEWPARAM(9101, BN_CLICKED), open},
        {VK_RETURN, widget, WM_COMMAND, MAKEWPARAM(9101, BN_CLICKED), open},  // focus on no button
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        SetFocus(c.focus);
        ASSERT_EQ(GetFocus(), c.focus);
        received.clear();
        key(c.focus, c.key);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].window, widget);
        EXPECT_EQ(received[0].message, c.message);
        EXPECT_EQ(received[0].wParam, c.wParam);
        if (c.control) {
            EXPECT_EQ(received[0].lParam, reinterpret_cast<LPARAM>(c.control));
        }
    }
}

}  // namespace
}  // namespace pm
