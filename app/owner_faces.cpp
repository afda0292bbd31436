// The faces of the settings and selection controls: accent swatches, theme segments, category cards
// with their check boxes, and option rows with their switches.
#include "app/control_ids.h"
#include "app/format_bytes.h"
#include "app/owner_buttons.h"
#include "app/owner_buttons_internal.h"
#include "app/shell_globals.h"
#include "app/text_pair.h"
#include "ui/line_icons.h"
#include "ui/shapes.h"
#include "ui/shell_state.h"
#include "ui/text_list.h"

#include <algorithm>
#include <cstdint>

namespace pm::detail {

namespace {

using ui::mixColor;
using ui::theme;

struct Swatch {
    const char* key;
    ui::Argb colour;
};

constexpr Swatch swatches[6] = {
    {"emerald", 0xFF00864D}, {"blue", 0xFF236BDD}, {"violet", 0xFF7C4DD8},
    {"amber", 0xFF9B6008},   {"rose", 0xFFCA3767}, {"teal", 0xFF007981},
};

constexpr const char* themeValues[3] = {"system", "light", "dark"};

constexpr TextPair categoryTexts[3] = {
    {L"Временные файлы", L"Файлы старше 24 часов"},
    {L"Кэш браузеров", L"Chrome, Edge, Firefox"},
    {L"Корзина", L"Удалённые файлы"},
};

constexpr int categoryIcons[3] = {6, 3, 7};

uint64_t categoryTotal(int category) {
    if (category < 2) return scanReport.categoryBytes[static_cast<std::size_t>(category)];
    return static_cast<uint64_t>(std::max<int64_t>(scanReport.recycleBinBytes, 0));
}

void drawCheckMark(Gdiplus::Graphics* g, ui::Argb colour, float width, float x1, float y1, float x2, float y2, float x3,
                   float y3) {
    Gdiplus::Pen pen(Gdiplus::Color(colour), width);
    pen.SetStartCap(Gdiplus::LineCapRound);
    pen.SetEndCap(Gdiplus::LineCapRound);
    pen.SetLineJoin(Gdiplus::LineJoinRound);
    const Gdiplus::PointF points[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
    g->DrawLines(&pen, points, 3);
}

bool optionSetting(int id) {
    const AppSettings& settings = ui::currentSettings;
    if (id == control::CloseBrowsers) return settings.close_browsers;
    if (id == control::SkipLocked) return settings.skip_locked;
    return settings.widget_enabled;
}

TextPair optionTexts(int id) {
    if (id == control::CloseBrowsers) return {L"Закрывать браузеры", L"Только после подтверждения"};
    if (id == control::DesktopWidget) return {L"Виджет на рабочем столе", L"Работает, пока открыто приложение"};
    if (ui::currentSettings.skip_locked) return {L"Пропускать занятые файлы", L"Открытые файлы будут пропущены"};
    // The Clean PC page's row is narrow: the short subtitle.
    if (currentPage == 0) return {L"Пропускать занятые файлы", L"Безопасный повтор"};
    return {L"Пропускать занятые файлы", L"Безопасный повтор без принудительного удаления"};
}

}  // namespace

void paintSwatch(const Face& face) {
    const Swatch& swatch = swatches[face.id - 170];
    const bool current = ui::currentSettings.palette == swatch.key;
    const float w = face.w;
    const float h = face.h;
    if (current) {
        ui::fillRoundRect(face.g, 1, 2, w - 2, h - 4, 12, theme.card, theme.accent, 2.0f);
    } else {
        ui::fillRoundRect(face.g, 1, 2, w - 2, h - 4, 12, theme.card,
                          mixColor(theme.border, swatch.colour, 0.5f * face.hover), 1.0f);
    }
    ui::fillRoundRect(face.g, 7, 8, w - 14, h - 16, 8, swatch.colour, 0, 1.0f);
    if (current) {
        drawCheckMark(face.g, 0xFFFFFFFF, 2.2f, 0.31f * w, 0.49f * h, 0.46f * w, 0.63f * h, 0.70f * w, 0.37f * h);
    }
}

void paintThemeSegment(const Face& face) {
    const bool current = ui::currentSettings.theme == themeValues[face.id - 160];
    const float o = face.offset;
    const ui::Argb fill = current ? theme.accentSoft : mixColor(theme.card, theme.accentSoft, 0.4f * face.hover);
    ui::fillRoundRect(face.g, 1, 1 + o, face.w - 2, face.h - 2 - o, 10, fill, current ? theme.accent : theme.border,
                      1.0f);
    ui::queueFrameText(controlText(face.item->hwndItem), 9, 1 + o, face.w - 18, face.h - 2 - o, 14,
                       (current ? theme.accentText : theme.mutedText) & 0xFFFFFF, current, 1, false, true, true);
}

void paintCategoryCard(const Face& face) {
    const int category = face.id - 125;
    const bool selected = cleanSelection[static_cast<std::size_t>(category)];
    const float w = face.w;
    const float h = face.h;
    ui::fillRoundRect(face.g, 1, 1, w - 2, h - 2, 12, mixColor(theme.surface, theme.accentSoft, 0.5f * face.hover),
                      selected ? mixColor(theme.border, theme.accent, 0.3f) : theme.border, 1.0f);

    const float boxX = face.rtl ? w - 34 : 12;
    const float boxY = (h - 22) / 2;
    ui::fillRoundRect(face.g, boxX, boxY, 22, 22, 6, selected ? theme.accent : theme.card,
                      selected ? theme.accent : theme.border, 1.0f);
    if (selected) {
        drawCheckMark(face.g, theme.onAccent, 2.0f, boxX + 5, boxY + 10, boxX + 10, boxY + 15, boxX + 18, boxY + 6);
    }
    ui::drawLineIcon(face.g, categoryIcons[category], face.rtl ? w - 69 : 45, (h - 24) / 2, 24, theme.mutedText);

    const TextPair& texts = categoryTexts[category];
    drawOptionRow(texts.title, texts.subtitle, face.rtl ? 109.0f : 79.0f, 4, w - 188, h - 8, 15, face.colours.text,
                  theme.mutedText, true, true);
    ui::queueFrameText(formatBytes(categoryTotal(category)), face.rtl ? 13.0f : w - 106, 2, 93, h - 4, 15,
                       face.colours.text & 0xFFFFFF, true, 2, false, true, true);
}

void paintOptionRow(const Face& face) {
    const float w = face.w;
    const float h = face.h;
    ui::fillRoundRect(face.g, 0, 0, w, h, 12, mixColor(theme.card, theme.accentSoft, 0.35f * face.hover), 0, 1.0f);

    const bool on = optionSetting(face.id);
    const float trackX = face.rtl ? 12 : w - 55;
    const float trackY = (h - 24) / 2;
    ui::fillRoundRect(face.g, trackX, trackY, 43, 24, 12,
                      on ? theme.accent : mixColor(theme.border, theme.mutedText, 0.17f), 0, 1.0f);
    float knob = theme.reduceMotion ? (on ? 1.0f : 0.0f) : face.state->switchPosition;
    if (face.rtl) knob = 1.0f - knob;  // on sits at the left end in a right-to-left row
    Gdiplus::SolidBrush brush{Gdiplus::Color(theme.onAccent)};
    face.g->FillEllipse(&brush, trackX + 3 + 19 * knob, trackY + 3, 18.0f, 18.0f);

    const TextPair texts = optionTexts(face.id);
    const float textX = face.rtl ? 65.0f : 11.0f;
    if (h >= 40) {
        drawOptionRow(texts.title, texts.subtitle, textX, 4, w - 76, h - 8, 14, theme.text, theme.mutedText, true,
                      true);
    } else {
        ui::queueFrameText(texts.title, textX, 2, w - 76, h - 4, 14, theme.text & 0xFFFFFF, true, 0, true, true, false);
    }
}

}  // namespace pm::detail
