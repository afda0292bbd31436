// Canvas and queued texts, drawn for real into DIB sections: where texts land, their order over the
// shapes, shrinking and ellipsis, vertical centring, rounding and alignment, the font cache's limit.
#include "draw_support.h"

#include "services/i18n/translate.h"
#include "ui/canvas.h"
#include "ui/shell_state.h"
#include "ui/text_list.h"
#include "ui/ui_font.h"
#include "ui/ui_font_internal.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using namespace pm::ui;
using pm::test::Dib;

constexpr uint32_t White = 0xFFFFFFFF;

// Restores the interface language and layout scale a test changed.
class LanguageScope {
public:
    LanguageScope(int language, float scale) : language_(pm::currentLanguage), scale_(layoutScale) {
        pm::currentLanguage = language;
        layoutScale = scale;
    }
    ~LanguageScope() {
        pm::currentLanguage = language_;
        layoutScale = scale_;
    }

private:
    int language_;
    float scale_;
};

TextItem sampleItem(const std::wstring& text, RECT rect, int size, int minimum) {
    TextItem item;
    item.text = text;
    item.fontFace = L"DejaVu Sans";
    item.rect = rect;
    item.pixelSize = size;
    item.minPixelSize = minimum;
    item.singleLine = 1;
    return item;
}

TEST(CanvasText, LandsInsideItsRectangleAndNowhereElse) {
    Dib dib(300, 120);
    {
        Canvas canvas(dib.dc(), 1.5f, L"DejaVu Sans", false, &fontCache);
        canvas.queueText(L"Пример текста Example", 10, 10, 120, 30, 14, RGB(0, 0, 0), false, true, true, false);
    }
    const RECT ink = dib.inkBounds(White);
    ASSERT_LT(ink.left, ink.right) << "nothing was drawn";
    EXPECT_GE(ink.left, 15);
    EXPECT_GE(ink.top, 15);
    EXPECT_LE(ink.right, 195);
    EXPECT_LE(ink.bottom, 60);
}

TEST(CanvasText, EveryTextLandsAboveEveryShape) {
    Dib dib(200, 60);
    {
        Canvas canvas(dib.dc(), 1.0f, L"DejaVu Sans", false, &fontCache);
        // The text is queued before the shape is drawn over the same place.
        canvas.queueText(L"HHHH", 0, 0, 200, 60, 40, RGB(0, 0, 255), true, true, true, true);
        Gdiplus::SolidBrush red(Gdiplus::Color(255, 255, 0, 0));
        canvas.graphics->FillRectangle(&red, 0.0f, 0.0f, 200.0f, 60.0f);
        EXPECT_EQ(canvas.graphics->GetLastStatus(), Gdiplus::Ok);
    }
    int blue = 0, red = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            blue += dib.rgb(x, y) == 0x0000FF;
            red += dib.rgb(x, y) == 0xFF0000;
        }
    EXPECT_GT(blue, 100);
    EXPECT_GT(red, 2000);
}

TEST(CanvasText, AnEmptyCanvasLeavesTheDeviceContextAsItWas) {
    Dib dib(64, 64, 0xFF336699);
    HFONT font = CreateFontW(-20, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"DejaVu Sans");
    HGDIOBJ oldFont = SelectObject(dib.dc(), font);
    SetTextColor(dib.dc(), RGB(1, 2, 3));
    SetBkMode(dib.dc(), OPAQUE);
    SetTextAlign(dib.dc(), TA_BASELINE);
    IntersectClipRect(dib.dc(), 5, 6, 50, 60);
    const int savedLevel = SaveDC(dib.dc());
    RestoreDC(dib.dc(), savedLevel);
    {
        Canvas canvas(dib.dc(), 2.0f, L"DejaVu Sans", true, &fontCache);
    }
    EXPECT_EQ(GetCurrentObject(dib.dc(), OBJ_FONT), font);
    EXPECT_EQ(GetTextColor(dib.dc()), RGB(1, 2, 3));
    EXPECT_EQ(GetBkMode(dib.dc()), OPAQUE);
    EXPECT_EQ(GetTextAlign(dib.dc()), static_cast<UINT>(TA_BASELINE));
    RECT clip{};
    EXPECT_EQ(GetClipBox(dib.dc(), &clip), SIMPLEREGION);
    EXPECT_EQ(clip.left, 5);
    EXPECT_EQ(clip.bottom, 60);
    XFORM xf{};
    GetWorldTransform(dib.dc(), &xf);
    EXPECT_EQ(xf.eM11, 1.0f);
    EXPECT_EQ(xf.eM22, 1.0f);
    EXPECT_EQ(SaveDC(dib.dc()), savedLevel);  // no save level left behind
    RestoreDC(dib.dc(), -1);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(dib.pixel(x, y), 0xFF336699u);
    SelectObject(dib.dc(), oldFont);
    DeleteObject(font);
}

