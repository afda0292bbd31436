#include "ui/shapes.h"

#include <algorithm>

namespace pm::ui {

void addRoundRectPath(Gdiplus::GraphicsPath& path, float x, float y, float w, float h, float radius) {
    const float r = std::min(std::min(w, h) / 2.0f, radius);
    if (r <= 0.0f) {
        // GDI+ on Windows may refuse zero-sized arcs and lose the whole shape.
        path.AddRectangle(Gdiplus::RectF(x, y, w, h));
        path.CloseFigure();
        return;
    }
    const float d = 2.0f * r;
    path.AddArc(x, y, d, d, 180.0f, 90.0f);
    path.AddArc(x + w - d, y, d, d, 270.0f, 90.0f);
    path.AddArc(x + w - d, y + h - d, d, d, 0.0f, 90.0f);
    path.AddArc(x, y + h - d, d, d, 90.0f, 90.0f);
    path.CloseFigure();
}

void fillRoundRect(Gdiplus::Graphics* graphics, float x, float y, float w, float h, float radius, Argb fill,
                   Argb border, float borderWidth) {
    Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
    addRoundRectPath(path, x, y, w, h, radius);
    Gdiplus::SolidBrush brush{Gdiplus::Color(fill)};
    graphics->FillPath(&brush, &path);
    if ((border >> 24) != 0) {
        Gdiplus::Pen pen(Gdiplus::Color(border), borderWidth);
        graphics->DrawPath(&pen, &path);
    }
}

void drawProgressBar(Gdiplus::Graphics* graphics, float x, float y, float w, float fraction) {
    fillRoundRect(graphics, x, y, w, 8.0f, 4.0f, theme.surface, 0, 1.0f);
    if (fraction > 0.0f) {
        float filled = fraction < 1.0f ? w * fraction : w;
        if (filled <= 8.0f) filled = 8.0f;
        fillRoundRect(graphics, x, y, filled, 8.0f, 4.0f, theme.accent, 0, 1.0f);
    }
}

void drawCard(Gdiplus::Graphics* graphics, float x, float y, float w, float h) {
    if (!theme.highContrast) {
        fillRoundRect(graphics, x, y + 3.0f, w, h, 16.0f, mixColor(theme.background, theme.border, 0.14f), 0, 1.0f);
    }
    fillRoundRect(graphics, x, y, w, h, 16.0f, theme.card, theme.border, 1.0f);
}

}  // namespace pm::ui
