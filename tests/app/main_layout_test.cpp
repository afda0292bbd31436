// The main window's layout: page geometry, which control each page shows and where, the state texts and
// enabled states, the gauge transition, and that a layout with nothing changed touches no control.
#include "app/format_bytes.h"
#include "app/main_layout.h"
#include "app/main_layout_internal.h"
#include "app/operations.h"
#include "services/i18n/translate.h"
#include "tests/app/layout_window.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace pm {
namespace {

using test::LayoutWindowTest;

TEST(MainLayoutGeometry, FollowsTheClientSizeAndTheLayoutScale) {
    struct Case {
        int width, height;
        float scale;
        float sideWidth, mainWidth, sideX, bottomHeight;
    };
    const Case cases[] = {
        {1100, 790, 1.0f, 290.0f, 520.0f, 790.0f, 294.0f},    // 790 * 0.34 = 268.6 is below the minimum
        {1400, 790, 1.0f, 370.6f, 739.4f, 1009.4f, 294.0f},   // 1090 * 0.34
        {2200, 1580, 2.0f, 290.0f, 520.0f, 790.0f, 294.0f},   // the same page at twice the scale
        {1100, 600, 1.0f, 290.0f, 520.0f, 790.0f, 280.0f},    // the second row keeps 280
        {0, 0, 0.0f, 290.0f, -290.0f, -20.0f, 280.0f},        // 0 / 0: the minimums, never NaN
    };
    const int32_t savedWidth = clientWidth, savedHeight = clientHeight;
    const float savedScale = ui::layoutScale;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " at " << c.scale);
        clientWidth = c.width;
        clientHeight = c.height;
        ui::layoutScale = c.scale;
        const MainLayout l = computeMainLayout();
        EXPECT_EQ(l.navWidth, 230.0f);
        EXPECT_EQ(l.contentX, 250.0f);
        EXPECT_EQ(l.top, 134.0f);
        EXPECT_EQ(l.cardHeight, 268.0f);
        EXPECT_NEAR(l.sideWidth, c.sideWidth, 0.01f);
        if (c.scale > 0) {
            EXPECT_NEAR(l.mainWidth, c.mainWidth, 0.01f);
            EXPECT_NEAR(l.sideX, c.sideX, 0.01f);
        }
        EXPECT_NEAR(l.bottomHeight, c.bottomHeight, 0.01f);
    }
    clientWidth = savedWidth;
    clientHeight = savedHeight;
    ui::layoutScale = savedScale;
}

TEST(MainLayoutGauge, SelectedShareOfTheScannedBytes) {
    struct Case {
        uint64_t temp, cache;
        int64_t bin;
        std::array<bool, 3> selection;
        double fraction;
    };
    const Case cases[] = {
        {100, 300, 600, {true, true, false}, 0.4},
        {100, 300, 600, {false, false, true}, 0.6},
        {100, 300, 600, {false, false, false}, 0.0},
        {0, 0, 0, {true, true, true}, 0.0},      // an empty scan
        {0, 500, -7, {false, true, false}, 1.0},  // a negative bin size counts as nothing
    };
    const ScanReport saved = scanReport;
    const std::array<bool, 3> savedSelection = cleanSelection;
    for (const Case& c : cases) {
        scanReport.categoryBytes = {c.temp, c.cache};
        scanReport.recycleBinBytes = c.bin;
        cleanSelection = c.selection;
        EXPECT_DOUBLE_EQ(selectedGaugeFraction(), c.fraction) << c.temp << " " << c.cache << " " << c.bin;
    }
    scanReport = saved;
    cleanSelection = savedSelection;
}