TEST(QueueText, RoundsHalfAwayFromZeroAndAlignsToTheReadingDirection) {
    const struct {
        float scale;
        float x, y, w, h, size;
        bool rtl, centred;
        RECT rect;
        int pixelSize, minPixelSize;
        UINT format;
    } cases[] = {
        {1.5f, 10, 10, 100, 20, 10, false, false, {15, 15, 165, 45}, 15, 15, DT_LEFT},  // small texts never shrink
        {1.0f, 0.5f, 1.5f, 10, 10, 20, false, false, {1, 2, 11, 12}, 20, 12, DT_LEFT},    // 11.5 rounds up
        {1.0f, 0, 0, 10, 10, 20, true, false, {0, 0, 10, 10}, 20, 12, DT_RIGHT | DT_RTLREADING},
        {1.0f, 0, 0, 10, 10, 20, true, true, {0, 0, 10, 10}, 20, 12, DT_CENTER | DT_RTLREADING},
        {1.0f, 0, 0, 10, 10, 20, false, true, {0, 0, 10, 10}, 20, 12, DT_CENTER},
        {1.25f, 2, 2, 3, 3, 0.1f, false, false, {3, 3, 6, 6}, 1, 1, DT_LEFT},              // size never below 1
    };
    Dib dib(8, 8);
    for (const auto& c : cases) {
        Canvas canvas(dib.dc(), c.scale, L"DejaVu Sans", c.rtl, &fontCache);
        canvas.queueText(L"x", c.x, c.y, c.w, c.h, c.size, RGB(1, 2, 3), true, false, true, c.centred);
        ASSERT_EQ(canvas.texts.items.size(), 1u);
        const TextItem& item = canvas.texts.items[0];
        EXPECT_TRUE(EqualRect(&item.rect, &c.rect));
        EXPECT_EQ(item.pixelSize, c.pixelSize);
        EXPECT_EQ(item.minPixelSize, c.minPixelSize);
        EXPECT_EQ(item.format, c.format);
        EXPECT_EQ(item.fontFace, L"DejaVu Sans");
        EXPECT_EQ(item.colour, RGB(1, 2, 3));
        EXPECT_EQ(item.bold, 1);
        canvas.texts.items.clear();
    }
}

