// GDI+ shapes of the custom-drawn windows, in DIPs on a Graphics whose world transform carries the
// window's scale; x and y are the top-left corner, colours ARGB. Failures stay in the Graphics' last
// status and never stop the rest of the frame.
#pragma once

#include "ui/theme.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace pm::ui {

// Four quarter arcs of radius min(w, h) / 2 capped at radius, closed; a plain rectangle for radius 0.
void addRoundRectPath(Gdiplus::GraphicsPath& path, float x, float y, float w, float h, float radius);
// The outline is drawn only when the border colour's alpha is not 0.
void fillRoundRect(Gdiplus::Graphics* graphics, float x, float y, float w, float h, float radius, Argb fill,
                   Argb border, float borderWidth);
// An 8-high track in the surface colour with an accent fill of at least 8 wide when fraction > 0.
void drawProgressBar(Gdiplus::Graphics* graphics, float x, float y, float w, float fraction);
// A card with a soft shadow 3 below it (no shadow in high contrast).
void drawCard(Gdiplus::Graphics* graphics, float x, float y, float w, float h);

}  // namespace pm::ui
