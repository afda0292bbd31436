// The desktop widget in this process: its frame's alpha read back from the real frame buffer, the hit
// test, the row rule, scrolling, its place on the monitor, its buttons and the keys of the message loop.
#include "app/desktop_widget.h"
#include "app/desktop_widget_internal.h"
#include "app/format_bytes.h"
#include "app/program_internal.h"
#include "app/shell_globals.h"
#include "services/i18n/language.h"
#include "services/i18n/translate.h"
#include "services/state/state_file.h"
#include "tests/app/real_keys.h"
#include "tests/support/test_files.h"
#include "tests/ui/draw_support.h"
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/widget_state.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace pm {
namespace {

std::vector<DriveInfo> drives(int count) {
    std::vector<DriveInfo> list;
    for (int i = 0; i < count; ++i) {
        DriveInfo drive;
        drive.root = std::wstring(1, static_cast<wchar_t>(L'C' + i)) + L":\\";
        drive.totalBytes = 100ull << 30;
        drive.availableBytes = static_cast<uint64_t>(10 + 15 * i) << 30;
        list.push_back(drive);
    }
    return list;
}

uint32_t alphaOf(uint32_t pixel) { return pixel >> 24; }

class WidgetTest : public testing::Test {
protected:
    void SetUp() override {
        PM_REQUIRE_TEST_PREFIX();
        ui::appInstance = GetModuleHandleW(nullptr);
        ui::mainWindow = nullptr;
        ui::modalDepth = 0;
        ui::currentSettings = AppSettings{};
        ui::currentSettings.widget_enabled = true;
        busy = analysisPresent = exitAfterOperation = false;
        lastOperationKind = 0;
        driveList = drives(3);
        currentLanguage = EnglishLanguage;
        ui::applyTheme();
    }

    void TearDown() override {
        if (workerThread.joinable()) workerThread.join();  // a scan started by a click
        if (ui::widgetWindow) DestroyWindow(ui::widgetWindow);
        if (mainStandIn_) DestroyWindow(mainStandIn_);
        pump();
        ui::widgetWindow = ui::mainWindow = nullptr;
        ui::hiddenToTray = false;
        busy = analysisPresent = false;
        driveList.clear();
    }

    static void pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }

    // The widget as the setting makes it, drawn once.
    HWND open() {
        syncDesktopWidget();
        pump();
        if (ui::widgetWindow) {
            EXPECT_NE(state().frame.bits, nullptr) << "drawn as it opens";
        }
        return ui::widgetWindow;
    }

    static ui::WidgetState& state() { return *ui::widgetStateOf(ui::widgetWindow); }

    // Renders the whole frame again through WM_PAINT.
    static void repaint() {
        InvalidateRect(ui::widgetWindow, nullptr, FALSE);
        UpdateWindow(ui::widgetWindow);
    }

    static uint32_t pixel(int x, int y) {
        const ui::BackBuffer& frame = state().frame;
        return frame.bits[y * frame.width + x];
    }

    static HWND button(int id) { return GetDlgItem(ui::widgetWindow, id); }

    // A key press; with `repeat` the keyboard's repeat of a held key (bit 30: the key was already down).
    static void key(HWND target, WPARAM vk, bool repeat = false) {
        MSG message{target, WM_KEYDOWN, vk, repeat ? LPARAM{1} << 30 | 1 : 1, 0, {}};
        routeMessage(message);
    }

    // A hidden stand-in for the main window, for the commands that bring it back.
    HWND hiddenMainWindow() {
        mainStandIn_ = CreateWindowExW(0, L"STATIC", L"main", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr,
                                       ui::appInstance, nullptr);
        ui::mainWindow = mainStandIn_;
        ui::hiddenToTray = true;
        return mainStandIn_;
    }

    HWND mainStandIn_ = nullptr;
};

TEST_F(WidgetTest, FrameAlphaCutsTheCornersAndCarriesTheOpacity) {
    struct Case {
        int setting;
        uint32_t inside;  // alpha of a pixel well inside
    };
    // 10 paints as 20 and 150 as 100.
    for (const Case c : {Case{100, 255}, Case{55, 140}, Case{10, 51}, Case{150, 255}}) {
        SCOPED_TRACE(c.setting);
        ui::currentSettings.widget_opacity = c.setting;
        if (!ui::widgetWindow) {
            ASSERT_NE(open(), nullptr);
        }
        repaint();
        const ui::BackBuffer& frame = state().frame;
        ASSERT_NE(frame.bits, nullptr);
        const int w = frame.width;
        const int h = frame.height;
        for (const POINT corner : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}, POINT{1, 2}}) {
            EXPECT_EQ(pixel(corner.x, corner.y), 0u) << corner.x << "," << corner.y;
        }
        EXPECT_EQ(alphaOf(pixel(w / 2, h / 2)), c.inside);
        EXPECT_EQ(alphaOf(pixel(w / 2, 0)), c.inside) << "the top edge between the corners";
        int partial = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const uint32_t p = pixel(x, y);
                const uint32_t a = alphaOf(p);
                ASSERT_LE((p >> 16) & 0xFF, a) << x << "," << y;
                ASSERT_LE((p >> 8) & 0xFF, a) << x << "," << y;
                ASSERT_LE(p & 0xFF, a) << x << "," << y;
                if (a != 0 && a < c.inside) ++partial;
            }
        }
        EXPECT_GT(partial, 8) << "the rounded outline is smoothed";
    }
}

