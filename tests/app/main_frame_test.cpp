// The main frame: rendered only when the UI generation moved, kept over an empty client, under every
// owner-drawn control as its background, the opacity slider drawn by position, the fonts by layout scale.
#include "app/main_frame.h"
#include "app/main_frame_internal.h"
#include "tests/app/layout_window.h"
#include "ui/text_list.h"

#include <commctrl.h>

namespace pm {
namespace {

using test::LayoutWindowTest;

class MainFrameTest : public LayoutWindowTest {
protected:
    void SetUp() override {
        LayoutWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        sizeClient(990, 711);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
    }

    void paintMainWindow() {
        InvalidateRect(window_, nullptr, FALSE);  // no new generation: a plain repaint
        UpdateWindow(window_);
    }
};

TEST_F(MainFrameTest, TwoPaintsWithNothingChangedRenderOnce) {
    ++ui::uiGeneration;
    const uint64_t before = frameRenderCount;
    paintMainWindow();
    paintMainWindow();
    EXPECT_EQ(frameRenderCount, before + 1);
    EXPECT_EQ(lastRenderedGeneration, ui::uiGeneration);

    layoutMainControls();
    paintMainWindow();
    EXPECT_EQ(frameRenderCount, before + 2) << "a layout moves the generation";
}

TEST_F(MainFrameTest, ThemeChangeRendersTheFrameBeforeAControlRepaints) {
    paintMainWindow();
    const uint64_t before = frameRenderCount;
    ui::currentSettings.theme = "dark";
    ui::applyTheme();
    // Only the control paints: its WM_DRAWITEM must bring the frame under it up to date first.
    HWND clean = control(121);
    ASSERT_TRUE(shown(121));
    UpdateWindow(clean);
    EXPECT_EQ(frameRenderCount, before + 1);
    EXPECT_EQ(lastRenderedGeneration, ui::uiGeneration);
    EXPECT_TRUE(ui::childBackBuffers.contains(clean));
    ui::currentSettings.theme = "system";
    ui::applyTheme();
}

TEST_F(MainFrameTest, EmptyClientKeepsTheOldFrame) {
    paintMainWindow();
    const HDC dc = ui::mainBackBuffer.dc;
    const uint64_t rendered = lastRenderedGeneration;
    const uint64_t before = frameRenderCount;

    clientWidth = clientHeight = 0;  // what a minimised window reports
    ++ui::uiGeneration;
    renderMainFrame();
    EXPECT_EQ(ui::mainBackBuffer.dc, dc);
    EXPECT_EQ(ui::mainBackBuffer.width, 990);
    EXPECT_EQ(ui::mainBackBuffer.height, 711);
    EXPECT_EQ(lastRenderedGeneration, rendered);
    EXPECT_EQ(frameRenderCount, before);

    clientWidth = 990;
    clientHeight = 711;
    renderMainFrame();
    EXPECT_EQ(frameRenderCount, before + 1) << "the generation that moved meanwhile renders on restore";
}

TEST_F(MainFrameTest, ControlBackgroundIsTheFrameUnderIt) {
    paintMainWindow();
    const RECT under = placed(124);
    ASSERT_GT(under.right - under.left, 4);
    // A mark in the frame under the control's top-left corner, which no face paints (rounded corners).
    const uint32_t mark = 0x00123456;
    ui::mainBackBuffer.bits[under.top * ui::mainBackBuffer.width + under.left] = mark;

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
    EXPECT_EQ(target.bits[20 * 300 + 10] & 0xFFFFFF, mark);

    // An empty item rectangle paints nothing.
    target.bits[0] = 0x00ABCDEF;
    item.rcItem = RECT{0, 0, 0, 10};
    onDrawItem(&item);
    EXPECT_EQ(target.bits[0], 0x00ABCDEFu);
}

TEST_F(MainFrameTest, OpacitySliderDrawsItsThumbAtThePosition) {
    currentPage = 3;
    layoutMainControls();
    HWND slider = control(140);
    ASSERT_TRUE(IsWindowVisible(slider));
    RECT client{};
    GetClientRect(slider, &client);
    // In DIPs at scale 0.9: w = width / 0.9, the thumb centre at 10 (position 20) or w - 10 (position 100).
    const float w = static_cast<float>(client.right) / 0.9f;
    const int cy = client.bottom / 2;
    const auto px = [](float dip) { return static_cast<int>(dip * 0.9f); };
    struct Case {
        int position;
        int x;
        bool accent;  // else the bare track
    };
    const Case cases[] = {
        {20, px(10), true},          // the thumb
        {20, px(w / 2), false},      // no filled part at the minimum
        {100, px(w - 10), true},     // the thumb at the far end
        {100, px(w / 2), true},      // the filled part
        {60, px(w / 2 + 30), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "position " << c.position << " at x " << c.x);
        SendMessageW(slider, TBM_SETPOS, TRUE, c.position);
        UpdateWindow(slider);
        const ui::BackBuffer& buffer = *ui::childBackBuffers.at(slider);
        ASSERT_EQ(buffer.width, client.right);
        const uint32_t pixel = buffer.bits[cy * buffer.width + c.x] & 0xFFFFFF;
        EXPECT_EQ(pixel, (c.accent ? ui::theme.accent : ui::theme.border) & 0xFFFFFF);
    }
    DestroyWindow(slider);
    EXPECT_FALSE(ui::childBackBuffers.contains(slider)) << "the buffer goes with the trackbar";
    ui::controlRegistry.erase(140);
}

TEST_F(MainFrameTest, FontsFollowTheLayoutScale) {
    struct Case {
        float scale;
        LONG regular, bold, small;
        int comboField, comboItem;
    };
    const Case cases[] = {
        {0.5f, 8, 9, 7, 16, 15},  // 8.5 + 0.5 truncates to 9
        {1.0f, 16, 17, 13, 31, 30},
        {1.5f, 24, 26, 20, 47, 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        ui::layoutScale = c.scale;
        const HFONT oldRegular = ui::mainFontRegular;
        rebuildMainFonts();
        ASSERT_NE(ui::mainFontRegular, oldRegular);
        const std::pair<HFONT, std::pair<LONG, LONG>> fonts[] = {{ui::mainFontRegular, {c.regular, FW_NORMAL}},
                                                                 {mainFontBold, {c.bold, FW_SEMIBOLD}},
                                                                 {mainFontSmall, {c.small, FW_NORMAL}}};
        for (const auto& [font, expected] : fonts) {
            LOGFONTW log{};
            ASSERT_EQ(GetObjectW(font, sizeof(log), &log), static_cast<int>(sizeof(log)));
            EXPECT_EQ(log.lfHeight, -expected.first);
            EXPECT_EQ(log.lfWeight, expected.second);
        }
        for (int id : {101, 125, 180}) {  // a trackbar keeps no font
            EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control(id), WM_GETFONT, 0, 0)), ui::mainFontRegular) << id;
        }
        // Wine answers for the selection field 2 pixels more than it was given (its edges), at every size.
        const LRESULT field = SendMessageW(control(180), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
        EXPECT_TRUE(field == c.comboField || field == c.comboField + 2) << field;
        EXPECT_EQ(SendMessageW(control(180), CB_GETITEMHEIGHT, 0, 0), c.comboItem);
        EXPECT_TRUE(ui::fontCache.fonts.empty()) << "the text fonts are made again at the new scale";
    }
}

}  // namespace
}  // namespace pm
