// The owner-drawn faces by their pixels and their queued texts: category cards, option switches and
// push buttons, each painted into its own buffer as the frame renderer hands it over.
#include "paint_support.h"

#include "app/format_bytes.h"
#include "app/owner_buttons.h"
#include "services/i18n/language.h"

#include <cmath>
#include <vector>

namespace {

using namespace pm;
using pm::test::PaintFixture;

class OwnerButtons : public PaintFixture {
protected:
    void TearDown() override {
        if (button_) DestroyWindow(button_);
        PaintFixture::TearDown();
    }
    // Paints control id at w x h DIPs (at the layout scale) over the background; keeps the queued texts.
    void paint(int id, float w, float h, UINT state, const wchar_t* text = L"") {
        if (!button_) {
            button_ = CreateWindowExW(0, L"BUTTON", L"", WS_POPUP | BS_OWNERDRAW, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        }
        SetWindowTextW(button_, text);
        const int width = static_cast<int>(w * ui::layoutScale + 0.5f);
        const int height = static_cast<int>(h * ui::layoutScale + 0.5f);
        ASSERT_TRUE(ui::ensureBackBuffer(buffer_, width, height));
        GdiFlush();
        for (int i = 0; i < width * height; ++i) buffer_.bits[i] = ui::theme.background;
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = static_cast<UINT>(id);
        item.itemState = state;
        item.hwndItem = button_;
        item.hDC = buffer_.dc;
        item.rcItem = RECT{0, 0, width, height};
        withTextList(buffer_.dc, [&] {
            drawOwnerButton(item);
            texts_ = ui::frameTextList->items;
        });
    }
    uint32_t at(int x, int y) const { return rgbAt(buffer_, x, y); }
    // Pixels of exactly this colour inside the rectangle.
    int count(const RECT& r, ui::Argb colour) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) n += at(x, y) == rgbOf(colour);
        }
        return n;
    }
    // The first row from the top in column x that is not the background.
    int topEdge(int x) const {
        for (int y = 0; y < buffer_.height; ++y) {
            if (at(x, y) != rgbOf(ui::theme.background)) return y;
        }
        return -1;
    }

    HWND button_ = nullptr;
    ui::BackBuffer buffer_;
    std::vector<ui::TextItem> texts_;
};

TEST_F(OwnerButtons, DisabledCategoryCardKeepsItsSelectionAndMutesItsTexts) {
    scanReport.categoryBytes = {123456789, 0};
    const struct {
        bool selected;
        UINT state;
        ui::Argb box;    // the check box's middle
        ui::Argb title;  // title and size
    } cases[] = {
        {true, 0, ui::theme.accent, ui::theme.text},
        {true, ODS_DISABLED, ui::theme.accent, ui::theme.mutedText},
        {false, ODS_DISABLED, ui::theme.card, ui::theme.mutedText},
    };
    for (const auto& c : cases) {
        cleanSelection[0] = c.selected;
        paint(125, 484, 51, c.state);
        EXPECT_EQ(at(12 + 3, 25), rgbOf(c.box)) << c.state;
        ASSERT_EQ(texts_.size(), 3u);  // title, subtitle, size
        EXPECT_EQ(texts_[0].colour, ui::toColorRef(c.title)) << c.state;
        EXPECT_EQ(texts_[1].colour, ui::toColorRef(ui::theme.mutedText)) << c.state;
        EXPECT_EQ(texts_[2].colour, ui::toColorRef(c.title)) << c.state;
        // The size is drawn in that colour: right part of the card, where nothing else is.
        const RECT size{484 - 106, 2, 484 - 13, 49};
        EXPECT_GT(count(size, c.title), 0) << c.state;
        EXPECT_EQ(count(size, c.title == ui::theme.text ? ui::theme.mutedText : ui::theme.text), 0) << c.state;
    }
}

TEST_F(OwnerButtons, SwitchKnobSitsAtTheEndOfItsStateMirroredInArabic) {
    // Row 400 x 54: the track is 43 x 24 at x 345 (Arabic: 12), y 15; the knob's centre row is 27.
    const struct {
        int language;
        bool on;
        int knobX;   // centre of the knob
        int otherX;  // centre of the track's other end
    } cases[] = {
        {EnglishLanguage, true, 376, 357},
        {EnglishLanguage, false, 357, 376},
        {ArabicLanguage, true, 24, 43},
        {ArabicLanguage, false, 43, 24},
    };
    for (const auto& c : cases) {
        currentLanguage = c.language;
        ui::currentSettings.close_browsers = c.on;
        paint(128, 400, 54, 0);
        const ui::Argb track = c.on ? ui::theme.accent : ui::mixColor(ui::theme.border, ui::theme.mutedText, 0.17f);
        EXPECT_EQ(at(c.knobX, 27), rgbOf(ui::theme.onAccent)) << c.language << " " << c.on;
        EXPECT_EQ(at(c.otherX, 27), rgbOf(track)) << c.language << " " << c.on;
    }
}

