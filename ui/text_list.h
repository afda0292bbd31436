// Queued texts and the fonts they are drawn with. A paint pass draws its shapes first and queues its
// texts; the queue is drawn last with GDI DrawTextW, so every text lands on top of every shape, gets the
// system's font smoothing, and can shrink to fit its box.
#pragma once

#include <windows.h>

#include <compare>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pm::ui {

struct FontKey {
    std::wstring face;
    int32_t pixelSize = 0;
    bool bold = false;
    uint8_t quality = 0;
    auto operator<=>(const FontKey&) const = default;
};

// GDI fonts by (face, pixel size, bold, quality), at most FontCacheLimit of them, and a memory DC for
// measuring. The cache owns every font it hands out.
struct FontCache {
    std::map<FontKey, HFONT> fonts;
    HDC measureDC = nullptr;
    int quality = NONANTIALIASED_QUALITY;

    FontCache();
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;
};

inline constexpr std::size_t FontCacheLimit = 256;

// The shared cache of the UI thread.
extern FontCache fontCache;

// CreateFontW quality from the system's font smoothing: 3 off, 6 ClearType, 4 other smoothing.
int systemFontQuality();
// Deletes every cached font, empties the map and re-reads the quality.
void clearFontCache(FontCache& cache);

struct TextItem {
    std::wstring text;
    std::wstring fontFace;
    RECT rect{};              // device pixels: the box the text is fitted into and clipped to
    COLORREF colour = 0;
    int32_t pixelSize = 16;
    int32_t minPixelSize = 12;
    uint8_t bold = 0;
    uint8_t vCentre = 0;
    uint8_t singleLine = 0;
    uint32_t format = DT_LEFT;  // DT_LEFT, DT_CENTER or DT_RIGHT, with DT_RTLREADING in right-to-left
};

// Moves both strings and copies the rest.
void moveTextItem(TextItem& target, TextItem&& source);

struct TextList {
    explicit TextList(FontCache* cache = &fontCache);
    FontCache* fonts;  // not owned
    std::vector<TextItem> items;
};

void appendTextItem(TextList& list, TextItem&& item);

// The cached font for the item's face and weight at pixelSize, or null when CreateFontW fails.
HFONT cachedFont(FontCache& cache, const TextItem& item, int pixelSize);
// Shrinks pixelSize one pixel at a time (not below minPixelSize) until the text fits its rect; returns
// the last measured size in pixels. A wrapped text that still does not fit never shows half a line: in a
// box of two lines or more it keeps the whole lines that fit and ends with an ellipsis, otherwise it
// becomes one line (singleLine set, shrinking again from its own size), cut with an ellipsis when drawn.
SIZE fitTextItem(FontCache& cache, TextItem& item);
void drawTextItem(FontCache& cache, HDC dc, TextItem& item);
// Draws a copy of every item in queue order, then empties the list (its capacity is kept).
void flushTextItems(TextList& list, HDC dc);

// The list of the main window's frame while a frame painter runs, else null.
extern TextList* frameTextList;

// A frame text in DIPs at the layout scale: rgb is 0xRRGGBB, alignment 0 left, 1 centre, 2 right
// (mirrored in right-to-left languages).
TextItem makeTextItem(const std::wstring& text, float x, float y, float w, float h, float size, uint32_t rgb,
                      bool bold, int alignment, bool vCentre, bool singleLine);
// Appends to frameTextList (nothing without one), translating the text when asked.
void queueFrameText(const std::wstring& text, float x, float y, float w, float h, float size, uint32_t rgb,
                    bool bold, int alignment, bool translateText, bool vCentre, bool singleLine);

}  // namespace pm::ui
