#include "ui/text_list.h"

#include "services/i18n/translate.h"
#include "ui/shell_state.h"
#include "ui/ui_font.h"
#include "ui/window_utils.h"

#include <algorithm>
#include <cmath>

namespace pm::ui {

FontCache fontCache;
TextList* frameTextList = nullptr;

int systemFontQuality() {
    BOOL smoothing = TRUE;
    UINT type = FE_FONTSMOOTHINGCLEARTYPE;
    SystemParametersInfoW(SPI_GETFONTSMOOTHING, 0, &smoothing, 0);
    SystemParametersInfoW(SPI_GETFONTSMOOTHINGTYPE, 0, &type, 0);
    if (!smoothing) return NONANTIALIASED_QUALITY;
    return type == FE_FONTSMOOTHINGCLEARTYPE ? CLEARTYPE_NATURAL_QUALITY : ANTIALIASED_QUALITY;
}

FontCache::FontCache() : measureDC(CreateCompatibleDC(nullptr)), quality(systemFontQuality()) {}

FontCache::~FontCache() {
    clearFontCache(*this);
    if (measureDC) DeleteDC(measureDC);
}

void clearFontCache(FontCache& cache) {
    for (auto& [key, font] : cache.fonts) DeleteObject(font);
    cache.fonts.clear();
    cache.quality = systemFontQuality();
}

void moveTextItem(TextItem& target, TextItem&& source) {
    target = std::move(source);
}

TextList::TextList(FontCache* cache) : fonts(cache) {
    items.reserve(64);
}

void appendTextItem(TextList& list, TextItem&& item) {
    list.items.push_back(std::move(item));
}

HFONT cachedFont(FontCache& cache, const TextItem& item, int pixelSize) {
    FontKey key{item.fontFace, pixelSize, item.bold != 0, static_cast<uint8_t>(cache.quality)};
    if (auto found = cache.fonts.find(key); found != cache.fonts.end()) return found->second;
    if (cache.fonts.size() >= FontCacheLimit) {
        // Emptied all at once rather than evicting: fonts are selected only while a text is drawn, so
        // nothing on screen depends on them. The quality may change here, so the key is rebuilt.
        clearFontCache(cache);
        key.quality = static_cast<uint8_t>(cache.quality);
    }
    HFONT font = CreateFontW(-std::max(pixelSize, 1), 0, 0, 0, item.bold ? 600 : 400, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             static_cast<DWORD>(cache.quality), DEFAULT_PITCH | FF_DONTCARE, item.fontFace.c_str());
    if (font) cache.fonts.emplace(std::move(key), font);
    return font;
}

namespace {

SIZE measureText(FontCache& cache, const TextItem& item) {
    SIZE size{0, 0};
    if (item.text.empty() || !cache.measureDC) return size;
    const int saved = SaveDC(cache.measureDC);
    if (saved == 0) return size;
    if (HFONT font = cachedFont(cache, item, item.pixelSize)) SelectObject(cache.measureDC, font);
    SetTextAlign(cache.measureDC, 0);
    RECT r{0, 0, std::max(item.rect.right - item.rect.left, 1L), 0};
    const UINT flags = (item.singleLine ? DT_SINGLELINE : DT_WORDBREAK) | item.format | DT_CALCRECT | DT_NOPREFIX;
    DrawTextW(cache.measureDC, item.text.c_str(), static_cast<int>(item.text.size()), &r, flags);
    RestoreDC(cache.measureDC, saved);
    size.cx = r.right - r.left;
    size.cy = r.bottom - r.top;
    return size;
}

bool fits(const SIZE& measured, const RECT& rect) {
    return measured.cy <= rect.bottom - rect.top && measured.cx <= rect.right - rect.left;
}

// Shrinks the item one pixel at a time until it fits or reaches its minimum; the last measurement.
SIZE shrinkToFit(FontCache& cache, TextItem& item) {
    SIZE measured = measureText(cache, item);
    while (item.minPixelSize < item.pixelSize && !fits(measured, item.rect)) {
        --item.pixelSize;
        measured = measureText(cache, item);
    }
    return measured;
}

// Height in pixels of one line of the item at its size.
LONG lineHeight(FontCache& cache, const TextItem& item) {
    TextItem probe = item;
    probe.text = L"X";
    probe.singleLine = 1;
    return measureText(cache, probe).cy;
}

// The longest start of the text that, followed by an ellipsis, still fits the box when wrapped.
void trimToWholeLines(FontCache& cache, TextItem& item) {
    const std::wstring full = item.text;
    size_t low = 0;
    size_t high = full.size();
    while (low < high) {
        const size_t middle = (low + high + 1) / 2;
        item.text = full.substr(0, middle) + L"\u2026";
        if (fits(measureText(cache, item), item.rect)) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    // Never half of a character written as two units.
    if (low > 0 && IS_HIGH_SURROGATE(full[low - 1])) --low;
    std::wstring kept = full.substr(0, low);
    while (!kept.empty() && (kept.back() == L' ' || kept.back() == L'\n' || kept.back() == L'\r')) kept.pop_back();
    item.text = kept + L"\u2026";
}

}  // namespace

SIZE fitTextItem(FontCache& cache, TextItem& item) {
    item.pixelSize = std::max(item.pixelSize, 1);
    item.minPixelSize = std::min(std::max(item.minPixelSize, 1), item.pixelSize);
    const int32_t ownSize = item.pixelSize;
    SIZE measured = shrinkToFit(cache, item);
    if (item.singleLine || fits(measured, item.rect) || !cache.measureDC || item.text.empty()) return measured;

    // A wrapped text that does not fit even at its smallest size would show a line cut through the middle.
    // A box of two lines or more keeps the whole lines that fit, the last one ending with an ellipsis; a
    // smaller box takes the text on one line, shrinking from its own size again, with an ellipsis at the
    // end when even the smallest size is too wide.
    const LONG boxHeight = item.rect.bottom - item.rect.top;
    if (boxHeight >= 2 * lineHeight(cache, item)) {
        const std::wstring whole = item.text;
        trimToWholeLines(cache, item);
        measured = measureText(cache, item);
        if (fits(measured, item.rect)) return measured;
        item.text = whole;  // a word wider than the box: one line after all
    }
    std::replace_if(item.text.begin(), item.text.end(), [](wchar_t c) { return c == L'\n' || c == L'\r'; }, L' ');
    item.singleLine = 1;
    item.pixelSize = ownSize;
    return shrinkToFit(cache, item);
}

void drawTextItem(FontCache& cache, HDC dc, TextItem& item) {
    if (item.text.empty() || item.rect.right <= item.rect.left || item.rect.bottom <= item.rect.top) return;
    RECT clip{};
    const int region = GetClipBox(dc, &clip);
    if (region == NULLREGION) return;
    if (region != ERROR) {
        RECT overlap{};
        if (!IntersectRect(&overlap, &clip, &item.rect)) return;  // costs no measurement
    }
    const SIZE measured = fitTextItem(cache, item);
    const int saved = SaveDC(dc);
    if (saved == 0) return;
    IntersectClipRect(dc, item.rect.left, item.rect.top, item.rect.right, item.rect.bottom);
    if (HFONT font = cachedFont(cache, item, item.pixelSize)) SelectObject(dc, font);
    SetTextAlign(dc, 0);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, item.colour);

