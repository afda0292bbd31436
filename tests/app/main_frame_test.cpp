// The main frame: rendered only when the UI generation moved, kept over an empty client, under every
// owner-drawn control as its background; the opacity slider drawn by position; the fonts by layout scale.
#include "app/commands.h"
#include "app/control_ids.h"
#include "app/desktop_widget.h"
#include "app/main_frame.h"
#include "app/main_frame_internal.h"
#include "app/main_pages.h"
#include "app/main_window_internal.h"
#include "app/shell_globals.h"
#include "app/worker_messages.h"
#include "app/worker_posts.h"
#include "services/i18n/language.h"
#include "tests/app/layout_window.h"
#include "ui/frame_texts.h"
#include "ui/text_list.h"
#include "ui/window_utils.h"

#include <commctrl.h>

#include <functional>
#include <tuple>

namespace pm {
namespace {

class MainFrameTest : public test::LayoutWindowTest {
protected:
    void SetUp() override {
        LayoutWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
            ShowWindow(window_, SW_SHOWNOACTIVATE);
        paintMainWindow();
    }

    void paintMainWindow() {
        InvalidateRect(window_, nullptr, FALSE);  // no new generation: a plain repaint
        UpdateWindow(window_);
    }
};

TEST_F(MainFrameTest, RendersOnlyWhenTheGenerationMoved) {
    ++ui::uiGeneration;
    const uint64_t before = frameRenderCount;
    paintMainWindow();
    paintMainWindow();
    EXPECT_EQ(frameRenderCount, before + 1) << "two paints, one render";
    EXPECT_EQ(lastRenderedGeneration, ui::uiGeneration);

    // A theme change: the control that paints first brings the frame under it up to date.
    ui::currentSettings.theme = "dark";
    ui::applyTheme();
    ASSERT_TRUE(shown(121));
    UpdateWindow(control(121));
    EXPECT_EQ(frameRenderCount, before + 2);
    EXPECT_EQ(lastRenderedGeneration, ui::uiGeneration);
    EXPECT_TRUE(ui::childBackBuffers.contains(control(121)));
    ui::currentSettings.theme = "system";
    ui::applyTheme();
}

TEST_F(MainFrameTest, EmptyClientKeepsTheOldFrame) {
    const HDC dc = ui::mainBackBuffer.dc;
    const uint64_t before = frameRenderCount;
    clientWidth = clientHeight = 0;  // what a minimised window reports
    ++ui::uiGeneration;
    renderMainFrame();
    EXPECT_EQ(ui::mainBackBuffer.dc, dc);
    EXPECT_EQ(ui::mainBackBuffer.width, 990);
    EXPECT_EQ(frameRenderCount, before);

    clientWidth = 990;
    clientHeight = 711;
    renderMainFrame();
    EXPECT_EQ(frameRenderCount, before + 1) << "the generation that moved meanwhile renders on restore";
}

TEST_F(MainFrameTest, ControlBackgroundIsTheFrameUnderIt) {
    const RECT under = placed(124);
    // A mark in the frame under the control's top-left corner, which no face paints (rounded corners).
    ui::mainBackBuffer.bits[under.top * ui::mainBackBuffer.width + under.left] = 0x00123456;
    ui::BackBuffer target;
    ASSERT_TRUE(ui::ensureBackBuffer(target, 300, 100));
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = 124;
    item.hwndItem = control(124);
    item.hDC = target.dc;
    item.rcItem = RECT{10, 20, 10 + (under.right - under.left), 20 + (under.bottom - under.top)};
    onDrawItem(&item);
    GdiFlush();
    EXPECT_EQ(target.bits[20 * 300 + 10] & 0xFFFFFF, 0x123456u);

    target.bits[0] = 0x00ABCDEF;
    item.rcItem = RECT{0, 0, 0, 10};  // empty: nothing is painted
    onDrawItem(&item);
    EXPECT_EQ(target.bits[0], 0x00ABCDEFu);
}

TEST_F(MainFrameTest, OpacitySliderDrawsItsThumbAtThePosition) {
    currentPage = 3;
    layoutMainControls();
    HWND slider = control(140);
    RECT client{};
    GetClientRect(slider, &client);
    // DIPs at scale 0.9: w = width / 0.9; the thumb centre at 10 (position 20) or w - 10 (position 100).
    const float w = static_cast<float>(client.right) / 0.9f;
    const auto px = [](float dip) { return static_cast<int>(dip * 0.9f); };
    const std::tuple<int, int, bool> cases[] = {
        {20, px(10), true},        // the thumb
        {20, px(w / 2), false},    // the bare track: nothing filled at the minimum
        {100, px(w - 10), true},   // the thumb at the far end
        {100, px(w / 2), true},    // the filled part
        {60, px(w / 2 + 30), false},
    };
    for (const auto& [position, x, accent] : cases) {
        SendMessageW(slider, TBM_SETPOS, TRUE, position);
        UpdateWindow(slider);
        const ui::BackBuffer& buffer = *ui::childBackBuffers.at(slider);
        ASSERT_EQ(buffer.width, client.right);
        EXPECT_EQ(buffer.bits[client.bottom / 2 * buffer.width + x] & 0xFFFFFF,
                  (accent ? ui::theme.accent : ui::theme.border) & 0xFFFFFF)
            << "position " << position << " at x " << x;
    }
    DestroyWindow(slider);
    EXPECT_FALSE(ui::childBackBuffers.contains(slider)) << "the buffer goes with the trackbar";
    ui::controlRegistry.erase(140);
}

TEST_F(MainFrameTest, FontsFollowTheLayoutScale) {
    struct Case {
        float scale;
        LONG regular, bold, small;
        int comboItem;
    };
    const Case cases[] = {{0.5f, 8, 9, 7, 15}, {1.5f, 24, 26, 20, 45}};  // 8.5 + 0.5 truncates to 9
    for (const Case& c : cases) {
        ui::layoutScale = c.scale;
        rebuildMainFonts();
        const std::tuple<HFONT, LONG, LONG> fonts[] = {{ui::mainFontRegular, c.regular, FW_NORMAL},
                                                       {mainFontBold, c.bold, FW_SEMIBOLD},
                                                       {mainFontSmall, c.small, FW_NORMAL}};
        for (const auto& [font, height, weight] : fonts) {
            LOGFONTW log{};
            ASSERT_EQ(GetObjectW(font, sizeof(log), &log), static_cast<int>(sizeof(log)));
            EXPECT_EQ(log.lfHeight, -height) << c.scale;
            EXPECT_EQ(log.lfWeight, weight) << c.scale;
        }
        for (int id : {101, 125, 180}) {  // a trackbar keeps no font
            EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control(id), WM_GETFONT, 0, 0)), ui::mainFontRegular);
        }
        EXPECT_EQ(SendMessageW(control(180), CB_GETITEMHEIGHT, 0, 0), c.comboItem);
        EXPECT_TRUE(ui::fontCache.fonts.empty()) << "the text fonts are made again at the new scale";
    }
}