TEST(MainLayoutGauge, RetargetsFromTheValueShownAtThatMoment) {
    struct Step {
        uint64_t now;
        double fraction;
        bool reduceMotion;
        double from, to;
        uint64_t start, duration;
    };
    // Each step starts from the state the previous one left.
    const Step steps[] = {
        {1000, 0.5, false, 0.0, 0.5, 1000, 300},   // from rest: a 300 ms ease
        {1150, 1.0, false, 0.25, 1.0, 1150, 300},  // half-way (eased 0.5): restarts from 0.25
        {1200, 1.0, false, 0.25, 1.0, 1150, 300},  // the same target changes nothing
        {1150, 0.25, false, 0.25, 0.25, 1150, 0},  // at the start the shown value already is the target
        {5000, 0.8, true, 0.8, 0.8, 5000, 0},      // reduced motion jumps
    };
    gaugeFrom = gaugeTo = 0.0;
    gaugeStart = gaugeDuration = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "at " << s.now << " to " << s.fraction);
        retargetGauge(s.fraction, s.now, s.reduceMotion);
        EXPECT_DOUBLE_EQ(gaugeFrom, s.from);
        EXPECT_DOUBLE_EQ(gaugeTo, s.to);
        EXPECT_EQ(gaugeStart, s.start);
        EXPECT_EQ(gaugeDuration, s.duration);
    }
    gaugeFrom = 0.2;
    gaugeTo = 0.6;
    gaugeStart = 100;
    gaugeDuration = 300;
    EXPECT_DOUBLE_EQ(gaugeValueAt(50), 0.2);
    EXPECT_DOUBLE_EQ(gaugeValueAt(250), 0.4);
    EXPECT_DOUBLE_EQ(gaugeValueAt(400), 0.6);
    gaugeFrom = gaugeTo = 0.0;
    gaugeStart = gaugeDuration = 0;
}

const std::set<int> Navigation = {101, 102, 103, 104, 105};

TEST_F(LayoutWindowTest, EveryPageShowsExactlyItsControls) {
    struct Case {
        int page;
        bool busy;
        std::set<int> extra;
    };
    const Case cases[] = {
        {0, false, {120, 121, 123, 124, 125, 126, 127, 128, 129}},
        {1, false, {141}},
        {2, false, {136}},
        {3, false, {128, 129, 136, 139, 140, 160, 161, 162, 170, 171, 172, 173, 174, 175, 180}},
        {0, true, {120, 121, 122, 123, 124, 125, 126, 127, 128, 129}},
        {2, true, {122, 136}},
        {1, false, {141}},  // after busy: the Cancel button goes again
    };
    sizeClient(990, 711);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "page " << c.page << (c.busy ? " busy" : ""));
        currentPage = c.page;
        busy = c.busy;
        layoutMainControls();
        std::set<int> wanted = Navigation;
        wanted.insert(c.extra.begin(), c.extra.end());
        for (const auto& [id, window] : ui::controlRegistry) {
            EXPECT_EQ(shown(id), wanted.contains(id)) << "control " << id;
            EXPECT_EQ(appliedBounds.contains(id), wanted.contains(id)) << "control " << id;
        }
    }
}

