// The main window's layout: page geometry, which control each page shows and where, the state texts and
// enabled states, the gauge transition, and that a layout with nothing changed touches no control.
#include "app/format_bytes.h"
#include "app/main_layout_internal.h"
#include "app/operations.h"
#include "services/i18n/translate.h"
#include "tests/app/layout_window.h"

#include <set>
#include <string>
#include <tuple>

namespace pm {
namespace {

using test::LayoutWindowTest;

TEST(MainLayoutGeometry, FollowsTheClientSizeAndTheLayoutScale) {
    struct Case {
        int width, height;
        float scale, sideWidth, mainWidth, sideX, bottomHeight;
    };
    const Case cases[] = {
        {1100, 790, 1.0f, 290.0f, 520.0f, 790.0f, 294.0f},   // 790 * 0.34 = 268.6 is below the minimum
        {1400, 790, 1.0f, 370.6f, 739.4f, 1009.4f, 294.0f},  // 1090 * 0.34
        {2200, 1580, 2.0f, 290.0f, 520.0f, 790.0f, 294.0f},
        {1100, 600, 1.0f, 290.0f, 520.0f, 790.0f, 280.0f},   // the second row keeps 280
    };
    for (const Case& c : cases) {
        clientWidth = c.width;
        clientHeight = c.height;
        ui::layoutScale = c.scale;
        const MainLayout l = computeMainLayout();
        EXPECT_NEAR(l.sideWidth, c.sideWidth, 0.01f) << c.width;
        EXPECT_NEAR(l.mainWidth, c.mainWidth, 0.01f) << c.width;
        EXPECT_NEAR(l.sideX, c.sideX, 0.01f) << c.width;
        EXPECT_NEAR(l.bottomHeight, c.bottomHeight, 0.01f) << c.width;
    }
    clientWidth = clientHeight = 0;
    ui::layoutScale = 0.0f;  // 0 / 0: the minimums, never NaN
    EXPECT_EQ(computeMainLayout().sideWidth, 290.0f);
    EXPECT_EQ(computeMainLayout().bottomHeight, 280.0f);
    ui::layoutScale = 1.0f;
}

TEST(MainLayoutGauge, TargetIsTheSelectedShareAndEasesFromTheShownValue) {
    scanReport.categoryBytes = {100, 300};
    scanReport.recycleBinBytes = -7;  // counts as nothing
    EXPECT_DOUBLE_EQ(selectedGaugeFraction(), 1.0);
    scanReport.recycleBinBytes = 600;
    EXPECT_DOUBLE_EQ(selectedGaugeFraction(), 0.4);
    scanReport = ScanReport{};
    EXPECT_DOUBLE_EQ(selectedGaugeFraction(), 0.0) << "an empty scan";

    struct Step {
        uint64_t now;
        double fraction;
        bool reduceMotion;
        double from, to;
        uint64_t start, duration;
    };
    const Step steps[] = {  // each from the state the previous one left
        {1000, 0.5, false, 0.0, 0.5, 1000, 300},   // from rest: a 300 ms ease
        {1150, 1.0, false, 0.25, 1.0, 1150, 300},  // half-way (eased 0.5): restarts from 0.25
        {1200, 1.0, false, 0.25, 1.0, 1150, 300},  // the same target changes nothing
        {1150, 0.25, false, 0.25, 0.25, 1150, 0},  // the shown value already is the target
        {5000, 0.8, true, 0.8, 0.8, 5000, 0},      // reduced motion jumps
    };
    gaugeFrom = gaugeTo = 0.0;
    gaugeStart = gaugeDuration = 0;
    for (const Step& s : steps) {
        retargetGauge(s.fraction, s.now, s.reduceMotion);
        EXPECT_TRUE(gaugeFrom == s.from && gaugeTo == s.to && gaugeStart == s.start && gaugeDuration == s.duration)
            << s.now << ": " << gaugeFrom << " -> " << gaugeTo << " from " << gaugeStart << " for " << gaugeDuration;
    }
    gaugeFrom = gaugeTo = 0.0;
    gaugeStart = gaugeDuration = 0;
}

TEST_F(LayoutWindowTest, EveryPageShowsExactlyItsControls) {
    struct Case {
        int page;
        bool busy;
        std::set<int> shown;  // besides the navigation entries 101 to 105
    };
    const Case cases[] = {
        {0, false, {120, 121, 123, 124, 125, 126, 127, 128, 129}},
        {1, false, {141}},
        {2, false, {136}},
        {3, false, {128, 129, 136, 139, 140, 160, 161, 162, 170, 171, 172, 173, 174, 175, 180}},
        {0, true, {120, 121, 122, 123, 124, 125, 126, 127, 128, 129}},
        {2, true, {122, 136}},
        {1, false, {141}},  // after busy the Cancel button goes again
    };
    for (const Case& c : cases) {
        currentPage = c.page;
        busy = c.busy;
        layoutMainControls();
        for (const auto& [id, window] : ui::controlRegistry) {
            const bool wanted = (id >= 101 && id <= 105) || c.shown.contains(id);
            EXPECT_EQ(shown(id), wanted) << "page " << c.page << " control " << id;
            EXPECT_EQ(appliedBounds.contains(id), wanted) << "page " << c.page << " control " << id;
        }
    }
}

TEST_F(LayoutWindowTest, ControlsLandOnTheirRectangles) {
    // At scale 0.9 the client of 990 x 711 is the 1100 x 790 page: cx 250, mainWidth 520, sideX 790,
    // sideWidth 290, top 134, b = 422. DIPs, placed at (v * 0.9 + 0.5) truncated.
    struct Case {
        int page, id;
        float x, y, w, h;
    };
    const Case cases[] = {
        {0, 105, 14, 634, 202, 50},   {0, 121, 468.4f, 282, 275.6f, 48}, {0, 127, 268, 600, 484, 51},
        {0, 124, 810, 355, 250, 33},  {0, 128, 808, 542, 254, 54},       {1, 141, 275, 653, 773, 40},
        {2, 136, 275, 651, 280, 42},  {3, 162, 794, 179, 168, 41},       {3, 175, 707, 239, 45, 42},
        {3, 140, 478, 508, 497, 28},  {3, 129, 270, 638, 785, 44},       {3, 136, 276, 690, 360, 36},
        {0, 121, 468.4f, 282, 275.6f, 48},  // back on Clean PC: the same place again
    };
    const auto px = [](float v) { return static_cast<LONG>(v * 0.9f + 0.5f); };
    for (const Case& c : cases) {
        currentPage = c.page;
        layoutMainControls();
        const RECT r = placed(c.id);
        const RECT wanted{px(c.x), px(c.y), px(c.x) + px(c.w), px(c.y) + px(c.h)};
        EXPECT_TRUE(EqualRect(&r, &wanted) && EqualRect(&r, &appliedBounds[c.id]))
            << "page " << c.page << " control " << c.id << ": " << r.left << "," << r.top << " " << r.right - r.left
            << "x" << r.bottom - r.top;
        if (c.page == 3) {  // the combo box is given its height with the drop-down list
            EXPECT_EQ(appliedBounds[180].right - appliedBounds[180].left, px(601));
            EXPECT_EQ(appliedBounds[180].bottom - appliedBounds[180].top, px(360));
        }
    }
}

TEST_F(LayoutWindowTest, TrackbarKeepsItsMinimumWidth) {
    currentPage = 3;
    // W = 990 / scale; the trackbar is max(W - 250 - 65 - 288, 130) DIPs wide.
    const std::pair<float, float> cases[] = {{0.9f, 497.0f}, {1.0f, 387.0f}, {1.8f, 130.0f}};
    for (const auto& [scale, widthDip] : cases) {
        ui::layoutScale = scale;
        layoutMainControls();
        EXPECT_EQ(placed(140).right - placed(140).left, static_cast<LONG>(widthDip * scale + 0.5f)) << scale;
    }
}

// What the layout sends to the main window's children: moves, shows and hides, texts, enabling.
struct ChildMessages {
    int positions = 0, texts = 0, enables = 0;
};
ChildMessages* counting = nullptr;

LRESULT CALLBACK countChildMessages(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && counting && GetParent(message->hwnd) == ui::mainWindow) {
        // A child of a hidden parent is shown or hidden by its style alone, with WM_SHOWWINDOW only.
        if (message->message == WM_WINDOWPOSCHANGING || message->message == WM_SHOWWINDOW) ++counting->positions;
        if (message->message == WM_SETTEXT) ++counting->texts;
        if (message->message == WM_ENABLE) ++counting->enables;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

ChildMessages countDuringLayout() {
    ChildMessages result;
    counting = &result;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, countChildMessages, nullptr, GetCurrentThreadId());
    layoutMainControls();
    UnhookWindowsHookEx(hook);
    counting = nullptr;
    return result;
}

TEST_F(LayoutWindowTest, SecondLayoutWithNothingChangedTouchesNoControl) {
    for (int page : {3, 1, 0}) {  // sizing laid page 0 out already
        currentPage = page;
        EXPECT_GT(countDuringLayout().positions, 0) << "the page switch moves controls";
        const uint64_t generation = ui::uiGeneration;
        const ChildMessages second = countDuringLayout();
        EXPECT_EQ(second.positions + second.texts + second.enables, 0) << page;
        EXPECT_GT(ui::uiGeneration, generation);
    }
    analysisPresent = true;
    const ChildMessages changed = countDuringLayout();
    EXPECT_EQ(changed.positions, 0);
    EXPECT_EQ(changed.texts, 2) << "only the Analyse and the Clean button";
}

TEST_F(LayoutWindowTest, StateTextsAndEnabledStates) {
    const std::wstring dot = L" \u00B7 ";
    auto text = [this](int id) {
        wchar_t buffer[256] = {};
        GetWindowTextW(control(id), buffer, 256);
        return std::wstring(buffer);
    };
    scanReport.categoryBytes = {2048, 5u << 20};
    scanReport.recycleBinBytes = 1536;
    const std::tuple<bool, bool, const char*> cases[] = {{false, false, "emerald"}, {false, true, "teal"},
                                                         {true, true, "rose"}};
    for (const auto& [isBusy, analysis, palette] : cases) {
        SCOPED_TRACE(palette);
        busy = isBusy;
        analysisPresent = analysis;
        ui::currentSettings.close_browsers = analysis;
        ui::currentSettings.palette = palette;
        layoutMainControls();

        const uint64_t selected = selectedCategoryBytes();
        EXPECT_EQ(text(120), analysis ? L"Scan again" : L"Start scan");
        EXPECT_EQ(text(121), analysis ? L"Clean up " + formatBytes(selected) : std::wstring(L"Run a scan first"));
        EXPECT_EQ(text(125), L"Temporary files" + dot + formatBytes(2048) + dot + L"Selected");
        EXPECT_EQ(text(127), L"Recycle Bin" + dot + formatBytes(1536) + dot + L"Not selected");
        EXPECT_EQ(text(128), translate(L"Закрывать браузеры") + dot + (analysis ? L"On" : L"Off"));
        EXPECT_EQ(text(175), translate(L"Бирюзовый") + (std::string(palette) == "teal" ? dot + L"Selected" : L""));

        EXPECT_EQ(IsWindowEnabled(control(121)) != FALSE, !isBusy && analysis && selected != 0);
        for (int id : {120, 125, 126, 127, 128, 129, 180}) {
            EXPECT_EQ(IsWindowEnabled(control(id)) != FALSE, !isBusy) << id;
        }
        EXPECT_TRUE(IsWindowEnabled(control(139)));
    }
}

}  // namespace
}  // namespace pm