TEST(MakeTextItem, AddsAHalfAndTruncatesAndMirrorsInArabic) {
    const struct {
        int language;
        float scale;
        int alignment;
        float size;
        RECT rect;
        int pixelSize, minPixelSize;
        UINT format;
    } cases[] = {
        {pm::EnglishLanguage, 1.0f, 0, 20, {10, 20, 110, 50}, 20, 12, DT_LEFT},  // 11.5 + 0.5 truncated
        {pm::EnglishLanguage, 1.0f, 1, 11, {10, 20, 110, 50}, 11, 11, DT_CENTER},
        {pm::EnglishLanguage, 1.0f, 2, 11.5f, {10, 20, 110, 50}, 12, 12, DT_RIGHT},
        {pm::EnglishLanguage, 0.5f, 7, 17, {5, 10, 55, 25}, 9, 6, DT_LEFT},  // 8.5 + 0.5 = 9; 5.75 + 0.5 = 6
        {pm::ArabicLanguage, 1.0f, 0, 16, {10, 20, 110, 50}, 16, 12, DT_RIGHT | DT_RTLREADING},
        {pm::ArabicLanguage, 1.0f, 1, 16, {10, 20, 110, 50}, 16, 12, DT_CENTER | DT_RTLREADING},
        {pm::ArabicLanguage, 1.0f, 2, 16, {10, 20, 110, 50}, 16, 12, DT_LEFT | DT_RTLREADING},
    };
    for (const auto& c : cases) {
        LanguageScope scope(c.language, c.scale);
        const TextItem item = makeTextItem(L"t", 10.4f, 20.3f, 100, 30, c.size, 0x123456, false, c.alignment, true, false);
        EXPECT_TRUE(EqualRect(&item.rect, &c.rect));
        EXPECT_EQ(item.pixelSize, c.pixelSize);
        EXPECT_EQ(item.minPixelSize, c.minPixelSize);
        EXPECT_EQ(item.format, c.format);
        EXPECT_EQ(item.colour, RGB(0x12, 0x34, 0x56));
        EXPECT_EQ(item.vCentre, 1);
        EXPECT_EQ(item.singleLine, 0);
    }
}

TEST(QueueFrameText, DropsTextsOutsideAFramePaintAndTranslatesOnRequest) {
    ASSERT_EQ(frameTextList, nullptr);
    queueFrameText(L"Настройки", 0, 0, 10, 10, 12, 0, false, 0, true, false, true);  // nowhere to go
    LanguageScope scope(pm::EnglishLanguage, 1.0f);
    TextList list;
    frameTextList = &list;
    queueFrameText(L"Настройки", 0, 0, 10, 10, 12, 0, false, 0, true, false, true);
    queueFrameText(L"Настройки", 0, 0, 10, 10, 12, 0, false, 0, false, false, true);
    frameTextList = nullptr;
    ASSERT_EQ(list.items.size(), 2u);
    EXPECT_EQ(list.items[0].text, pm::translate(L"Настройки"));
    EXPECT_NE(list.items[0].text, L"Настройки");
    EXPECT_EQ(list.items[1].text, L"Настройки");
}

// The largest pixel size at which the text fits the width, measured independently.
int largestFittingSize(const std::wstring& text, int width, int from, int to) {
    for (int size = from; size > to; --size) {
        TextItem probe = sampleItem(text, RECT{0, 0, width, 100}, size, size);
        if (fitTextItem(fontCache, probe).cx <= width) return size;
    }
    return to;
}

TEST(FitTextItem, ShrinksOnePixelAtATimeDownToItsMinimum) {
    const std::wstring text = L"Temporary files of the browsers";
    for (int width : {400, 250, 200, 150, 60}) {
        TextItem item = sampleItem(text, RECT{0, 0, width, 40}, 20, 12);
        const SIZE measured = fitTextItem(fontCache, item);
        EXPECT_EQ(item.pixelSize, largestFittingSize(text, width, 20, 12)) << "width " << width;
        if (item.pixelSize > 12) {
            EXPECT_LE(measured.cx, width);
        }
    }
    // A text that may not shrink keeps its size however narrow the box.
    TextItem fixed = sampleItem(text, RECT{0, 0, 30, 40}, 15, 15);
    fitTextItem(fontCache, fixed);
    EXPECT_EQ(fixed.pixelSize, 15);
}