TEST_F(WidgetTest, HighContrastFrameIsAPlainRectangle) {
    ASSERT_NE(open(), nullptr);
    // The painter follows the theme's flag; the flag itself comes from SPI_GETHIGHCONTRAST (below).
    ui::theme.highContrast = true;
    repaint();
    const ui::BackBuffer& frame = state().frame;
    EXPECT_EQ(alphaOf(pixel(0, 0)), 255u);
    EXPECT_EQ(alphaOf(pixel(frame.width - 1, frame.height - 1)), 255u);
    RECT placed{};
    GetWindowRect(ui::widgetWindow, &placed);
    EXPECT_EQ(SendMessageW(ui::widgetWindow, WM_NCHITTEST, 0, MAKELPARAM(placed.left + 1, placed.top + 1)), HTCAPTION);
    ui::applyTheme();

    HIGHCONTRASTW contrast{sizeof(contrast), HCF_HIGHCONTRASTON, nullptr};
    if (!SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast, 0)) {
        GTEST_SKIP() << "the system's high contrast cannot be switched on here (error " << GetLastError() << ")";
    }
    ui::applyTheme();
    repaint();
    EXPECT_EQ(alphaOf(pixel(0, 0)), 255u);
    contrast.dwFlags = 0;
    SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast, 0);
}

TEST_F(WidgetTest, HitTestPassesTheCornersAndDragsTheTopBand) {
    struct Point {
        float x, y;  // DIP; negative: from the right or bottom edge
        LRESULT wanted;
    };
    const Point points[] = {
        {1, 1, HTTRANSPARENT},     {-2, 1, HTTRANSPARENT}, {1, -2, HTTRANSPARENT}, {-2, -2, HTTRANSPARENT},
        {180, 95, HTCAPTION},      {180, 97, HTCLIENT},    {18, 18, HTCAPTION},    {180, -3, HTCLIENT},
        {-0.01f, 200, HTTRANSPARENT},
    };
    for (const float scale : {1.0f, 2.0f}) {
        const int w = static_cast<int>(std::lround(360 * scale));
        const int h = static_cast<int>(std::lround(456 * scale));
        for (const Point& p : points) {
            const auto at = [scale](float dip, int size) {
                return dip < 0 && dip > -1 ? -1 : dip < 0 ? size + static_cast<int>(dip * scale)
                                                         : static_cast<int>(dip * scale);
            };
            SCOPED_TRACE(testing::Message() << "scale " << scale << " at " << p.x << "," << p.y);
            EXPECT_EQ(widgetHitTest(POINT{at(p.x, w), at(p.y, h)}, w, h, scale, false), p.wanted);
        }
        EXPECT_EQ(widgetHitTest(POINT{1, 1}, w, h, scale, true), HTCAPTION) << "no cut corners in high contrast";
    }

    // The window answers the same, from screen coordinates.
    ASSERT_NE(open(), nullptr);
    RECT placed{};
    GetWindowRect(ui::widgetWindow, &placed);
    const float s = state().contentScale;
    const auto hit = [&](int x, int y) {
        return SendMessageW(ui::widgetWindow, WM_NCHITTEST, 0, MAKELPARAM(placed.left + x, placed.top + y));
    };
    EXPECT_EQ(hit(1, 1), HTTRANSPARENT);
    EXPECT_EQ(hit(std::lround(180 * s), std::lround(95 * s)), HTCAPTION);
    EXPECT_EQ(hit(std::lround(180 * s), std::lround(97 * s)), HTCLIENT);
}