TEST_F(OwnerButtons, OptionRowBelowFortyShowsOnlyItsTitle) {
    const struct {
        float height;
        std::size_t texts;
    } cases[] = {{39, 1}, {40, 2}, {54, 2}};
    for (const auto& c : cases) {
        paint(129, 400, c.height, 0);
        EXPECT_EQ(texts_.size(), c.texts) << c.height;
    }
}

TEST_F(OwnerButtons, ReducedMotionShowsHoverAtOnceAndPressesByWholePixels) {
    const ui::Argb card = ui::theme.card;
    const ui::Argb hovered = ui::mixColor(ui::theme.card, ui::theme.accentSoft, 0.8f);
    const ui::Argb accent = ui::theme.accent;
    const struct {
        int id;
        float scale;
        bool reduce;
        bool hover;
        float hoverAmount;
        bool pressed;
        ui::Argb fill;
        int shift;  // device pixels the face moves down
    } cases[] = {
        {123, 1.0f, true, false, 0.0f, false, card, 0},
        {123, 1.0f, true, true, 0.0f, false, hovered, 0},
        {123, 1.0f, false, true, 0.5f, false, ui::mixColor(card, ui::theme.accentSoft, 0.4f), 0},
        {123, 1.0f, true, true, 0.0f, true, hovered, 1},
        {123, 1.5f, true, false, 0.0f, true, card, 2},
        {123, 2.0f, true, false, 0.0f, true, card, 2},
        {121, 1.0f, true, true, 0.0f, false, accent, 0},  // the Clean button ignores hover
        {121, 1.0f, true, false, 0.0f, true, ui::mixColor(accent, 0xFF000000, 0.14f), 1},
    };
    for (const auto& c : cases) {
        ui::layoutScale = c.scale;
        ui::theme.reduceMotion = c.reduce;
        ui::buttonStates[c.id] = ui::ButtonState{};
        paint(c.id, 200, 33, 0, L"Go");
        const int restingTop = topEdge(buffer_.width / 2);
        ui::buttonStates[c.id].hover = c.hover;
        ui::buttonStates[c.id].hoverAmount = c.hoverAmount;
        paint(c.id, 200, 33, c.pressed ? ODS_SELECTED : 0, L"Go");
        EXPECT_EQ(at(static_cast<int>(8 * c.scale), buffer_.height / 2), rgbOf(c.fill)) << c.id << " case " << c.scale;
        EXPECT_EQ(topEdge(buffer_.width / 2) - restingTop, c.shift) << c.id << " at scale " << c.scale;
    }
}

TEST_F(OwnerButtons, LanguageListAlignsArabicRightInALeftToRightInterface) {
    HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, 0, 300, 200,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(combo, nullptr);
    const auto& options = languageOptions();
    for (const LanguageOption& option : options) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(option.nativeName.c_str()));
    }
    // The "system" entry of an Arabic interface is written in Arabic but still reads left to right.
    const struct {
        const char* code;
        const char* interfaceLanguage;
        bool right;  // ink in the right half of the entry
    } cases[] = {{"ar", "en", true}, {"en", "en", false}, {"ja", "en", false}, {"system", "ar", false},
                 {"ar", "ar", true}};
    for (const auto& c : cases) {
        applyLanguageSetting(c.interfaceLanguage);
        UINT index = 0;
        while (index < options.size() && options[index].code != c.code) ++index;
        ASSERT_LT(index, options.size()) << c.code;
        test::Dib dib(300, 30, 0);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_COMBOBOX;
        item.CtlID = ui::LanguageComboId;
        item.itemID = index;
        item.hwndItem = combo;
        item.hDC = dib.dc();
        item.rcItem = RECT{0, 0, 300, 30};
        drawOwnerButton(item);
        const RECT ink = dib.inkBounds(ui::theme.card);
        ASSERT_LT(ink.left, ink.right) << c.code << ": the name is drawn";
        if (c.right) {
            EXPECT_GT(ink.left, 150) << c.code;
            EXPECT_LE(ink.right, 300 - 12) << c.code;
        } else {
            EXPECT_GE(ink.left, 12) << c.code;
            EXPECT_LT(ink.right, 150) << c.code;
        }
    }
    applyLanguageSetting("en");
    DestroyWindow(combo);
}

