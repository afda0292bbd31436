// The main window's frame by its pixels: the ring gauge, the drive rows of both pages and the progress
// strip, painted at known geometry into a back buffer as the frame renderer paints it.
#include "paint_support.h"

#include "app/main_pages.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using namespace pm;
using pm::test::PaintFixture;

class MainFrame : public PaintFixture {
protected:
    void render() {
        ASSERT_TRUE(ui::ensureBackBuffer(frame_, clientWidth, clientHeight));
        withTextList(frame_.dc, [&] { paintMainContent(frame_.dc); });
    }
    // The texts the frame queues, as they stand before drawing.
    static std::vector<std::wstring> queuedTexts() {
        ui::BackBuffer frame;
        EXPECT_TRUE(ui::ensureBackBuffer(frame, clientWidth, clientHeight));
        ui::TextList list;
        ui::frameTextList = &list;
        paintMainContent(frame.dc);
        ui::frameTextList = nullptr;
        std::vector<std::wstring> texts;
        for (const ui::TextItem& item : list.items) texts.push_back(item.text);
        return texts;
    }
    static bool has(const std::vector<std::wstring>& texts, const std::wstring& text) {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
    uint32_t at(float x, float y) const {
        return rgbAt(frame_, static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
    }
    // Leftmost and rightmost pixel of the colour in row y between x0 and x1; {-1, -1} when none.
    std::pair<int, int> span(int y, int x0, int x1, ui::Argb colour) const {
        std::pair<int, int> found{-1, -1};
        for (int x = x0; x < x1; ++x) {
            if (rgbAt(frame_, x, y) != rgbOf(colour)) continue;
            if (found.first < 0) found.first = x;
            found.second = x;
        }
        return found;
    }
    static void addDrives(int count) {
        for (int i = 0; i < count; ++i) {
            driveList.push_back(DriveInfo{std::wstring(1, static_cast<wchar_t>(L'C' + i)) + L":\\", 50, 100});
        }
    }
    ui::BackBuffer frame_;
};

TEST_F(MainFrame, RingGaugeClosesAtOneAndShowsOnlyItsTrackAtZero) {
    // At 1100 x 790 the ring is 178 across with its top-left corner at (276, 175).
    const float centreX = 276 + 89, centreY = 175 + 89;
    const struct {
        double value;
        int accentSamples;  // of the eight samples clockwise from 22.5° after twelve o'clock
    } cases[] = {{1.0, 8}, {0.0, 0}, {0.5, 4}, {0.25, 2}};
    for (const auto& c : cases) {
        gaugeTo = c.value;
        render();
        for (int k = 0; k < 8; ++k) {
            const double angle = (22.5 + 45.0 * k) * 3.14159265358979 / 180.0;
            const uint32_t pixel = at(centreX + 89 * std::sin(angle), centreY - 89 * std::cos(angle));
            const ui::Argb expected = k < c.accentSamples ? ui::theme.accent : ui::theme.surface;
            EXPECT_EQ(pixel, rgbOf(expected)) << "value " << c.value << ", sample " << k;
        }
    }
}

TEST_F(MainFrame, RingDiameterFollowsTheColumnUpToItsCap) {
    const struct {
        int clientWidth;
        float diameter;
    } cases[] = {{1100, 178}, {980, 140}};  // left columns of 520 and 400 DIPs
    for (const auto& c : cases) {
        clientWidth = c.clientWidth;
        gaugeTo = 1.0;
        render();
        const int columnEnd = 250 + (c.clientWidth - 580);  // the left column
        const auto [left, right] = span(static_cast<int>(175 + c.diameter / 2), 250, columnEnd, ui::theme.accent);
        ASSERT_GE(left, 0) << c.clientWidth;
        EXPECT_NEAR(right - left + 1, c.diameter + 10, 2.5) << "outer edge of a 10 wide pen, width " << c.clientWidth;
        EXPECT_NEAR(left, 276 - 5, 1) << c.clientWidth;
    }
}

TEST_F(MainFrame, DriveRowsStopWhereEachPageRunsOutOfRoom) {
    // Each drive is half full: its bar's left end is accent, its right end the track. On the Disk space
    // page a row (95 high) is shown only when it ends above the button at H - 137: four rows at a height
    // of 790, five from 826.
    const struct {
        int page;
        int height;
        int drives;
        int shownRows;
    } cases[] = {{0, 790, 0, 0}, {0, 790, 1, 1}, {0, 790, 3, 2}, {1, 790, 1, 1}, {1, 790, 5, 4},
                 {1, 825, 5, 4}, {1, 826, 5, 5}, {1, 933, 7, 5}, {1, 934, 7, 6}};
    for (const auto& c : cases) {
        driveList.clear();
        addDrives(c.drives);
        currentPage = c.page;
        clientHeight = c.height;
        render();
        for (int k = 0; k < 7; ++k) {
            // Page 0: disk card rows at 134 + 63 + 76 k, bar 30 below; page 1: rows at 162 + 108 k, bar 40 below.
            const float barY = c.page == 0 ? 134 + 63 + 76 * k + 34 : 162 + 108 * k + 44;
            const float barX = c.page == 0 ? 790 + 20 : 250 + 26;
            const float barW = c.page == 0 ? 290 - 40 : 1100 - 250 - 77;
            if (c.page == 0 && k >= 2) break;  // below the disk card
            if (barY >= c.height) break;
            const bool shown = k < c.shownRows;
            EXPECT_EQ(at(barX + 10, barY) == rgbOf(ui::theme.accent), shown)
                << "page " << c.page << ", height " << c.height << ", " << c.drives << " drives, row " << k;
            EXPECT_EQ(at(barX + barW - 10, barY) == rgbOf(ui::theme.surface), shown)
                << "page " << c.page << ", height " << c.height << ", " << c.drives << " drives, row " << k;
        }
    }
}

TEST_F(MainFrame, ProgressStripShowsTheFractionOrAScanSegment) {
    // The strip runs from x 253 for 819 DIPs at y 766 to 774.
    const struct {
        uint64_t total;
        float shown;
        float angle;
        std::vector<int> accentAt;
        std::vector<int> trackAt;
    } cases[] = {
        {100, 0.5f, 0, {260, 650}, {670, 1060}},      // a clean-up: the eased fraction alone
        {100, 0.1f, 180, {300}, {400, 700}},          // the ring angle moves nothing with a total
        {0, 0.9f, 0, {260, 440}, {460, 1060}},        // a scan: 24 % plus a segment at the start
        {0, 0.0f, 180, {300, 600, 740}, {480, 800}},  // the segment halfway along
        {0, 0.0f, 540, {600}, {480, 800}},            // angles past a turn wrap
    };
    busy = true;
    for (const auto& c : cases) {
        progressTotal = c.total;
        shownProgress = c.shown;
        ringAngle = c.angle;
        render();
        for (int x : c.accentAt) {
            EXPECT_EQ(at(x, 770), rgbOf(ui::theme.accent)) << c.total << "/" << c.angle << " x " << x;
        }
        for (int x : c.trackAt) {
            EXPECT_EQ(at(x, 770), rgbOf(ui::theme.surface)) << c.total << "/" << c.angle << " x " << x;
        }
    }
    busy = false;
    render();
    EXPECT_EQ(at(600, 770), rgbOf(ui::theme.background)) << "no strip when idle";
}

TEST_F(MainFrame, StatePillSaysWorkingBeforeResultsReady) {
    const std::wstring ready = translate(L"Готов к анализу");
    const std::wstring results = translate(L"Результаты готовы");
    const std::wstring working = translate(L"Выполняется…");
    const struct {
        bool busy, analysis;
        const std::wstring& pill;
    } cases[] = {{false, false, ready}, {false, true, results}, {true, false, working}, {true, true, working}};
    for (const auto& c : cases) {
        busy = c.busy;
        analysisPresent = c.analysis;
        statusText = L"";  // the idle status line says "ready" too
        const std::vector<std::wstring> texts = queuedTexts();
        EXPECT_TRUE(has(texts, c.pill)) << c.busy << c.analysis;
        for (const std::wstring* other : {&ready, &results, &working}) {
            if (*other != c.pill) {
                EXPECT_FALSE(has(texts, *other)) << c.busy << c.analysis;
            }
        }
    }
    busy = analysisPresent = false;
}

TEST_F(MainFrame, LastAnalysisLineOnlyOnTheCleanPcPage) {
    statusLine = L"Last scan: yesterday";
    statusText = L"Scan complete";
    for (int page = 0; page < 4; ++page) {
        currentPage = page;
        const std::vector<std::wstring> texts = queuedTexts();
        EXPECT_EQ(has(texts, statusLine), page == 0) << page;
        EXPECT_TRUE(has(texts, statusText)) << page;
    }
    currentPage = 0;
}

}  // namespace