    RECT box = item.rect;
    UINT flags;
    if (item.vCentre && item.singleLine) {
        flags = DT_SINGLELINE | DT_VCENTER;
    } else if (item.vCentre) {
        flags = DT_WORDBREAK;
        // DT_VCENTER works only on single lines: centre a wrapped text by moving its box down.
        const LONG spare = (item.rect.bottom - item.rect.top) - std::max(measured.cy, 0L);
        if (spare >= 2) box.top += spare / 2;
    } else {
        flags = item.singleLine ? DT_SINGLELINE : DT_WORDBREAK;
    }
    flags |= item.format | DT_NOPREFIX | DT_END_ELLIPSIS;
    DrawTextW(dc, item.text.c_str(), static_cast<int>(item.text.size()), &box, flags);
    RestoreDC(dc, saved);
}

void flushTextItems(TextList& list, HDC dc) {
    for (const TextItem& item : list.items) {
        TextItem copy = item;  // shrinking changes the copy only
        drawTextItem(*list.fonts, dc, copy);
    }
    list.items.clear();
}

TextItem makeTextItem(const std::wstring& text, float x, float y, float w, float h, float size, uint32_t rgb,
                      bool bold, int alignment, bool vCentre, bool singleLine) {
    TextItem item;
    item.text = text;
    item.fontFace = uiFontFace();
    item.rect = RECT{layoutPixels(x), layoutPixels(y), layoutPixels(x + w), layoutPixels(y + h)};
    item.pixelSize = std::max(layoutPixels(size), 1L);
    item.minPixelSize = size > 11.5f ? std::max(layoutPixels(11.5f), 1L) : item.pixelSize;
    item.colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    item.bold = bold;
    item.vCentre = vCentre;
    item.singleLine = singleLine;
    const bool rtl = isRightToLeft();
    switch (alignment) {
    case 1: item.format = DT_CENTER; break;
    case 2: item.format = rtl ? DT_LEFT : DT_RIGHT; break;
    default: item.format = rtl ? DT_RIGHT : DT_LEFT; break;
    }
    if (rtl) item.format |= DT_RTLREADING;
    return item;
}

void queueFrameText(const std::wstring& text, float x, float y, float w, float h, float size, uint32_t rgb,
                    bool bold, int alignment, bool translateText, bool vCentre, bool singleLine) {
    if (!frameTextList) return;
    appendTextItem(*frameTextList, makeTextItem(translateText ? translate(text) : text, x, y, w, h, size, rgb, bold,
                                                alignment, vCentre, singleLine));
}

}  // namespace pm::ui