TEST_F(MainFrameTest, BusyStepsAndProgressRenderOnlyTheirArea) {
    // During a scan on the Clean PC page, with the desktop widget shown (a report refreshes it too). The
    // page background changes behind the frame's back (no new generation): only the area a step renders
    // takes the new colour.
    ui::currentSettings.widget_enabled = true;
    syncDesktopWidget();
    ASSERT_NE(ui::widgetWindow, nullptr);
    busy = true;
    layoutMainControls();
    paintMainWindow();
    const auto pixel = [](float x, float y) {
        GdiFlush();
        const ui::BackBuffer& frame = ui::mainBackBuffer;
        return frame.bits[ui::layoutPixels(y) * frame.width + ui::layoutPixels(x)] & 0xFFFFFF;
    };
    const ui::Argb old = ui::theme.background;
    const uint32_t was = old & 0xFFFFFF;
    ASSERT_EQ(pixel(550, 763), was) << "above the strip's bar";
    ASSERT_EQ(pixel(550, 720), was) << "between the cards and the progress line";

    struct Step {
        const char* name;
        std::function<void()> run;
        float inside;  // a background row the step renders again
    };
    const Step steps[] = {
        {"animation step", [] { animationStep(); }, 763},
        {"progress report",
         [] {
             onProgressMessage(reinterpret_cast<LPARAM>(new ProgressUpdate{L"C:\\x", 10, 0}));
         },
         730},
    };
    uint32_t colour = 0x102030;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        colour += 0x101010;
        ui::theme.background = 0xFF000000 | colour;
        const uint64_t frames = frameRenderCount;
        const uint64_t areas = frameAreaRenderCount;
        step.run();
        UpdateWindow(window_);
        EXPECT_EQ(frameRenderCount, frames) << "no whole frame";
        EXPECT_EQ(frameAreaRenderCount, areas + 1);
        EXPECT_EQ(pixel(550, step.inside), colour);
        EXPECT_EQ(pixel(550, 720), was) << "outside the area";
    }
    ui::theme.background = old;
    busy = false;
    ui::currentSettings.widget_enabled = false;
    syncDesktopWidget();
    layoutMainControls();
}

