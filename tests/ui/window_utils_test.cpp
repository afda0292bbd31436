// Window, monitor and DPI helpers: the clamping rule, pixel rounding, the DPI fallback, and the
// "only when changed" helpers on real windows (headless under the null graphics driver).
#include "ui/control_registry.h"
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/window_utils.h"
#include "ui/window_utils_internal.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

using namespace pm::ui;

struct ClampCase {
    RECT rect;
    RECT workArea;
    RECT expected;
};

TEST(ClampRectToWorkArea, KeepsEightPixelsInsideAndShrinksToFit) {
    const RECT work{0, 0, 1920, 1040};
    const ClampCase cases[] = {
        {{0, 0, 3000, 2000}, work, {8, 8, 1912, 1032}},            // larger than the work area
        {{1500, 100, 2300, 700}, work, {1112, 100, 1912, 700}},    // half off the right edge
        {{-400, -50, 400, 550}, work, {8, 8, 808, 608}},           // off the top-left corner
        {{100, 100, 900, 700}, work, {100, 100, 900, 700}},        // already inside: unchanged
        {{100, 100, 100, 100}, work, {100, 100, 101, 101}},        // empty: at least 1 x 1
        {{0, 0, 500, 500}, {1920, 200, 3840, 1240}, {1928, 208, 2428, 708}},  // second monitor
        {{0, 0, 50, 50}, {0, 0, 10, 10}, {8, 8, 9, 9}},            // tiny work area
    };
    for (const ClampCase& c : cases) {
        const RECT r = detail::clampRectToWorkArea(c.rect, c.workArea);
        EXPECT_TRUE(EqualRect(&r, &c.expected));
    }
}

TEST(ScalePx, RoundsHalfAwayFromZeroAndNeverGivesZero) {
    const struct {
        float dip, scale;
        int expected;
    } cases[] = {{0.2f, 1.0f, 1}, {2.5f, 1.0f, 3}, {1.5f, 1.0f, 2}, {10.0f, 1.5f, 15}, {0.0f, 2.0f, 1},
                 {-3.0f, 1.0f, 1}, {16.0f, 1.25f, 20}};
    for (const auto& c : cases) EXPECT_EQ(scalePx(c.dip, c.scale), c.expected) << c.dip << " x " << c.scale;
}

// A plain top-level window for the helpers to work on; counts the messages the tests look for.
struct Counters {
    int setText = 0;
    int posChanging = 0;
};

LRESULT CALLBACK countingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* counters = reinterpret_cast<Counters*>(data);
    if (message == WM_SETTEXT) ++counters->setText;
    if (message == WM_WINDOWPOSCHANGING) ++counters->posChanging;
    return DefSubclassProc(window, message, wParam, lParam);
}

