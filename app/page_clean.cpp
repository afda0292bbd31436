// The Clean PC page: the ring gauge with the selected size, the categories card, the disk card and the
// options card.
#include "app/drive_label.h"
#include "app/format_bytes.h"
#include "app/main_pages_internal.h"
#include "app/operations.h"
#include "app/shell_globals.h"
#include "services/i18n/translate.h"
#include "ui/line_icons.h"
#include "ui/shapes.h"
#include "ui/text_list.h"

#include <algorithm>
#include <string>
#include <vector>

namespace pm::detail {

namespace {

using ui::queueFrameText;
using ui::theme;

void paintAnalysisCard(Gdiplus::Graphics* g, const MainLayout& layout, const DipRect& card) {
    const float cx = layout.contentX;
    const float top = layout.top;
    const float mw = layout.mainWidth;
    drawCard(g, card);

    const float d = ringDiameter(mw);
    paintRingGauge(g, cx + 26, top + 41, d, gaugeValueAt(GetTickCount64()));

    const uint64_t selected = selectedCategoryBytes();
    queueFrameText(formatBytes(selected), cx + 26, top + 99, d, 42, 27, rgbOf(theme.text), true, 1, false, false,
                   false);
    queueFrameText(L"к очистке", cx + 26, top + 146, d, 26, 14, rgbOf(theme.mutedText), false, 1, true, false, false);

    std::wstring headline;
    std::wstring countLine;
    if (analysisPresent) {
        headline = translate(L"Можно освободить") + L" " + formatBytes(selected);
        const uint64_t items = static_cast<uint64_t>(std::max<int64_t>(scanReport.recycleBinItems, 0));
        countLine = translate(L"Найдено файлов:") + L" " + formatCount(scanReport.entries.size() + items);
    } else {
        headline = translate(L"Начните с анализа");
        countLine = translate(L"Удаление только после вашего выбора");
    }
    queueFrameText(headline, cx + 0.42f * mw, top + 29, 0.53f * mw, 73, 23, rgbOf(theme.text), true, 0, false, false,
                   false);
    queueFrameText(countLine, cx + 0.42f * mw, top + 105, 0.53f * mw, 35, 14, rgbOf(theme.mutedText), false, 0, false,
                   false, false);
}

void paintDiskCard(Gdiplus::Graphics* g, const MainLayout& layout, const DipRect& card) {
    const float sx = layout.sideX;
    const float sw = layout.sideWidth;
    drawCard(g, card);
    queueFrameText(L"Место на диске", sx + 20, layout.top + 19, sw - 40, 34, 20, rgbOf(theme.text), true, 0, true,
                   false, false);
    const std::size_t rows = std::min<std::size_t>(driveList.size(), 2);
    for (std::size_t k = 0; k < rows; ++k) {
        const DriveInfo& drive = driveList[k];
        const float y = layout.top + 63 + 76 * static_cast<float>(k);
        ui::drawLineIcon(g, 1, sx + 20, y, 24, theme.mutedText);
        queueFrameText(driveLabel(drive), sx + 55, y, sw - 75, 24, 15, rgbOf(theme.text), true, 0, false, false, false);
        ui::drawProgressBar(g, sx + 20, y + 30, sw - 40, usedFraction(drive));
        queueFrameText(freeSpaceText(drive), sx + 20, y + 46, sw - 40, 22, 12, rgbOf(theme.mutedText), false, 0, false,
                       false, false);
    }
}

}  // namespace

void drawCard(Gdiplus::Graphics* g, const DipRect& card) { ui::drawCard(g, card.x, card.y, card.w, card.h); }

float ringDiameter(float mainWidth) { return std::min(0.35f * mainWidth, 178.0f); }

void paintRingGauge(Gdiplus::Graphics* g, float x, float y, float d, double value) {
    Gdiplus::Pen track(Gdiplus::Color(theme.surface), 10.0f);
    g->DrawEllipse(&track, x, y, d, d);
    const float angle = static_cast<float>(value * 360.0);
    Gdiplus::Pen arc(Gdiplus::Color(theme.accent), 10.0f);
    arc.SetStartCap(Gdiplus::LineCapRound);
    arc.SetEndCap(Gdiplus::LineCapRound);
    // A 360° arc leaves a seam where its round caps meet; a full value draws the whole ellipse instead.
    if (angle >= 359.999f) {
        g->DrawEllipse(&arc, x, y, d, d);
    } else if (angle > 0.0f) {
        g->DrawArc(&arc, x, y, d, d, -90.0f, angle);
    }
}

void paintCleanPage(Gdiplus::Graphics* g, const MainLayout& layout) {
    const float cx = layout.contentX;
    const float mw = layout.mainWidth;
    const float b = layout.top + layout.cardHeight;
    const std::vector<DipRect> cards = pageCards(layout, 0);  // analysis, categories, disk, options
    if (touchesPaintArea(cards[0])) paintAnalysisCard(g, layout, cards[0]);

    if (touchesPaintArea(cards[1])) {
        drawCard(g, cards[1]);
        queueFrameText(L"Что будет очищено", cx + 19, b + 39, mw - 38, 33, 20, rgbOf(theme.text), true, 0, true, false,
                       false);
    }

    if (touchesPaintArea(cards[2])) paintDiskCard(g, layout, cards[2]);

    if (!touchesPaintArea(cards[3])) return;
    const float sx = layout.sideX;
    const float sw = layout.sideWidth;
    drawCard(g, cards[3]);
    queueFrameText(L"Параметры очистки", sx + 20, b + 39, sw - 40, 34, 20, rgbOf(theme.text), true, 0, true, false,
                   false);
    ui::fillRoundRect(g, sx + 20, b + 210, sw - 40, 67, 12, theme.accentSoft, 0, 1.0f);
    ui::drawLineIcon(g, 5, sx + 32, b + 224, 23, theme.accent);
    queueFrameText(L"История и пароли сохраняются.", sx + 68, b + 220, sw - 90, 52, 13, rgbOf(theme.mutedText), false,
                   0, true, false, false);
}

}  // namespace pm::detail