TEST(FitTextItem, AWrappedTextThatCannotFitKeepsWholeLinesOrGoesOnOneLine) {
    // 12 pixels of DejaVu Sans are 14 high a line: 30 rows hold two lines, 20 hold one.
    const std::wstring words = L"one two three four five six seven eight nine ten eleven twelve";
    std::wstring pairs;  // characters of two units each
    for (int i = 0; i < 40; ++i) pairs += L"\U0001F600 ";
    const struct {
        const char* name;
        std::wstring text;
        RECT box;
        int lines;  // whole lines kept, the last ending with an ellipsis; 0: the text on one line
    } cases[] = {
        {"words", words, RECT{0, 0, 90, 30}, 2},
        {"pairs", pairs, RECT{0, 0, 60, 30}, 2},
        {"room for one line", words, RECT{0, 0, 90, 20}, 0},
    };
    for (const auto& c : cases) {
        TextItem item = sampleItem(c.text, c.box, 16, 12);
        item.singleLine = 0;
        const SIZE measured = fitTextItem(fontCache, item);
        EXPECT_EQ(item.singleLine != 0, c.lines == 0) << c.name;
        if (c.lines == 0) {
            EXPECT_EQ(item.text, c.text) << c.name << ": drawn with an ellipsis, not cut";
            continue;
        }
        EXPECT_EQ(item.pixelSize, 12) << c.name;
        EXPECT_EQ(measured.cy, 14 * c.lines) << c.name;
        ASSERT_GE(item.text.size(), 2u) << c.name;
        EXPECT_EQ(item.text.back(), L'\u2026') << c.name;
        const std::wstring kept = item.text.substr(0, item.text.size() - 1);
        EXPECT_EQ(c.text.substr(0, kept.size()), kept) << c.name;
        EXPECT_FALSE(IS_HIGH_SURROGATE(kept.back())) << c.name << ": half a character";
    }
}

TEST(DrawTextItem, ATextTooWideAtItsMinimumEndsWithAnEllipsis) {
    const std::wstring text = L"Temporary files of the browsers";
    Dib drawn(200, 40);
    TextItem item = sampleItem(text, RECT{10, 5, 90, 35}, 20, 12);
    drawTextItem(fontCache, drawn.dc(), item);
    EXPECT_EQ(item.pixelSize, 12);
    const RECT ink = drawn.inkBounds(White);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 90);

    // What GDI draws for the same text at 12 pixels with and without the ellipsis.
    auto reference = [&](UINT extra, Dib& dib) {
        TextItem probe = sampleItem(text, item.rect, 12, 12);
        SelectObject(dib.dc(), cachedFont(fontCache, probe, 12));
        SetBkMode(dib.dc(), TRANSPARENT);
        RECT r = item.rect;
        IntersectClipRect(dib.dc(), r.left, r.top, r.right, r.bottom);
        DrawTextW(dib.dc(), text.c_str(), -1, &r, DT_SINGLELINE | DT_NOPREFIX | extra);
    };
    Dib withEllipsis(200, 40), cut(200, 40);
    reference(DT_END_ELLIPSIS, withEllipsis);
    reference(0, cut);
    EXPECT_TRUE(drawn.samePixels(withEllipsis));
    EXPECT_FALSE(drawn.samePixels(cut));
}

TEST(DrawTextItem, CentresWrappedTextsOnlyWithTwoOrMoreSparePixels) {
    const std::wstring text = L"one two three four five six";
    TextItem probe = sampleItem(text, RECT{0, 0, 80, 200}, 14, 14);
    probe.singleLine = 0;
    const SIZE measured = fitTextItem(fontCache, probe);
    ASSERT_GT(measured.cy, 14) << "the text should wrap";
    auto inkTop = [&](int spare, bool centre) {
        Dib dib(100, 300);
        TextItem item = probe;
        item.rect = RECT{0, 10, 80, 10 + measured.cy + spare};
        item.vCentre = centre;
        drawTextItem(fontCache, dib.dc(), item);
        return dib.inkBounds(White).top;
    };
    const LONG top = inkTop(5, false);
    EXPECT_EQ(inkTop(1, true), top);
    EXPECT_EQ(inkTop(5, true), top + 2);
    EXPECT_EQ(inkTop(6, true), top + 3);
}

TEST(DrawTextItem, AnItemOutsideTheClipBoxIsNeitherMeasuredNorDrawn) {
    Dib dib(200, 100);
    IntersectClipRect(dib.dc(), 0, 0, 50, 50);
    TextItem item = sampleItem(L"Temporary files of the browsers", RECT{60, 60, 100, 90}, 20, 12);
    drawTextItem(fontCache, dib.dc(), item);
    EXPECT_EQ(item.pixelSize, 20);  // fitting would have shrunk it
    EXPECT_EQ(dib.inkBounds(White).right, 0);
}

