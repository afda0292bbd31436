// The Help page's three steps and the Settings page's cards with their captions (the controls inside
// the cards are child windows).
#include "app/main_pages_internal.h"
#include "services/i18n/translate.h"
#include "ui/line_icons.h"
#include "ui/shapes.h"
#include "ui/shell_state.h"
#include "ui/text_list.h"

#include <string>
#include <vector>

namespace pm::detail {

namespace {

struct HelpStep {
    int icon;
    const wchar_t* title;
    const wchar_t* paragraph;
};

constexpr HelpStep helpSteps[3] = {
    {2, L"1. Выполните анализ",
     L"Приложение найдёт временные файлы старше 24 часов, кэш Chrome, Edge и Firefox,\nа также содержимое вашей "
     L"корзины. Анализ ничего не удаляет."},
    {6, L"2. Выберите категории и просмотрите файлы",
     L"Снимите отметки с ненужных категорий. Просмотр показывает полный путь и размер.\nОткрытые, изменившиеся, "
     L"защищённые файлы и ссылки пропускаются."},
    {0, L"3. Подтвердите очистку",
     L"Корзина очищается\nбезвозвратно после отдельного подтверждения. Операцию можно отменить.\nАвтоматической "
     L"очистки, удаления реестра, истории, cookies и паролей нет."},
};

}  // namespace

void paintHelpPage(Gdiplus::Graphics* g, const MainLayout& layout) {
    using ui::queueFrameText;
    using ui::theme;
    const float W = layout.width;
    const float cx = layout.contentX;
    drawCard(g, pageCard(layout));
    for (int i = 0; i < 3; ++i) {
        const HelpStep& step = helpSteps[i];
        const float y = 166.0f + 144.0f * static_cast<float>(i);
        ui::fillRoundRect(g, cx + 24, y, 38, 38, 12, theme.accentSoft, 0, 1.0f);
        ui::drawLineIcon(g, step.icon, cx + 33, y + 8, 21, theme.accent);
        queueFrameText(step.title, cx + 78, y + 1, W - cx - 120, 36, 21, rgbOf(theme.text), true, 0, true, false,
                       false);
        queueFrameText(step.paragraph, cx + 78, y + 47, W - cx - 122, 85, 16, rgbOf(theme.mutedText), false, 0, true,
                       false, false);
    }
}

void paintSettingsPage(Gdiplus::Graphics* g, const MainLayout& layout) {
    using ui::queueFrameText;
    using ui::theme;
    const float W = layout.width;
    const float cx = layout.contentX;
    const uint32_t text = rgbOf(theme.text);
    const uint32_t muted = rgbOf(theme.mutedText);

    const std::vector<DipRect> cards = pageCards(layout, 3);
    drawCard(g, cards[0]);
    queueFrameText(L"Внешний вид", cx + 25, 151, W - cx - 80, 29, 21, text, true, 0, true, false, false);
    // The caption sits at the end of the title's line: in a right-to-left language the title starts at the
    // right, so the caption takes the mirrored box at the left instead of running into it. Its box reaches
    // 100 DIPs further toward the title than the caption's English text needs, so that the longer
    // translations ("Enregistrement automatique") stay on one whole line; the longest title ends well before.
    constexpr float AutosaveWidth = 247;
    const float autosaveX = isRightToLeft() ? cx + 20 : W - 45 - AutosaveWidth;
    queueFrameText(L"Автосохранение", autosaveX, 150, AutosaveWidth, 23, 12, muted, false, 2, true, false, false);
    queueFrameText(L"Тема", cx + 26, 190, 148, 25, 15, muted, false, 0, true, false, false);
    queueFrameText(L"Цветовой акцент", cx + 26, 249, 155, 30, 15, muted, false, 0, true, false, false);
    queueFrameText(L"Язык интерфейса", cx + 26, 313, 157, 28, 15, muted, false, 0, true, false, false);

    drawCard(g, cards[1]);
    queueFrameText(L"Поведение и конфиденциальность", cx + 25, 426, W - cx - 80, 32, 21, text, true, 0, true, false,
                   false);
    queueFrameText(L"Непрозрачность виджета", cx + 31, 509, 188, 28, 13, muted, false, 0, true, true, false);
    const std::wstring opacity = std::to_wstring(ui::currentSettings.widget_opacity) + L"%";
    queueFrameText(opacity, W - 112, 509, 61, 28, 13, text, true, 2, false, true, false);
}

}  // namespace pm::detail