TEST_F(LayoutWindowTest, ControlsLandOnTheirRectangles) {
    // At scale 0.9 the client of 990 x 711 is the 1100 x 790 page: cx 250, mainWidth 520, sideX 790,
    // sideWidth 290, top 134, b = 422. Rectangles in DIPs, placed at (v * 0.9 + 0.5) truncated.
    struct Case {
        int page;
        int id;
        float x, y, w, h;
    };
    const Case cases[] = {
        {0, 101, 14, 152, 202, 52},
        {0, 105, 14, 634, 202, 50},
        {0, 121, 468.4f, 282, 275.6f, 48},
        {0, 120, 468.4f, 339, 275.6f, 40},
        {0, 125, 268, 486, 484, 51},
        {0, 127, 268, 600, 484, 51},
        {0, 123, 268, 660, 484, 33},
        {0, 124, 810, 355, 250, 33},
        {0, 129, 808, 483, 254, 54},
        {0, 128, 808, 542, 254, 54},
        {1, 141, 275, 681, 773, 40},
        {2, 136, 275, 685, 280, 42},
        {3, 160, 442, 179, 168, 41},
        {3, 162, 794, 179, 168, 41},
        {3, 175, 707, 239, 45, 42},
        {3, 139, 270, 462, 785, 44},
        {3, 140, 478, 508, 497, 28},
        {3, 128, 270, 542, 785, 44},
        {3, 129, 270, 638, 785, 44},
        {3, 136, 276, 690, 360, 36},
    };
    sizeClient(990, 711);
    ASSERT_FLOAT_EQ(ui::layoutScale, 0.9f);
    const auto px = [](float v) { return static_cast<LONG>(v * 0.9f + 0.5f); };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "page " << c.page << " control " << c.id);
        currentPage = c.page;
        layoutMainControls();
        const RECT r = placed(c.id);
        EXPECT_EQ(r.left, px(c.x));
        EXPECT_EQ(r.top, px(c.y));
        EXPECT_EQ(r.right - r.left, px(c.w));
        EXPECT_EQ(r.bottom - r.top, px(c.h));
        EXPECT_TRUE(EqualRect(&r, &appliedBounds[c.id]));
    }
    // The combo box is given its height with the drop-down list.
    currentPage = 3;
    layoutMainControls();
    const RECT combo = appliedBounds[180];
    EXPECT_EQ(combo.left, px(442));
    EXPECT_EQ(combo.right - combo.left, px(601));
    EXPECT_EQ(combo.bottom - combo.top, px(360));
}

TEST_F(LayoutWindowTest, TrackbarKeepsItsMinimumWidth) {
    sizeClient(990, 711);
    currentPage = 3;
    struct Case {
        float scale;
        float widthDip;
    };
    // W = 990 / scale; the trackbar is max(W - 250 - 65 - 288, 130) DIPs wide.
    const Case cases[] = {{0.9f, 497.0f}, {1.0f, 387.0f}, {1.8f, 130.0f}};
    for (const Case& c : cases) {
        ui::layoutScale = c.scale;
        layoutMainControls();
        const RECT r = placed(140);
        EXPECT_EQ(r.right - r.left, static_cast<LONG>(c.widthDip * c.scale + 0.5f)) << c.scale;
    }
}

// Counts what the layout sends to the main window's children: moves and shows, texts, enabling.
struct ChildMessages {
    int positions = 0;
    int texts = 0;
    int enables = 0;
    std::set<HWND> moved;
};
ChildMessages* counting = nullptr;
HWND countedParent = nullptr;

