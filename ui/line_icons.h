// The product's broom glyph and the small line icons, in DIPs on a scaled Graphics.
#pragma once

#include "ui/theme.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace pm::ui {

void drawBroomIcon(Gdiplus::Graphics* graphics, float x, float y, float size, Argb colour);
// kind: 0 broom, 1 drive, 2 help, 3 globe, 4 gear, 5 key, 6 document, anything else the trash can.
// The help icon's "?" goes to the main window's frame text list, so it shows only during a frame paint.
void drawLineIcon(Gdiplus::Graphics* graphics, int kind, float x, float y, float size, Argb colour);

}  // namespace pm::ui