TEST(FontCacheLimit, TheFontBeyondTheLimitClearsTheCacheAndNothingLeaks) {
    FontCache cache;
    TextItem item = sampleItem(L"x", RECT{0, 0, 10, 10}, 10, 10);
    std::vector<HFONT> created;
    for (int size = 1; size <= 256; ++size) {
        created.push_back(cachedFont(cache, item, size));
        ASSERT_EQ(GetObjectType(created.back()), static_cast<DWORD>(OBJ_FONT));
    }
    EXPECT_EQ(cache.fonts.size(), 256u);
    EXPECT_EQ(cachedFont(cache, item, 5), created[4]);  // a hit creates nothing
    EXPECT_EQ(cache.fonts.size(), 256u);
    item.bold = 1;
    HFONT beyond = cachedFont(cache, item, 5);
    ASSERT_NE(beyond, nullptr);
    EXPECT_EQ(cache.fonts.size(), 1u);
    // Every earlier font is gone (GetGuiResources counts nothing under Wine: ask each handle instead).
    for (HFONT font : created)
        if (font != beyond) {
            EXPECT_EQ(GetObjectType(font), 0u);
        }
    clearFontCache(cache);
    EXPECT_EQ(GetObjectType(beyond), 0u);
    EXPECT_TRUE(cache.fonts.empty());
}

TEST(PickUiFontFace, GivesEachLanguageItsInterfaceFace) {
    for (const char* code : pm::LanguageCodes) {
        const std::string c = code;
        const wchar_t* expected = L"Segoe UI";
        if (c == "hi" || c == "bn") expected = L"Nirmala UI";
        if (c == "th") expected = L"Leelawadee UI";
        if (c == "zh") expected = L"Microsoft YaHei UI";
        if (c == "ja") expected = L"Yu Gothic UI";
        if (c == "ko") expected = L"Malgun Gothic";
        EXPECT_STREQ(pickUiFontFace(c), expected) << code;
        EXPECT_EQ(pickUiFontFace(c), pickUiFontFace(c)) << "the face is looked up once";
    }
    for (const char* other : {"HI", "th-TH", "", "system", "xx"}) EXPECT_STREQ(pickUiFontFace(other), L"Segoe UI");
    EXPECT_STREQ(pickUiFontFace("hi"), pickUiFontFace("bn"));
}

// Where a language's face is missing (an older Windows), it falls to a face of the same script, never to
// "Segoe UI", which has no Devanagari, Bengali, Thai or CJK.
TEST(PickUiFontFace, AMissingFaceFallsToOneThatCarriesTheSameScript) {
    const struct {
        const char* name;
        std::set<std::wstring> installed;
        const wchar_t* expected[7];  // hi, bn, th, zh, ja, ko, en
    } cases[] = {
        {"only the older faces", {L"Mangal", L"Vrinda", L"Tahoma", L"SimSun", L"MS UI Gothic", L"Gulim"},
         {L"Mangal", L"Vrinda", L"Tahoma", L"SimSun", L"MS UI Gothic", L"Gulim", L"Tahoma"}},
        {"only Segoe UI", {L"Segoe UI"},
         {L"Nirmala UI", L"Nirmala UI", L"Leelawadee UI", L"Microsoft YaHei UI", L"Yu Gothic UI", L"Malgun Gothic",
          L"Segoe UI"}},
        {"Devanagari's older face only", {L"Mangal", L"Segoe UI"},
         {L"Mangal", L"Nirmala UI", L"Leelawadee UI", L"Microsoft YaHei UI", L"Yu Gothic UI", L"Malgun Gothic",
          L"Segoe UI"}},
    };
    const char* codes[] = {"hi", "bn", "th", "zh", "ja", "ko", "en"};
    for (const auto& c : cases)
        for (int i = 0; i < 7; ++i) {
            const auto installed = [&](const wchar_t* face) { return c.installed.count(face) != 0; };
            EXPECT_STREQ(detail::chooseUiFontFace(codes[i], installed), c.expected[i]) << c.name << ", " << codes[i];
        }
}

}  // namespace
