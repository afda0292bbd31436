// The secondary-window frame painted through a real window's WM_PAINT into its buffer.
#include "app/window_frame.h"
#include "services/i18n/translate.h"
#include "tests/ui/draw_support.h"
#include "ui/shell_state.h"
#include "ui/theme.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

struct FramedWindow {
    ui::BackBuffer frame;
    float contentWidth = -1;
    float contentHeight = -1;
};

LRESULT CALLBACK framedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<FramedWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && data) {
        paintWindowFrame(window, data->frame, 1.0f, [data](ui::Canvas&, float w, float h) {
            data->contentWidth = w;
            data->contentHeight = h;
        });
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

constexpr ui::Argb Background = 0xFFF0F2F4;
constexpr ui::Argb Band = 0xFF102A43;

// Paints a popup window of exactly width x height client pixels; the frame's buffer is returned in data.
void paintFramed(FramedWindow& data, int width, int height) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = framedProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PelmirtFrameTest";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&data));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    DestroyWindow(window);
}

uint32_t rgbAt(const ui::BackBuffer& b, int x, int y) {
    GdiFlush();
    return b.bits[y * b.width + x] & 0xFFFFFF;
}

class WindowFrameTest : public testing::Test {
protected:
    void SetUp() override {
        saved_ = ui::theme;
        ui::theme.background = Background;
        ui::theme.navBackground = Band;
        ui::theme.accent = 0xFF22AA66;
        ui::theme.navText = ui::theme.navMutedText = 0xFFFFFFFF;
    }
    void TearDown() override {
        ui::theme.background = saved_.background;
        ui::theme.navBackground = saved_.navBackground;
        ui::theme.accent = saved_.accent;
        ui::theme.navText = saved_.navText;
        ui::theme.navMutedText = saved_.navMutedText;
        currentLanguage = EnglishLanguage;
    }
    ui::Theme saved_;
};

TEST_F(WindowFrameTest, BandStaysOnTheLeftInEveryReadingDirection) {
    for (int language : {EnglishLanguage, ArabicLanguage}) {
        SCOPED_TRACE(language);
        currentLanguage = language;
        FramedWindow data;
        paintFramed(data, 600, 400);
        ASSERT_EQ(data.frame.width, 600);
        EXPECT_EQ(rgbAt(data.frame, 0, 350), Band & 0xFFFFFF);
        EXPECT_EQ(rgbAt(data.frame, 169, 350), Band & 0xFFFFFF);
        EXPECT_EQ(rgbAt(data.frame, 170, 350), Background & 0xFFFFFF);
        EXPECT_EQ(rgbAt(data.frame, 599, 350), Background & 0xFFFFFF);
        EXPECT_EQ(rgbAt(data.frame, 430, 350), Background & 0xFFFFFF) << "nothing mirrored to the right";
        EXPECT_NE(rgbAt(data.frame, 41, 46), Band & 0xFFFFFF) << "the logo tile";
        EXPECT_FLOAT_EQ(data.contentWidth, 600.0f);
        EXPECT_FLOAT_EQ(data.contentHeight, 400.0f);
    }
}

TEST_F(WindowFrameTest, WindowNarrowerThanTheBandShowsOnlyTheBandAndStillCallsTheContent) {
    FramedWindow data;
    paintFramed(data, 120, 300);
    ASSERT_EQ(data.frame.width, 120);
    for (int x = 0; x < 120; ++x) EXPECT_EQ(rgbAt(data.frame, x, 250), Band & 0xFFFFFF) << x;
    EXPECT_FLOAT_EQ(data.contentWidth, 120.0f);
    EXPECT_FLOAT_EQ(data.contentHeight, 300.0f);
}

}  // namespace
}  // namespace pm
