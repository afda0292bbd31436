#include "app/owner_buttons.h"
#include "app/control_ids.h"

#include "app/owner_buttons_internal.h"
#include "app/shell_globals.h"
#include "services/i18n/language.h"
#include "services/i18n/translate.h"
#include "ui/line_icons.h"
#include "ui/shapes.h"
#include "ui/shell_state.h"
#include "ui/text_list.h"
#include "ui/ui_font.h"
#include "ui/window_utils.h"

#include <algorithm>
#include <cmath>

namespace pm {

namespace detail {

namespace {

constexpr int NavigationFirst = 101;
constexpr int NavigationLast = 105;
constexpr int PrimaryButton = 121;

bool isNavigation(int id) { return id >= NavigationFirst && id <= NavigationLast; }

// The navigation entry of the current page (the web-site entry 104 never is).
bool isCurrentNavigation(int id) {
    constexpr int pageEntries[4] = {control::NavCleanPc, control::NavDiskSpace, control::NavHelp,
                                    control::NavSettings};
    return currentPage >= 0 && currentPage < 4 && pageEntries[currentPage] == id;
}

void paintFocusRing(const Face& face) {
    using ui::theme;
    Gdiplus::Pen pen(Gdiplus::Color(theme.highContrast ? theme.text : theme.accent), 1.5f);
    pen.SetDashStyle(Gdiplus::DashStyleDot);
    Gdiplus::GraphicsPath path;
    ui::addRoundRectPath(path, 4, 4, face.w - 8, face.h - 8, 9);
    face.g->DrawPath(&pen, &path);
}

}  // namespace

void resolveMotion(Face& face, const ui::ButtonState& state, bool reduceMotion) {
    const bool selected = (face.item->itemState & ODS_SELECTED) != 0;
    face.hover = reduceMotion ? (state.hover ? 1.0f : 0.0f) : state.hoverAmount;
    face.press = reduceMotion ? (selected ? 1.0f : 0.0f) : state.pressAmount;
    face.offset = static_cast<float>(ui::layoutPixels(1.2f * face.press, face.scale)) / face.scale;
}

FaceColours baseColours(int id, float hover, float press, bool disabled) {
    using ui::mixColor;
    using ui::theme;
    if (disabled) return {mixColor(theme.card, theme.background, 0.65f), theme.border, theme.mutedText};
    if (isNavigation(id)) {
        if (isCurrentNavigation(id)) {
            const ui::Argb fill = mixColor(theme.navBackground, theme.accent, 0.29f);
            return {fill, fill, theme.navText};
        }
        const ui::Argb fill = mixColor(theme.navBackground, theme.navText, 0.06f * hover);
        return {fill, fill, theme.navMutedText};
    }
    if (id == PrimaryButton) {
        // The Clean button keeps its colour under the pointer and darkens only while pressed.
        const ui::Argb fill = mixColor(theme.accent, 0xFF000000, 0.14f * press);
        return {fill, fill, theme.onAccent};
    }
    return {mixColor(theme.card, theme.accentSoft, 0.8f * hover), theme.border, theme.text};
}

std::wstring controlText(HWND control) {
    wchar_t text[257] = {};
    if (control) GetWindowTextW(control, text, 257);
    return text;
}

void paintNavigationOrButton(const Face& face) {
    using ui::queueFrameText;
    const float o = face.offset;
    const bool navigation = isNavigation(face.id);
    ui::fillRoundRect(face.g, 1, 1 + o, face.w - 2, face.h - 2 - o, navigation ? 13.0f : 11.0f, face.colours.fill,
                      face.colours.outline, 1.0f);
    const std::wstring text = controlText(face.item->hwndItem);
    const uint32_t colour = face.colours.text & 0xFFFFFF;
    if (!navigation) {
        queueFrameText(text, 12, 1 + o, face.w - 24, face.h - 2 - o, 14, colour, face.id == PrimaryButton, 1, false,
                       true, true);
        return;
    }
    const bool current = isCurrentNavigation(face.id);
    ui::drawLineIcon(face.g, face.id - NavigationFirst, face.rtl ? face.w - 37 : 15, (face.h - 22 + o) / 2, 22,
                     face.colours.text);
    queueFrameText(text, face.rtl ? 9.0f : 49.0f, 1 + o, face.w - 58, face.h - 2 - o, 15, colour, current, 0, false,
                   true, true);
    if (current) ui::fillRoundRect(face.g, face.rtl ? face.w - 6 : 3, 17, 3, face.h - 34, 1.5f, ui::theme.accent, 0, 1);
}

void paintLanguageEntry(const DRAWITEMSTRUCT& item) {
    using ui::theme;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    HBRUSH brush = CreateSolidBrush(ui::toColorRef(selected ? theme.accentSoft : theme.card));
    if (brush) {
        FillRect(item.hDC, &item.rcItem, brush);
        DeleteObject(brush);
    }
    if (item.itemID == static_cast<UINT>(-1)) return;

    wchar_t text[257] = {};
    const LRESULT length = SendMessageW(item.hwndItem, CB_GETLBTEXTLEN, item.itemID, 0);
    if (length >= 0 && length <= 256) {
        SendMessageW(item.hwndItem, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(text));
    }

    const auto& options = languageOptions();
    const std::string entryCode = item.itemID < options.size() ? options[item.itemID].code : std::string();
    // The "system" entry is written in the current language, so it takes that language's face.
    const std::string code = entryCode.empty() || entryCode == "system" ? currentLanguageCode() : entryCode;

    const float s = ui::layoutScale;
    const float w = static_cast<float>(item.rcItem.right - item.rcItem.left) / s;
    const float h = static_cast<float>(item.rcItem.bottom - item.rcItem.top) / s;
    ui::TextItem entry = ui::makeTextItem(text, 12, 0, w - 24, h, 15, theme.text & 0xFFFFFF, false, 0, true, true);
    OffsetRect(&entry.rect, item.rcItem.left, item.rcItem.top);
    entry.fontFace = ui::pickUiFontFace(code);
    // Only the Arabic entry reads right to left, whatever the interface language; the others, the "system"
    // entry included, never do.
    entry.format = entryCode == "ar" ? (DT_RIGHT | DT_RTLREADING) : DT_LEFT;
    ui::drawTextItem(ui::fontCache, item.hDC, entry);

    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -2, -2);
        DrawFocusRect(item.hDC, &focus);
    }
}

}  // namespace detail

