#include "ui/gdi_objects.h"

namespace pm::ui {

void fillSolid(HDC dc, const RECT& area, Argb colour) {
    if (IsRectEmpty(&area)) return;
    SolidBrush brush(CreateSolidBrush(toColorRef(colour)));
    if (brush) FillRect(dc, &area, brush.get());
}

}  // namespace pm::ui