TEST_F(MainFrameTest, PendingAreasNeverLeaveAStaleFrame) {
    // During a scan on the Clean PC page the ring step and the gauge leave areas to render again; then
    // something else happens before the window paints. Whatever it is, the frame the paint leaves equals a
    // whole render of the new state.
    struct Case {
        const char* name;
        std::function<void()> happen;
    };
    const auto resize = [this](int width, int height) {
        RECT outer{}, client{};
        GetWindowRect(window_, &outer);
        GetClientRect(window_, &client);
        SetWindowPos(window_, nullptr, 0, 0, width + outer.right - outer.left - client.right,
                     height + outer.bottom - outer.top - client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const Case cases[] = {
        {"page switch", [] { onCommand(control::NavHelp); }},
        {"language", [] {
             applyLanguageSetting("ar");
             layoutMainControls();
         }},
        {"theme", [] { onCommand(control::ThemeDark); }},
        {"resize", [&] { resize(960, 700); }},
        {"the whole window exposed", [this] { InvalidateRect(window_, nullptr, FALSE); }},
        {"a control painted first", [this] { UpdateWindow(control(control::StartScan)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        busy = true;
        currentPage = 0;
        layoutMainControls();
        paintMainWindow();
        animationStep();  // the ring moves the strip's segment
        invalidateFrameArea(layoutRect(gaugeArea(computeMainLayout())));
        c.happen();
        UpdateWindow(window_);

        ui::BackBuffer whole;
        ASSERT_TRUE(ui::ensureBackBuffer(whole, clientWidth, clientHeight));
        ui::paintWithFrameTexts(whole.dc, [&] { paintMainContent(whole.dc); });
        GdiFlush();
        const ui::BackBuffer& frame = ui::mainBackBuffer;
        ASSERT_EQ(frame.width, whole.width);
        ASSERT_EQ(frame.height, whole.height);
        int stale = 0;
        int firstX = -1, firstY = -1;
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                const size_t i = static_cast<size_t>(y) * static_cast<size_t>(frame.width) + static_cast<size_t>(x);
                if ((frame.bits[i] & 0xFFFFFF) == (whole.bits[i] & 0xFFFFFF)) continue;
                if (stale++ == 0) std::tie(firstX, firstY) = std::make_tuple(x, y);
            }
        }
        EXPECT_EQ(stale, 0) << "first at " << firstX << "," << firstY;

        busy = false;
        applyLanguageSetting("en");
        ui::currentSettings.theme = "system";
        ui::applyTheme();
        resize(990, 711);
    }
}

}  // namespace
}  // namespace pm