TEST_F(OwnerButtons, OptionRowCentresTitleAndSubtitleAsOneBlock) {
    // A 44 DIP box at y 10: the gap is 2 DIPs in whole pixels, the title gets 56 % of the rest and the
    // subtitle the remainder at most; the block sits in the middle of the box.
    const struct {
        float scale;
        LONG top, bottom, gap, titleMax, subtitleMax;
    } cases[] = {{1.0f, 10, 54, 2, 23, 19}, {2.0f, 20, 108, 4, 47, 37}, {1.5f, 15, 81, 3, 35, 28}};
    for (const auto& c : cases) {
        ui::layoutScale = c.scale;
        ui::TextList list;
        ui::frameTextList = &list;
        drawOptionRow(L"Close browsers", L"Only after confirmation", 20, 10, 300, 44, 14, 0xFF111111, 0xFF777777, true,
                      false);
        ui::frameTextList = nullptr;
        ASSERT_EQ(list.items.size(), 2u) << c.scale;
        const RECT title = list.items[0].rect;
        const RECT subtitle = list.items[1].rect;
        const LONG titleUsed = title.bottom - title.top;
        const LONG subtitleUsed = subtitle.bottom - subtitle.top;
        EXPECT_GT(titleUsed, 0) << c.scale;
        EXPECT_LE(titleUsed, c.titleMax) << c.scale;
        EXPECT_GT(subtitleUsed, 0) << c.scale;
        EXPECT_LE(subtitleUsed, c.subtitleMax) << c.scale;
        EXPECT_EQ(subtitle.top - title.bottom, c.gap) << c.scale;
        const LONG slack = (c.bottom - c.top) - (c.gap + titleUsed + subtitleUsed);
        EXPECT_EQ(title.top, slack > 1 ? c.top + slack / 2 : c.top) << c.scale;
        EXPECT_EQ(list.items[1].pixelSize, static_cast<int>(12 * c.scale + 0.5f)) << "subtitle size, " << c.scale;
    }
}

TEST_F(OwnerButtons, CategoryCardMirrorsItsCheckBoxAndSizeInArabic) {
    // A 484 x 51 card: the check box (22 wide) 12 from the reading start, the size at the other end.
    scanReport.categoryBytes = {123456789, 0};
    cleanSelection[0] = true;
    const struct {
        int language;
        int boxX;      // inside the check box
        int otherX;    // the same place at the other end
        LONG sizeLeft; // left edge of the size's box
        UINT sizeAlign;
    } cases[] = {{EnglishLanguage, 15, 484 - 15, 484 - 106, DT_RIGHT}, {ArabicLanguage, 484 - 15, 15, 13, DT_LEFT}};
    for (const auto& c : cases) {
        currentLanguage = c.language;
        paint(125, 484, 51, 0);
        EXPECT_EQ(at(c.boxX, 25), rgbOf(ui::theme.accent)) << c.language;
        EXPECT_NE(at(c.otherX, 25), rgbOf(ui::theme.accent)) << c.language;
        ASSERT_EQ(texts_.size(), 3u);
        EXPECT_EQ(texts_[2].text, formatBytes(123456789));
        EXPECT_EQ(texts_[2].rect.left, c.sizeLeft) << c.language;
        EXPECT_EQ(texts_[2].format & (DT_LEFT | DT_CENTER | DT_RIGHT), c.sizeAlign) << c.language;
        const RECT titleBox = texts_[0].rect;
        EXPECT_TRUE(c.language == ArabicLanguage ? titleBox.left >= 109 : titleBox.left >= 79) << c.language;
    }
}

TEST_F(OwnerButtons, SkipLockedRowTakesTheShortSubtitleOnlyOnTheCleanPcPage) {
    const struct {
        bool skip;
        int page;
        const wchar_t* subtitle;
    } cases[] = {
        {false, 0, L"Безопасный повтор"},
        {false, 3, L"Безопасный повтор без принудительного удаления"},
        {true, 0, L"Открытые файлы будут пропущены"},
        {true, 3, L"Открытые файлы будут пропущены"},
    };
    for (const auto& c : cases) {
        ui::currentSettings.skip_locked = c.skip;
        currentPage = c.page;
        paint(129, 400, 54, 0);
        ASSERT_EQ(texts_.size(), 2u);
        EXPECT_EQ(texts_[0].text, translate(L"Пропускать занятые файлы"));
        // The subtitle may end with an ellipsis where it does not fit; its start is the text.
        EXPECT_EQ(texts_[1].text.substr(0, 12), translate(c.subtitle).substr(0, 12)) << c.page << " " << c.skip;
        EXPECT_EQ(texts_[1].text.size() <= translate(c.subtitle).size() + 1, true);
    }
    currentPage = 0;
}

}  // namespace
