#include "app/main_pages.h"

#include "app/main_pages_internal.h"
#include "app/shell_globals.h"
#include "app/text_pair.h"
#include "app/window_heading.h"
#include "services/i18n/translate.h"
#include "ui/line_icons.h"
#include "ui/shapes.h"
#include "ui/shell_state.h"
#include "ui/text_list.h"
#include "ui/window_utils.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace pm {

namespace {

// The clip box of the paint in DIPs, when it is less than the whole frame.
std::optional<DipRect> paintArea;

using detail::rgbOf;
using ui::queueFrameText;
using ui::theme;

void fillDevice(HDC dc, LONG right, LONG bottom, ui::Argb colour) {
    const RECT area{0, 0, right, bottom};
    SetDCBrushColor(dc, ui::toColorRef(colour));
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    GdiFlush();
}

// Height in DIPs of the version line word-wrapped in its box, so the logo tile centres on the header.
float versionTextHeight(const std::wstring& text) {
    if (!ui::fontCache.measureDC) return 0.0f;
    ui::TextItem item = ui::makeTextItem(text, 84, 73, 140, 22, 12, 0, false, 0, false, false);
    item.minPixelSize = item.pixelSize;  // measure only, never shrink
    item.rect.bottom = item.rect.top + 0x7FFF;
    return static_cast<float>(ui::fitTextItem(ui::fontCache, item).cy) / ui::layoutScale;
}

// Texts of the frame's list, as they stand (translated by the caller), left-aligned.
void queueHeadingText(const std::wstring& text, const TextBox& box, ui::Argb colour, bool bold) {
    queueFrameText(text, box.x, box.y, box.w, box.h, box.size, rgbOf(colour), bold, 0, false, false, !box.wraps);
}

void paintProductHeader(Gdiplus::Graphics* g, const MainLayout& layout) {
    const float ty = (73.0f + versionTextHeight(VersionLine) + 36.0f - 48.0f) / 2.0f;
    paintProductMark(g, mainProductMark(ty), queueHeadingText);
    queueFrameText(L"Очистка по вашему выбору", 22, 108, 188, 33, 13, rgbOf(theme.navMutedText), false, 0, true, false,
                   false);

    const float H = layout.height;
    Gdiplus::Pen line(Gdiplus::Color(ui::mixColor(theme.navBackground, theme.navText, 0.14f)), 1.0f);
    g->DrawLine(&line, 22.0f, H - 178.0f, layout.navWidth - 22.0f, H - 178.0f);
    queueFrameText(L"Безопасная очистка", 24, H - 215, layout.navWidth - 48, 24, 13, rgbOf(theme.navMutedText), false,
                   0, true, false, false);
}

constexpr detail::TextPair pageTitles[4] = {
    {L"Очистка ПК", L"Освободите место на компьютере"},
    {L"Место на диске", L"Свободное и занятое пространство"},
    {L"Справка", L"Понятная очистка: сначала анализ, затем ваш выбор"},
    {L"Настройки", L"Внешний вид и поведение приложения"},
};

void paintPageHeader(Gdiplus::Graphics* g, const MainLayout& layout) {
    const float W = layout.width;
    const float cx = layout.contentX;
    const detail::TextPair& titles = pageTitles[std::clamp(currentPage, 0, 3)];
    // While busy the Cancel button stands at the right of this line: the subtitle stops where the title
    // does, so neither a long nor a right-aligned subtitle runs under the button.
    const float subtitleWidth = busy ? W - cx - 233 : W - cx - 33;
    paintPageHeading(PageHeading{{cx + 2, 32, W - cx - 233, 47, 32, true}, {cx + 2, 83, subtitleWidth, 35, 16, true}},
                     translate(titles.title), translate(titles.subtitle), queueHeadingText);

    ui::fillRoundRect(g, W - 218, 35, 189, 32, 12, theme.accentSoft, 0, 1.0f);
    Gdiplus::SolidBrush dot{Gdiplus::Color(theme.accent)};
    g->FillEllipse(&dot, W - 205, 48.0f, 7.0f, 7.0f);
    const wchar_t* state = busy ? L"Выполняется…" : analysisPresent ? L"Результаты готовы" : L"Готов к анализу";
    queueFrameText(state, W - 190, 43, 152, 24, 12, rgbOf(theme.accentText), true, 0, true, false, false);
}

void paintStatusArea(Gdiplus::Graphics* g, const MainLayout& layout) {
    const float W = layout.width;
    const float H = layout.height;
    const float cx = layout.contentX;
    const uint32_t muted = rgbOf(theme.mutedText);
    if (!busy) {
        queueFrameText(statusText, cx + 4, H - 41, W - cx - 37, 26, 13, muted, false, 0, true, false, false);
        if (currentPage == 0) {
            queueFrameText(statusLine, cx + 4, H - 68, W - cx - 37, 20, 12, muted, false, 0, true, false, false);
        }
        return;
    }
    const float bw = W - cx - 31;
    ui::drawProgressBar(g, cx + 3, H - 24, bw, progressTotal > 0 ? shownProgress : 0.24f);
    if (progressTotal == 0) {
        // A scan has no total: a segment slides along with the busy ring instead.
        const float turns = ringAngle / 360.0f;
        const float p = turns - std::floor(turns);
        ui::fillRoundRect(g, cx + 3 + (bw - 0.22f * bw) * p, H - 24, 0.22f * bw, 8, 4, theme.accent, 0, 1.0f);
    }
    queueFrameText(progressText, cx + 4, H - 62, W - cx - 37, 28, 13, muted, false, 0, true, false, false);
}

}  // namespace

