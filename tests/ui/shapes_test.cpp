// Shapes and line icons by their pixels on DIB sections (GDI+ at scale 1).
#include "draw_support.h"

#include "ui/line_icons.h"
#include "ui/shapes.h"
#include "ui/text_list.h"
#include "ui/theme.h"

#include <gtest/gtest.h>

namespace {

using namespace pm::ui;
using pm::test::Dib;

constexpr uint32_t Paper = 0xFFFFFFFF;

class Shapes : public testing::Test {
protected:
    void SetUp() override {
        saved_ = theme;
        theme.surface = 0xFF101010;
        theme.accent = 0xFF00864D;
        theme.background = 0xFFF4F7F9;
        theme.border = 0xFFDFE7EB;
        theme.card = 0xFF0000FF;
    }
    void TearDown() override {
        theme.cardBrush = theme.backgroundBrush = theme.surfaceBrush = nullptr;
        theme = saved_;
    }
    // Runs draw on a Graphics over the DIB and checks GDI+ accepted every call.
    template <typename Draw>
    void paint(Dib& dib, Draw draw) {
        Gdiplus::Graphics g(dib.dc());
        draw(&g);
        EXPECT_EQ(g.GetLastStatus(), Gdiplus::Ok);
        g.Flush(Gdiplus::FlushIntentionSync);
    }
    // Length of the run of this colour in the row.
    static int run(const Dib& dib, int y, uint32_t colour) {
        int n = 0;
        for (int x = 0; x < dib.width(); ++x) n += dib.rgb(x, y) == (colour & 0xFFFFFF);
        return n;
    }
    Theme saved_;
};

TEST_F(Shapes, ProgressBarFillsByFractionWithAnEightWideMinimum) {
    const struct {
        float fraction;
        int accentMin, accentMax;
    } cases[] = {{0.0f, 0, 0}, {0.001f, 7, 9}, {0.5f, 149, 151}, {1.5f, 299, 300}, {-1.0f, 0, 0}};
    for (const auto& c : cases) {
        Dib dib(320, 20);
        paint(dib, [&](Gdiplus::Graphics* g) { drawProgressBar(g, 10, 6, 300, c.fraction); });
        const int accent = run(dib, 10, theme.accent);  // the bar's middle row
        EXPECT_GE(accent, c.accentMin) << c.fraction;
        EXPECT_LE(accent, c.accentMax) << c.fraction;
        EXPECT_GE(accent + run(dib, 10, theme.surface), 298) << "the track spans the bar: " << c.fraction;
        EXPECT_EQ(dib.rgb(160, 3), 0xFFFFFFu) << "8 high only";
        EXPECT_EQ(dib.rgb(160, 16), 0xFFFFFFu);
    }
}

TEST_F(Shapes, ABorderWithAlphaZeroDrawsNoOutline) {
    Dib plain(100, 60), bordered(100, 60), outlined(100, 60);
    paint(plain, [](Gdiplus::Graphics* g) { fillRoundRect(g, 10, 10, 80, 40, 8, 0xFF20A020, 0, 1.0f); });
    // Source copy: a transparent outline, were one drawn, would replace the pixels under it.
    paint(bordered, [](Gdiplus::Graphics* g) {
        g->SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        fillRoundRect(g, 10, 10, 80, 40, 8, 0xFF20A020, 0x00FF0000, 4.0f);
    });
    paint(outlined, [](Gdiplus::Graphics* g) { fillRoundRect(g, 10, 10, 80, 40, 8, 0xFF20A020, 0xFFFF0000, 4.0f); });
    EXPECT_TRUE(plain.samePixels(bordered));
    EXPECT_FALSE(plain.samePixels(outlined));
    EXPECT_EQ(outlined.rgb(50, 10), 0xFF0000u);
}

TEST_F(Shapes, RadiusZeroFillsTheCorners) {
    for (float radius : {0.0f, -3.0f}) {
        Dib dib(60, 60);
        paint(dib, [&](Gdiplus::Graphics* g) { fillRoundRect(g, 10, 10, 40, 30, radius, 0xFF123456, 0, 1.0f); });
        const RECT ink = dib.inkBounds(Paper);
        EXPECT_EQ(ink.left, 10);
        EXPECT_EQ(ink.top, 10);
        EXPECT_EQ(ink.right, 50);
        EXPECT_EQ(ink.bottom, 40);
        for (auto [x, y] : {std::pair{10, 10}, {49, 10}, {10, 39}, {49, 39}}) EXPECT_EQ(dib.rgb(x, y), 0x123456u);
    }
    // A real radius leaves the corners empty; a radius beyond half the shorter side makes a capsule.
    Dib round(60, 60);
    paint(round, [](Gdiplus::Graphics* g) { fillRoundRect(g, 10, 10, 40, 30, 100, 0xFF123456, 0, 1.0f); });
    EXPECT_EQ(round.rgb(10, 10), 0xFFFFFFu);
    EXPECT_EQ(round.rgb(30, 11), 0x123456u);
    EXPECT_EQ(round.rgb(11, 25), 0x123456u);  // the capsule's end reaches its left edge at mid-height
}

TEST_F(Shapes, CardsCastAShadowExceptInHighContrast) {
    const uint32_t shadow = mixColor(theme.background, theme.border, 0.14f) & 0xFFFFFF;
    for (bool highContrast : {false, true}) {
        theme.highContrast = highContrast;
        Dib dib(200, 120);
        paint(dib, [](Gdiplus::Graphics* g) { drawCard(g, 20, 20, 160, 80); });
        EXPECT_EQ(dib.rgb(100, 60), 0x0000FFu);  // the card itself
        EXPECT_EQ(dib.rgb(100, 20), theme.border & 0xFFFFFF);
        const uint32_t below = dib.rgb(100, 102);  // under the card's bottom edge, inside the shadow
        if (highContrast) {
            EXPECT_EQ(below, 0xFFFFFFu);
        } else {
            EXPECT_EQ(below, shadow);
        }
    }
}

TEST_F(Shapes, EveryKindAboveSixIsTheTrashCan) {
    auto icon = [&](int kind, Dib& dib) {
        paint(dib, [&](Gdiplus::Graphics* g) { drawLineIcon(g, kind, 4, 4, 24, 0xFF000000); });
    };
    Dib reference(32, 32), document(32, 32);
    icon(100, reference);
    icon(6, document);
    EXPECT_FALSE(reference.samePixels(document));
    for (int kind : {7, 8, 255, -1}) {
        Dib dib(32, 32);
        icon(kind, dib);
        EXPECT_TRUE(dib.samePixels(reference)) << kind;
    }
}

TEST_F(Shapes, EveryIconStaysInsideItsBox) {
    for (int kind = 0; kind <= 7; ++kind) {
        Dib dib(60, 60);
        paint(dib, [&](Gdiplus::Graphics* g) { drawLineIcon(g, kind, 15, 15, 30, 0xFF000000); });
        const RECT ink = dib.inkBounds(Paper);
        EXPECT_LT(ink.left, ink.right) << "kind " << kind << " drew nothing";
        EXPECT_GE(ink.left, 13) << kind;
        EXPECT_GE(ink.top, 13) << kind;
        EXPECT_LE(ink.right, 47) << kind;
        EXPECT_LE(ink.bottom, 47) << kind;
    }
}

TEST_F(Shapes, TheHelpIconsQuestionMarkNeedsAFramePaint) {
    Dib dib(40, 40);
    paint(dib, [](Gdiplus::Graphics* g) { drawLineIcon(g, 2, 4, 4, 32, 0xFF112233); });  // circle only
    TextList list;
    TextList* saved = frameTextList;
    frameTextList = &list;
    paint(dib, [](Gdiplus::Graphics* g) { drawLineIcon(g, 2, 4, 4, 32, 0xFF112233); });
    frameTextList = saved;
    ASSERT_EQ(list.items.size(), 1u);
    const TextItem& mark = list.items[0];
    EXPECT_EQ(mark.text, L"?");
    EXPECT_EQ(mark.colour, RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(mark.bold, 1);
    EXPECT_EQ(mark.vCentre, 1);
    EXPECT_EQ(mark.singleLine, 1);
    EXPECT_EQ(mark.format & DT_CENTER, static_cast<uint32_t>(DT_CENTER));
}

TEST_F(Shapes, BroomScalesWithItsSize) {
    Dib dib(120, 120);
    paint(dib, [](Gdiplus::Graphics* g) { drawBroomIcon(g, 10, 10, 100, 0xFF000000); });
    const RECT ink = dib.inkBounds(Paper);
    // Handle from (90, 10); head arc over 10..69 wide, down to 10 + 0.87 * 100.
    EXPECT_LE(ink.left, 12);
    EXPECT_LE(ink.top, 12);
    EXPECT_GE(ink.right, 89);
    EXPECT_GE(ink.bottom, 94);
    EXPECT_LE(ink.bottom, 102);  // plus half the pen (100 / 18) with its round cap
    EXPECT_EQ(dib.rgb(71, 89), 0u);  // the first speck, (68, 86) 7.5 across, is filled
}

}  // namespace