class WindowUtils : public testing::Test {
protected:
    void SetUp() override {
        registerWindowClass(L"PelmirtUtilsTest", DefWindowProcW);
        window_ = CreateWindowExW(0, L"PelmirtUtilsTest", L"start", WS_OVERLAPPEDWINDOW, 40, 40, 400, 300, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        child_ = CreateWindowExW(0, L"STATIC", L"child", WS_CHILD | WS_VISIBLE, 10, 20, 100, 30, window_, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(child_, nullptr);
        SetWindowSubclass(window_, countingProc, 1, reinterpret_cast<DWORD_PTR>(&windowCounts_));
        SetWindowSubclass(child_, countingProc, 1, reinterpret_cast<DWORD_PTR>(&childCounts_));
    }
    void TearDown() override {
        mainWindow = nullptr;
        hiddenToTray = false;
        animationTimerRunning = false;
        if (window_) DestroyWindow(window_);
    }
    HWND window_ = nullptr;
    HWND child_ = nullptr;
    Counters windowCounts_;
    Counters childCounts_;
};

TEST_F(WindowUtils, TextIsSetOnlyWhenItDiffers) {
    setWindowTextIfChanged(window_, L"start");
    EXPECT_EQ(windowCounts_.setText, 0);
    setWindowTextIfChanged(window_, L"starT");  // same length, one code unit differs
    setWindowTextIfChanged(window_, L"star");   // a prefix
    setWindowTextIfChanged(window_, L"");
    EXPECT_EQ(windowCounts_.setText, 3);
    setWindowTextIfChanged(window_, L"");
    EXPECT_EQ(windowCounts_.setText, 3);
}

TEST_F(WindowUtils, ChildMovesOnlyWhenItsRectangleDiffers) {
    setWindowRectIfChanged(child_, 10, 20, 100, 30);  // in the parent's client coordinates
    EXPECT_EQ(childCounts_.posChanging, 0);
    setWindowRectIfChanged(child_, 10, 20, 101, 30);
    EXPECT_EQ(childCounts_.posChanging, 1);
    RECT r{};
    GetWindowRect(child_, &r);
    MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.right - r.left, 101);
}

TEST_F(WindowUtils, OnlyTheMainWindowRaisesTheGeneration) {
    // The widget renders its whole frame on every paint: raising the generation for it would render the
    // main frame again for nothing.
    mainWindow = window_;
    const uint64_t before = uiGeneration;
    invalidateWindow(child_, nullptr);
    EXPECT_EQ(uiGeneration, before);
    invalidateWindow(window_, nullptr);
    EXPECT_EQ(uiGeneration, before + 1);
    widgetWindow = child_;
    invalidateWindow(child_, nullptr);
    widgetWindow = nullptr;
    EXPECT_EQ(uiGeneration, before + 1);
}

TEST_F(WindowUtils, AnimationTimerStartsOnlyForAWindowOnScreen) {
    mainWindow = window_;
    startAnimationTimer();  // not visible yet
    EXPECT_FALSE(animationTimerRunning);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    hiddenToTray = true;
    startAnimationTimer();
    EXPECT_FALSE(animationTimerRunning);
    hiddenToTray = false;
    ShowWindow(window_, SW_SHOWMINNOACTIVE);
    startAnimationTimer();
    EXPECT_FALSE(animationTimerRunning);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(isMainWindowShown());
    startAnimationTimer();
    EXPECT_TRUE(animationTimerRunning);
    // The timer really runs: a WM_TIMER with id 3 arrives.
    MSG msg{};
    const ULONGLONG deadline = GetTickCount64() + 2000;
    bool ticked = false;
    while (!ticked && GetTickCount64() < deadline) {
        if (PeekMessageW(&msg, window_, WM_TIMER, WM_TIMER, PM_REMOVE)) ticked = msg.wParam == AnimationTimerId;
        else Sleep(5);
    }
    EXPECT_TRUE(ticked);
    KillTimer(window_, AnimationTimerId);
}

TEST_F(WindowUtils, UpdateAllWindowsPaintsTheRegisteredControlsOfAMainWindow) {
    // A separate window as the control: UpdateWindow on the main window already paints its own children.
    HWND control = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(control, nullptr);
    UpdateWindow(control);
    controlRegistry[140] = control;
    InvalidateRect(control, nullptr, FALSE);
    updateAllWindows();  // no main window yet
    EXPECT_TRUE(GetUpdateRect(control, nullptr, FALSE));
    mainWindow = window_;
    updateAllWindows();  // the main window is not visible
    EXPECT_TRUE(GetUpdateRect(control, nullptr, FALSE));
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    updateAllWindows();
    EXPECT_FALSE(GetUpdateRect(control, nullptr, FALSE));
    controlRegistry.clear();
    DestroyWindow(control);
}

TEST_F(WindowUtils, DpiFallsBackToTheDeviceContextWithoutGetDpiForWindow) {
    HDC dc = GetDC(window_);
    const int logPixels = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(window_, dc);
    EXPECT_EQ(detail::windowDpi(window_, nullptr), static_cast<UINT>(logPixels));
    // An entry that answers 0 is not believed either.
    EXPECT_EQ(detail::windowDpi(window_, [](HWND) -> UINT { return 0; }), static_cast<UINT>(logPixels));
    EXPECT_EQ(detail::windowDpi(window_, [](HWND) -> UINT { return 144; }), 144u);
    EXPECT_GE(getWindowDpi(window_), 96u);
}

TEST_F(WindowUtils, MetricsComeAtTheWindowsDpiAndFromTheSystemWithoutGetSystemMetricsForDpi) {
    const int system = GetSystemMetrics(SM_CYVSCROLL);
    const auto dpi = static_cast<int>(getWindowDpi(window_));
    EXPECT_EQ(detail::metricForDpi(SM_CYVSCROLL, window_, nullptr), system);
    EXPECT_EQ(detail::metricForDpi(SM_CYVSCROLL, window_, [](int, UINT) { return 0; }), system);
    const auto byDpi = [](int metric, UINT d) { return metric * 1000 + static_cast<int>(d); };
    EXPECT_EQ(detail::metricForDpi(SM_CYVSCROLL, window_, byDpi), SM_CYVSCROLL * 1000 + dpi);
}

}  // namespace
