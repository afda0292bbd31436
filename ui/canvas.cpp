#include "ui/canvas.h"

#include <algorithm>
#include <cmath>

namespace pm::ui {

Canvas::Canvas(HDC dc_, float scale_, const wchar_t* fontFace_, bool rightToLeft_, FontCache* fonts)
    : dc(dc_), scale(scale_), fontFace(fontFace_), rightToLeft(rightToLeft_), texts(fonts) {
    graphicsObject_.emplace(dc);
    graphics = &*graphicsObject_;
    graphics->ScaleTransform(scale, scale, Gdiplus::MatrixOrderPrepend);
    graphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
}

Canvas::~Canvas() {
    // GDI+ may still hold drawing back: finish it before GDI writes the texts into the same DC.
    graphics->Flush(Gdiplus::FlushIntentionSync);
    graphics = nullptr;
    graphicsObject_.reset();
    flushTextItems(texts, dc);
}

void Canvas::queueText(const std::wstring& text, float x, float y, float w, float h, float size, COLORREF colour,
                       bool bold, bool vCentre, bool singleLine, bool centred) {
    TextItem item;
    item.text = text;
    item.fontFace = fontFace;
    item.rect = RECT{lroundf(x * scale), lroundf(y * scale), lroundf((x + w) * scale), lroundf((y + h) * scale)};
    item.pixelSize = std::max(static_cast<int32_t>(lroundf(size * scale)), 1);
    item.minPixelSize = std::max(static_cast<int32_t>(lroundf(std::min(size, 11.5f) * scale)), 1);
    item.colour = colour;
    item.bold = bold;
    item.vCentre = vCentre;
    item.singleLine = singleLine;
    item.format = centred ? DT_CENTER : (rightToLeft ? DT_RIGHT : DT_LEFT);
    if (rightToLeft) item.format |= DT_RTLREADING;
    appendTextItem(texts, std::move(item));
}

}  // namespace pm::ui