TEST_F(WidgetTest, DpiChangeRescalesAndRefitsTheWidget) {
    ASSERT_NE(open(), nullptr);
    RECT placed{};
    GetWindowRect(ui::widgetWindow, &placed);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // Wine never sends WM_DPICHANGED: the message as Windows sends it on a move to a 150 % monitor.
    RECT suggested{placed.left, placed.top, placed.left + 540, placed.top + 684};
    SendMessageW(ui::widgetWindow, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));

    const WidgetRows fit = widgetRowRule(work, 1.5f, driveList.size());
    EXPECT_FLOAT_EQ(state().dpiScale, 1.5f);
    EXPECT_EQ(state().rows, fit.rows);
    RECT client{};
    GetClientRect(ui::widgetWindow, &client);
    EXPECT_EQ(client.right, 540);
    EXPECT_EQ(client.bottom, std::lround(fit.heightDip * 1.5f));
    EXPECT_FLOAT_EQ(state().contentScale, 1.5f);
    RECT scan{};
    GetWindowRect(button(ui::WidgetScanButton), &scan);
    EXPECT_EQ(scan.right - scan.left, 480) << "buttons laid out at the new scale";

    GetWindowRect(ui::widgetWindow, &placed);
    const auto hit = [&](int x, int y) {
        return SendMessageW(ui::widgetWindow, WM_NCHITTEST, 0, MAKELPARAM(placed.left + x, placed.top + y));
    };
    EXPECT_EQ(hit(270, 142), HTCAPTION);  // y = 95 DIP
    EXPECT_EQ(hit(270, 145), HTCLIENT);   // y = 97 DIP
    EXPECT_EQ(hit(2, 2), HTTRANSPARENT);
}

TEST_F(WidgetTest, RowRuleFitsTheWorkArea) {
    struct Case {
        int workHeight;
        float scale;
        int driveCount;
        int rows;
    };
    const Case cases[] = {
        {900, 1.0f, 0, 1}, {900, 1.0f, 1, 1}, {900, 1.0f, 3, 3}, {900, 1.0f, 7, 5},
        {900, 1.5f, 7, 4},  // (884 / 1.5 - 352) / 52 = 4.56
        {300, 1.0f, 7, 1},  // not even one row fits: still one
        {472, 1.0f, 7, 2},  // (456 - 352) / 52 = 2 exactly
        {471, 1.0f, 7, 1},  // just under: floor, not rounding
        {900, 0.1f, 7, 5},  // the scale counts as at least 0.25
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.workHeight << " px at " << c.scale << ", " << c.driveCount << " drives");
        const WidgetRows fit = widgetRowRule(RECT{0, 40, 1280, 40 + c.workHeight}, c.scale, c.driveCount);
        EXPECT_EQ(fit.rows, c.rows);
        EXPECT_EQ(fit.heightDip, 352 + 52 * c.rows);
    }
}