LRESULT CALLBACK countChildMessages(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && counting && GetParent(message->hwnd) == countedParent) {
        switch (message->message) {
        // A child of a hidden parent is shown or hidden by its style alone, with WM_SHOWWINDOW only.
        case WM_SHOWWINDOW:
        case WM_WINDOWPOSCHANGING:
            ++counting->positions;
            counting->moved.insert(message->hwnd);
            break;
        case WM_SETTEXT: ++counting->texts; break;
        case WM_ENABLE: ++counting->enables; break;
        default: break;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

ChildMessages countDuringLayout(HWND parent) {
    ChildMessages result;
    counting = &result;
    countedParent = parent;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, countChildMessages, nullptr, GetCurrentThreadId());
    layoutMainControls();
    UnhookWindowsHookEx(hook);
    counting = nullptr;
    return result;
}

TEST_F(LayoutWindowTest, SecondLayoutWithNothingChangedTouchesNoControl) {
    sizeClient(990, 711);
    for (int page : {3, 1, 0}) {  // sizing laid page 0 out already
        SCOPED_TRACE(page);
        currentPage = page;
        const ChildMessages first = countDuringLayout(window_);
        EXPECT_GT(first.positions, 0) << "the page switch moves controls";
        const uint64_t generation = ui::uiGeneration;
        const ChildMessages second = countDuringLayout(window_);
        EXPECT_EQ(second.positions, 0);
        EXPECT_EQ(second.texts, 0);
        EXPECT_EQ(second.enables, 0);
        EXPECT_GT(ui::uiGeneration, generation);
    }
    // A changed state text is set once, and only on the control it belongs to.
    currentPage = 0;
    countDuringLayout(window_);
    analysisPresent = true;
    const ChildMessages changed = countDuringLayout(window_);
    EXPECT_EQ(changed.positions, 0);
    EXPECT_EQ(changed.texts, 2) << "the Analyse and the Clean button";
}

TEST_F(LayoutWindowTest, PageSwitchHidesAndRestores) {
    sizeClient(990, 711);
    currentPage = 0;
    layoutMainControls();
    const RECT cleanButton = placed(121);

    currentPage = 2;
    const ChildMessages toHelp = countDuringLayout(window_);
    for (int id : {120, 121, 123, 124, 125, 126, 127, 128, 129}) EXPECT_FALSE(shown(id)) << id;
    EXPECT_TRUE(shown(136));
    EXPECT_EQ(placed(136).top, static_cast<LONG>(685 * 0.9f + 0.5f));
    EXPECT_EQ(toHelp.moved.size(), 10u) << "nine hidden, one shown";

    currentPage = 0;
    const ChildMessages back = countDuringLayout(window_);
    EXPECT_FALSE(shown(136));
    EXPECT_FALSE(appliedBounds.contains(136));
    const RECT restored = placed(121);
    EXPECT_TRUE(EqualRect(&restored, &cleanButton));
    EXPECT_EQ(back.moved.size(), 10u);
}

TEST_F(LayoutWindowTest, StateTextsAndEnabledStates) {
    sizeClient(990, 711);
    const wchar_t* dot = L" \u00B7 ";
    auto text = [this](int id) {
        wchar_t buffer[256] = {};
        GetWindowTextW(control(id), buffer, 256);
        return std::wstring(buffer);
    };
    struct Case {
        bool busy, analysis, closeBrowsers;
        const char* palette;
    };
    const Case cases[] = {
        {false, false, false, "emerald"},
        {false, true, true, "teal"},
        {true, true, false, "rose"},
    };
    scanReport.categoryBytes = {2048, 5u << 20};
    scanReport.recycleBinBytes = 1536;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.busy << c.analysis << c.palette);
        busy = c.busy;
        analysisPresent = c.analysis;
        ui::currentSettings.close_browsers = c.closeBrowsers;
        ui::currentSettings.palette = c.palette;
        layoutMainControls();

        EXPECT_EQ(text(120), c.analysis ? L"Scan again" : L"Start scan");
        const uint64_t selected = selectedCategoryBytes();
        EXPECT_EQ(text(121), c.analysis ? L"Clean up " + formatBytes(selected) : std::wstring(L"Run a scan first"));
        EXPECT_EQ(text(125), L"Temporary files" + (dot + formatBytes(2048)) + dot + L"Selected");
        EXPECT_EQ(text(127), translate(L"Корзина") + dot + formatBytes(1536) + dot + L"Not selected");
        EXPECT_EQ(text(128), translate(L"Закрывать браузеры") + dot + (c.closeBrowsers ? L"On" : L"Off"));
        EXPECT_EQ(text(129), translate(L"Пропускать занятые файлы") + dot + L"On");
        EXPECT_EQ(text(170), std::string(c.palette) == "emerald" ? translate(L"Изумрудный") + dot + L"Selected"
                                                                 : translate(L"Изумрудный"));
        EXPECT_EQ(text(175), std::string(c.palette) == "teal" ? translate(L"Бирюзовый") + dot + L"Selected"
                                                              : translate(L"Бирюзовый"));

        EXPECT_EQ(IsWindowEnabled(control(120)) != FALSE, !c.busy);
        EXPECT_EQ(IsWindowEnabled(control(121)) != FALSE, !c.busy && c.analysis && selected != 0);
        for (int id : {125, 126, 127, 128, 129, 180}) EXPECT_EQ(IsWindowEnabled(control(id)) != FALSE, !c.busy) << id;
        EXPECT_TRUE(IsWindowEnabled(control(139)));
    }
}

}  // namespace
}  // namespace pm
