// The product mark at the top of every window's band (logo tile, broom, name, version) and the page
// heading (a title over a subtitle), drawn by one painter for the main, large-files and secondary
// windows. Each window gives the geometry its layout has and the way it queues texts.
#pragma once

#include "ui/theme.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <functional>
#include <string>

namespace pm {

// A text's box and size, in DIP; a text that wraps may take several lines, the others keep to one.
struct TextBox {
    float x, y, w, h, size;
    bool wraps = false;
};

// Queues one text (already translated) in a box, in a theme colour, bold or not, the way the window's
// painter queues texts (its scale and its rounding).
using QueueText = std::function<void(const std::wstring& text, const TextBox& box, ui::Argb colour, bool bold)>;

struct ProductMark {
    float tileX, tileY, tileSize, tileRadius;
    float tileAccent;  // share of the accent in the tile's colour, mixed into the band colour
    float broomX, broomY, broomSize;
    TextBox name;      // "Pelmirt", bold
    TextBox version;   // the version line
};

// The mark of the history, preview and large-files windows' band.
inline constexpr ProductMark SecondaryProductMark{20, 25, 42, 12, 0.3f, 28, 32, 28, {20, 81, 135, 29, 20},
                                                  {20, 114, 135, 24, 12}};
// The mark of the main window's band, with the tile's top computed from the version line's height.
inline constexpr ProductMark mainProductMark(float tileTop) {
    return ProductMark{22, tileTop, 48, 14, 0.27f, 31, tileTop + 8, 32, {83, 36, 145, 35, 25, true},
                       {84, 73, 140, 22, 12, true}};
}

inline constexpr wchar_t VersionLine[] = L"1.2.0 \u00B7 Windows";

// The tile in the band colour mixed with the accent, the broom and the two texts in the band's colours.
void paintProductMark(Gdiplus::Graphics* graphics, const ProductMark& mark, const QueueText& queue);

struct PageHeading {
    TextBox title;     // bold, in the text colour
    TextBox subtitle;  // in the muted text colour
};

void paintPageHeading(const PageHeading& heading, const std::wstring& title, const std::wstring& subtitle,
                      const QueueText& queue);

}  // namespace pm