TEST_F(WidgetTest, WheelAndPageKeysScrollWithinTheDrives) {
    for (const int count : {0, 1, 3, 7}) {
        SCOPED_TRACE(count);
        driveList = drives(count);
        ASSERT_NE(open(), nullptr);
        const int rows = std::max(1, std::min(count, 5));
        ASSERT_EQ(state().rows, rows) << "the test desktop has room for five rows";
        RECT client{};
        GetClientRect(ui::widgetWindow, &client);
        EXPECT_EQ(client.bottom, std::lround((352 + 52 * rows) * state().contentScale));

        const int last = std::max(count - rows, 0);
        for (int notch = 1; notch <= 3; ++notch) {
            SendMessageW(ui::widgetWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
            EXPECT_EQ(state().scrollOffset, std::min(notch, last));
        }
        SendMessageW(ui::widgetWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
        EXPECT_EQ(state().scrollOffset, std::max(last - 1, 0));
        // Page Up and Page Down on a button reach the widget through the message loop.
        key(button(ui::WidgetOpenButton), VK_PRIOR);
        key(button(ui::WidgetOpenButton), VK_PRIOR);
        EXPECT_EQ(state().scrollOffset, 0);
        key(button(ui::WidgetScanButton), VK_NEXT);
        EXPECT_EQ(state().scrollOffset, std::min(1, last));
        DestroyWindow(ui::widgetWindow);
        ASSERT_EQ(ui::widgetWindow, nullptr);
    }
}

TEST_F(WidgetTest, ScrollThumbTravelsTheTrack) {
    EXPECT_FLOAT_EQ(scrollThumbTopDip(0, 5, 7), 230.0f);
    EXPECT_FLOAT_EQ(scrollThumbTopDip(2, 5, 7), 230.0f + 5 * 52 - 22);

    driveList = drives(7);
    ASSERT_NE(open(), nullptr);
    const float s = state().contentScale;
    const int w = state().frame.width;
    const uint32_t accent = ui::theme.accent & 0xFFFFFF;
    const auto thumbAt = [&](float dip) {
        return (pixel(w - static_cast<int>(std::lround(8 * s)), static_cast<int>(std::lround(dip * s))) & 0xFFFFFF) ==
               accent;
    };
    EXPECT_TRUE(thumbAt(239));
    EXPECT_FALSE(thumbAt(477));
    SendMessageW(ui::widgetWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    SendMessageW(ui::widgetWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    UpdateWindow(ui::widgetWindow);
    EXPECT_FALSE(thumbAt(239));
    EXPECT_TRUE(thumbAt(477)) << "at the end of its travel";

    // Three drives fit: no scroll mark at all.
    DestroyWindow(ui::widgetWindow);
    driveList = drives(3);
    ASSERT_NE(open(), nullptr);
    EXPECT_FALSE(thumbAt(239));
}

TEST_F(WidgetTest, OpensOnTheWorkAreaWhereverItWasSaved) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ASSERT_NE(open(), nullptr);
    RECT placed{};
    GetWindowRect(ui::widgetWindow, &placed);
    EXPECT_EQ(placed.right, work.right - 20) << "20 pixels in from the top right corner";
    EXPECT_EQ(placed.top, work.top + 20);
    DestroyWindow(ui::widgetWindow);

    // Saved on monitors that are gone: pulled into the work area, 8 pixels in.
    for (const POINT saved : {POINT{5000, 4000}, POINT{-3000, -2000}, POINT{work.right - 30, 200}}) {
        SCOPED_TRACE(testing::Message() << saved.x << "," << saved.y);
        ui::currentSettings.widget_position_saved = true;
        ui::currentSettings.widget_x = saved.x;
        ui::currentSettings.widget_y = saved.y;
        ASSERT_NE(open(), nullptr);
        GetWindowRect(ui::widgetWindow, &placed);
        EXPECT_GE(placed.left, work.left + 8);
        EXPECT_GE(placed.top, work.top + 8);
        EXPECT_LE(placed.right, work.right - 8);
        EXPECT_LE(placed.bottom, work.bottom - 8);
        EXPECT_EQ(placed.right - placed.left, std::lround(360 * state().dpiScale));
        DestroyWindow(ui::widgetWindow);
    }
}

TEST_F(WidgetTest, PositionIsSavedAfterAMoveAndUsedNextTime) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    struct Move {
        POINT to;
        POINT kept;  // where the widget ends up and is remembered
    };
    // A drag that leaves the widget partly off the work area is pulled back in, 8 pixels from its edge.
    for (const Move m : {Move{{140, 90}, {140, 90}}, Move{{work.left - 200, 50}, {work.left + 8, 50}}}) {
        SCOPED_TRACE(testing::Message() << m.to.x << "," << m.to.y);
        ASSERT_NE(open(), nullptr);
        SetWindowPos(ui::widgetWindow, nullptr, m.to.x, m.to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(ui::widgetWindow, WM_EXITSIZEMOVE, 0, 0);
        RECT placed{};
        GetWindowRect(ui::widgetWindow, &placed);
        EXPECT_EQ(placed.left, m.kept.x);
        EXPECT_EQ(placed.top, m.kept.y);
        const AppSettings saved = loadAppState();
        EXPECT_TRUE(saved.widget_position_saved);
        EXPECT_EQ(saved.widget_x, m.kept.x);
        EXPECT_EQ(saved.widget_y, m.kept.y);

        DestroyWindow(ui::widgetWindow);
        ASSERT_NE(open(), nullptr);
        GetWindowRect(ui::widgetWindow, &placed);
        EXPECT_EQ(placed.left, m.kept.x) << "opens where it was left";
        EXPECT_EQ(placed.top, m.kept.y);
        DestroyWindow(ui::widgetWindow);
    }
}

TEST_F(WidgetTest, SyncFollowsTheSettingAndKeepsOneWidget) {
    ASSERT_NE(open(), nullptr);
    const HWND first = ui::widgetWindow;
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_EQ(GetWindowLongPtrW(first, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TOOLWINDOW), WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    syncDesktopWidget();
    EXPECT_EQ(ui::widgetWindow, first) << "a live widget is kept";
    // Created in the order 9103, 9101, 9102, which is also the tab order.
    HWND child = GetWindow(first, GW_CHILD);
    for (const int id : {9103, 9101, 9102}) {
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child), id);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE)), 0x5001000Bu);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    ui::currentSettings.widget_enabled = false;
    syncDesktopWidget();
    EXPECT_EQ(ui::widgetWindow, nullptr);
    EXPECT_FALSE(IsWindow(first));
}