void drawOwnerButton(const DRAWITEMSTRUCT& item) {
    if (item.CtlType == ODT_COMBOBOX) {
        if (item.CtlID == ui::LanguageComboId) detail::paintLanguageEntry(item);
        return;
    }
    const int id = static_cast<int>(item.CtlID);
    ui::ButtonState& state = ui::buttonStates[id];

    detail::Face face;
    face.item = &item;
    face.id = id;
    face.scale = ui::layoutScale > 0 ? ui::layoutScale : 1.0f;
    face.w = static_cast<float>(item.rcItem.right - item.rcItem.left) / face.scale;
    face.h = static_cast<float>(item.rcItem.bottom - item.rcItem.top) / face.scale;
    face.rtl = isRightToLeft();
    face.disabled = (item.itemState & ODS_DISABLED) != 0;
    face.state = &state;
    detail::resolveMotion(face, state, ui::theme.reduceMotion);
    face.colours = detail::baseColours(id, face.hover, face.press, face.disabled);

    Gdiplus::Graphics graphics(item.hDC);
    graphics.ScaleTransform(face.scale, face.scale);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    face.g = &graphics;

    if (id >= control::AccentFirst && id <= control::AccentLast) {
        detail::paintSwatch(face);
    } else if (id >= control::ThemeSystem && id <= control::ThemeDark) {
        detail::paintThemeSegment(face);
    } else if (id >= control::CategoryTemp && id <= control::CategoryRecycleBin) {
        detail::paintCategoryCard(face);
    } else if (id == control::CloseBrowsers || id == control::SkipLocked || id == control::DesktopWidget) {
        detail::paintOptionRow(face);
    } else {
        detail::paintNavigationOrButton(face);
    }
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) detail::paintFocusRing(face);
    graphics.Flush(Gdiplus::FlushIntentionSync);
}

namespace {

struct FittedText {
    ui::TextItem item;
    LONG used = 0;       // pixels of its box the text takes
    bool whole = false;  // neither cut to the lines that fit nor ending with an ellipsis
};

// The text fitted into the top height pixels of its box.
FittedText fitInto(const ui::TextItem& source, LONG height) {
    FittedText fitted{source};
    fitted.item.rect.bottom = fitted.item.rect.top + std::max(height, 0L);
    const SIZE measured = ui::fitTextItem(ui::fontCache, fitted.item);
    fitted.used = std::clamp(measured.cy, 0L, std::max(height, 0L));
    fitted.whole = fitted.item.text == source.text && measured.cy <= height &&
                   measured.cx <= source.rect.right - source.rect.left;
    return fitted;
}

}  // namespace

void drawOptionRow(const std::wstring& title, const std::wstring& subtitle, float x, float y, float w, float h,
                   float size, std::uint32_t titleColour, std::uint32_t subtitleColour, bool bold,
                   bool translateTexts) {
    const float s = ui::layoutScale;
    const LONG top = ui::layoutPixels(y, s);
    const LONG bottom = ui::layoutPixels(y + h, s);
    const LONG height = std::max(bottom - top, 0L);
    const LONG gap = std::min(std::max(ui::layoutPixels(2.0f, s), 1L), height / 3);
    const LONG rest = height - gap;
    const LONG titleHeight = rest * 56 / 100;

    const ui::TextItem first = ui::makeTextItem(translateTexts ? translate(title) : title, x, y, w, h, size,
                                                titleColour & 0xFFFFFF, bold, 0, false, false);
    const ui::TextItem second = ui::makeTextItem(translateTexts ? translate(subtitle) : subtitle, x, y, w, h, 12,
                                                 subtitleColour & 0xFFFFFF, false, 0, false, false);
    FittedText fittedTitle = fitInto(first, titleHeight);
    if (!fittedTitle.whole) {
        // A title that needs more lines than its share takes the height a one-line subtitle leaves.
        ui::TextItem oneLine = second;
        oneLine.singleLine = 1;
        const LONG titleRoom = rest - fitInto(oneLine, rest - titleHeight).used;
        if (titleRoom > titleHeight) fittedTitle = fitInto(first, titleRoom);
    }
    // The subtitle has whatever the title leaves, so a short title leaves room for a second line.
    FittedText fittedSubtitle = fitInto(second, rest - fittedTitle.used);

    const LONG slack = height - std::max(gap + fittedTitle.used + fittedSubtitle.used, 0L);
    const LONG y0 = slack > 1 ? top + slack / 2 : top;
    ui::TextItem& titleItem = fittedTitle.item;
    ui::TextItem& subtitleItem = fittedSubtitle.item;
    titleItem.rect.top = y0;
    titleItem.rect.bottom = y0 + fittedTitle.used;
    subtitleItem.rect.top = titleItem.rect.bottom + gap;
    subtitleItem.rect.bottom = subtitleItem.rect.top + fittedSubtitle.used;
    if (!ui::frameTextList) return;
    ui::appendTextItem(*ui::frameTextList, std::move(titleItem));
    ui::appendTextItem(*ui::frameTextList, std::move(subtitleItem));
}

}  // namespace pm