bool detail::touchesPaintArea(const DipRect& r) {
    if (!paintArea) return true;
    constexpr float Margin = 4.0f;  // the card's shadow 3 DIPs below it, and the pen
    return r.x - Margin < paintArea->x + paintArea->w && paintArea->x < r.x + r.w + Margin &&
           r.y - Margin < paintArea->y + paintArea->h && paintArea->y < r.y + r.h + Margin;
}

void paintMainContent(HDC dc) {
    const MainLayout layout = computeMainLayout();
    RECT clip{};
    const int clipKind = GetClipBox(dc, &clip);
    const float s = ui::layoutScale;
    if ((clipKind == SIMPLEREGION || clipKind == COMPLEXREGION) && s > 0 &&
        (clip.left > 0 || clip.top > 0 || clip.right < clientWidth || clip.bottom < clientHeight)) {
        paintArea = DipRect{static_cast<float>(clip.left) / s - 1, static_cast<float>(clip.top) / s - 1,
                            static_cast<float>(clip.right - clip.left) / s + 2,
                            static_cast<float>(clip.bottom - clip.top) / s + 2};
    }
    struct Reset {
        ~Reset() { paintArea.reset(); }
    } reset;
    fillDevice(dc, clientWidth, clientHeight, theme.background);
    fillDevice(dc, ui::layoutPixels(layout.navWidth), clientHeight, theme.navBackground);

    Gdiplus::Graphics graphics(dc);
    graphics.ScaleTransform(ui::layoutScale, ui::layoutScale);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::Graphics* g = &graphics;

    const float W = layout.width;
    const float H = layout.height;
    if (detail::touchesPaintArea({0, 0, layout.navWidth, H})) paintProductHeader(g, layout);
    if (detail::touchesPaintArea({layout.contentX, 0, W - layout.contentX, layout.top})) paintPageHeader(g, layout);
    using PagePainter = void (*)(Gdiplus::Graphics*, const MainLayout&);
    constexpr PagePainter pages[4] = {detail::paintCleanPage, detail::paintDiskPage, detail::paintHelpPage,
                                      detail::paintSettingsPage};
    if (currentPage >= 0 && currentPage < 4) {
        bool touched = false;
        for (const DipRect& card : pageCards(layout, currentPage)) touched = touched || detail::touchesPaintArea(card);
        if (touched) pages[currentPage](g, layout);
    }
    if (detail::touchesPaintArea({layout.contentX, H - 70, W - layout.contentX, 70})) paintStatusArea(g, layout);
    graphics.Flush(Gdiplus::FlushIntentionSync);
}

}  // namespace pm