TEST_F(WidgetTest, ScanButtonFollowsTheAnalysisAndTheShellState) {
    ASSERT_NE(open(), nullptr);
    const auto text = [] {
        wchar_t buffer[128] = {};
        GetWindowTextW(button(ui::WidgetScanButton), buffer, 128);
        return std::wstring(buffer);
    };
    EXPECT_EQ(text(), translate(L"Начать анализ"));
    EXPECT_TRUE(IsWindowEnabled(button(ui::WidgetScanButton)));
    analysisPresent = true;
    busy = true;
    refreshWidget();
    EXPECT_EQ(text(), translate(L"Повторить анализ"));
    EXPECT_FALSE(IsWindowEnabled(button(ui::WidgetScanButton)));
    busy = false;
    ui::modalDepth = 1;
    refreshWidget();
    EXPECT_FALSE(IsWindowEnabled(button(ui::WidgetScanButton)));
    ui::modalDepth = 0;
    refreshWidget();
    EXPECT_TRUE(IsWindowEnabled(button(ui::WidgetScanButton)));
}

TEST_F(WidgetTest, ButtonsKeepHoverAndPressInTheWidgetRecord) {
    ASSERT_NE(open(), nullptr);
    HWND hide = button(ui::WidgetHideButton);
    ValidateRect(ui::widgetWindow, nullptr);
    SendMessageW(hide, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(state().buttons[1].hover, 1);
    EXPECT_TRUE(GetUpdateRect(ui::widgetWindow, nullptr, FALSE)) << "the whole widget is rendered again";
    SendMessageW(hide, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(state().buttons[1].pressed, 1);
    SendMessageW(hide, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(state().buttons[1].hover, 0);
    EXPECT_EQ(state().buttons[1].pressed, 0);
    // The open button's click only brings back a main window, and there is none here.
    SendMessageW(button(ui::WidgetOpenButton), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(state().buttons[0].pressed, 1);
    SendMessageW(button(ui::WidgetOpenButton), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(state().buttons[0].pressed, 0);
    EXPECT_EQ(state().buttons[2].hover + state().buttons[2].pressed, 0) << "other slots untouched";
}

TEST_F(WidgetTest, HideButtonEscapeAndCloseSwitchTheSettingOff) {
    const std::vector<std::function<void()>> ways = {
        [] { SendMessageW(button(ui::WidgetHideButton), BM_CLICK, 0, 0); },
        [] { key(button(ui::WidgetOpenButton), VK_ESCAPE); },
        [] {
            SetFocus(button(ui::WidgetHideButton));
            key(button(ui::WidgetHideButton), VK_RETURN);
        },
        [] { SendMessageW(ui::widgetWindow, WM_CLOSE, 0, 0); },
    };
    for (std::size_t i = 0; i < ways.size(); ++i) {
        SCOPED_TRACE(i);
        ui::currentSettings.widget_enabled = true;
        saveAppState(ui::currentSettings);
        ASSERT_NE(open(), nullptr);
        ways[i]();
        EXPECT_EQ(ui::widgetWindow, nullptr);
        EXPECT_FALSE(ui::currentSettings.widget_enabled);
        EXPECT_FALSE(loadAppState().widget_enabled) << "saved";
    }
}

TEST_F(WidgetTest, EnterOpensTheMainWindowUnlessHideOrScanHasTheFocus) {
    HWND main = hiddenMainWindow();
    ASSERT_NE(open(), nullptr);
    SetFocus(button(ui::WidgetOpenButton));
    key(button(ui::WidgetOpenButton), VK_RETURN);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_NE(ui::widgetWindow, nullptr);

    // With the scan button focused Enter is a scan request, which waits while an operation runs.
    ShowWindow(main, SW_HIDE);
    busy = true;
    SetFocus(button(ui::WidgetScanButton));
    key(button(ui::WidgetScanButton), VK_RETURN);
    EXPECT_FALSE(IsWindowVisible(main)) << "not the open button";
    EXPECT_NE(ui::widgetWindow, nullptr) << "not the hide button";
}

// A scan disables the widget's focused scan button: the focus goes on to the next button, so the widget's
// keys still work while the scan runs, and the button the user then chose keeps it after the scan.
TEST_F(WidgetTest, KeysStillWorkWhileAScanDisablesTheFocusedScanButton) {
    ASSERT_NE(open(), nullptr);
    ASSERT_TRUE(SetForegroundWindow(ui::widgetWindow));
    SetFocus(button(ui::WidgetScanButton));
    ASSERT_EQ(GetFocus(), button(ui::WidgetScanButton));
    busy = true;  // a scan started from the main window, the tray or this button
    refreshWidget();
    ASSERT_FALSE(IsWindowEnabled(button(ui::WidgetScanButton)));
    EXPECT_EQ(GetFocus(), button(ui::WidgetOpenButton)) << "the next button";
    ASSERT_NE(test::pressKey(VK_TAB), nullptr);
    EXPECT_EQ(GetFocus(), button(ui::WidgetHideButton)) << "Tab moves on during the scan";
    busy = false;
    refreshWidget();
    EXPECT_EQ(GetFocus(), button(ui::WidgetHideButton)) << "moved by the user meanwhile: stays";
}

// Enter held on a widget button: the press opens the main window, the keyboard's repeats press nothing.
TEST_F(WidgetTest, EnterHeldOnAButtonPressesItOnce) {
    HWND main = hiddenMainWindow();
    ASSERT_NE(open(), nullptr);
    SetFocus(button(ui::WidgetOpenButton));
    key(button(ui::WidgetOpenButton), VK_RETURN, true);
    EXPECT_FALSE(IsWindowVisible(main)) << "a repeat pressed the open button";
    SetFocus(button(ui::WidgetHideButton));
    key(button(ui::WidgetHideButton), VK_RETURN, true);
    EXPECT_NE(ui::widgetWindow, nullptr) << "a repeat pressed the hide button";
    SetFocus(button(ui::WidgetOpenButton));
    key(button(ui::WidgetOpenButton), VK_RETURN);
    EXPECT_TRUE(IsWindowVisible(main)) << "the press";
}

TEST_F(WidgetTest, OpenAndHideButtonsSwapSidesInArabic) {
    for (const char* language : {"en", "ar"}) {
        SCOPED_TRACE(language);
        applyLanguageSetting(language);
        if (ui::widgetWindow) DestroyWindow(ui::widgetWindow);
        ASSERT_NE(open(), nullptr);
        RECT openRect{}, hideRect{}, client{};
        GetWindowRect(button(ui::WidgetOpenButton), &openRect);
        GetWindowRect(button(ui::WidgetHideButton), &hideRect);
        GetClientRect(ui::widgetWindow, &client);
        MapWindowPoints(ui::widgetWindow, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
        const bool arabic = std::string(language) == "ar";
        EXPECT_EQ(openRect.left > hideRect.left, arabic) << "Open stands at the reading direction's start";
        const int margin = static_cast<int>(std::lround(20 * state().contentScale));
        EXPECT_EQ((arabic ? client.right - openRect.right : openRect.left - client.left), margin);
    }
    applyLanguageSetting("en");
}

// Arabic, the one right-to-left language, needs a left-to-right mark after "C:\" (or it reads "\:C"); other
// languages get the bare root, since some fonts draw the mark as a box.
TEST_F(WidgetTest, DriveRootCarriesALeftToRightMarkOnlyInArabic) {
    DriveInfo drive = drives(1)[0];
    for (int language = 0; language < LanguageCount; ++language) {
        currentLanguage = language;
        const std::wstring root = std::string(LanguageCodes[language]) == "ar" ? L"C:\\\u200E" : L"C:\\";
        EXPECT_EQ(widgetDriveLines(drive).first, root) << LanguageCodes[language];
    }
    currentLanguage = EnglishLanguage;
    EXPECT_EQ(widgetDriveLines(drive).second,
              L"Used " + formatBytes(90ull << 30) + L" · Free " + formatBytes(10ull << 30));
}

TEST_F(WidgetTest, HeadlineSaysWhatTheLastOperationLeft) {
    struct Case {
        bool busy, analysis;
        uint32_t lastKind;
        std::wstring headline, subline;
    };
    scanReport = ScanReport{};
    scanReport.categoryBytes = {3000, 500000};
    cleanSelection = {true, false, false};
    lastBytes = 123456789;
    progressDone = 42;
    progressTotal = 0;
    const Case cases[] = {
        {false, false, 0, translate(L"Готов к анализу"), translate(L"Начните с анализа")},
        {false, true, 1, formatBytes(3000), translate(L"к очистке")},            // after a scan: what is selected
        {false, false, 2, formatBytes(123456789), translate(L"Удалено")},       // after a clean-up: what it freed
        {false, true, 2, formatBytes(3000), translate(L"к очистке")},            // a later scan wins
        {false, false, 3, translate(L"Готов к анализу"), translate(L"Начните с анализа")},  // after a move
        {true, true, 1, L"42", translate(L"Проверено файлов:")},                 // working beats the results
    };
    for (const Case& c : cases) {
        busy = c.busy;
        analysisPresent = c.analysis;
        lastOperationKind = c.lastKind;
        const auto [headline, subline] = widgetStateLines();
        EXPECT_EQ(headline, c.headline) << c.lastKind << " " << c.busy;
        EXPECT_EQ(subline, c.subline) << c.lastKind << " " << c.busy;
    }
    busy = analysisPresent = false;
    scanReport = ScanReport{};
    cleanSelection = {true, true, false};
}

}  // namespace
}  // namespace pm
