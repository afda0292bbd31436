#include "ui/line_icons.h"

#include "ui/text_list.h"

#include <cmath>

namespace pm::ui {

namespace {

void roundCaps(Gdiplus::Pen& pen) {
    pen.SetStartCap(Gdiplus::LineCapRound);
    pen.SetEndCap(Gdiplus::LineCapRound);
}

}  // namespace

void drawBroomIcon(Gdiplus::Graphics* g, float x, float y, float s, Argb colour) {
    Gdiplus::Pen pen(Gdiplus::Color(colour), s / 18.0f);
    roundCaps(pen);
    Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
    g->DrawLine(&pen, x + 0.8f * s, y, x + 0.38f * s, y + 0.65f * s);              // handle
    g->DrawLine(&pen, x + 0.38f * s, y + 0.65f * s, x + 0.05f * s, y + 0.75f * s);
    g->DrawArc(&pen, x, y + 0.43f * s, 0.59f * s, 0.44f * s, 0.0f, 180.0f);          // the head's lower half
    g->DrawLine(&pen, x + 0.15f * s, y + 0.76f * s, x + 0.3f * s, y + 0.86f * s);
    g->FillEllipse(&brush, x + 0.58f * s, y + 0.76f * s, 0.075f * s, 0.075f * s);  // two specks
    g->FillEllipse(&brush, x + 0.68f * s, y + 0.85f * s, 0.06f * s, 0.06f * s);
}

void drawLineIcon(Gdiplus::Graphics* g, int kind, float x, float y, float s, Argb colour) {
    const auto shape = static_cast<unsigned>(kind);
    if (shape == 0) {
        drawBroomIcon(g, x, y, s, colour);
        return;
    }
    Gdiplus::Pen pen(Gdiplus::Color(colour), 1.8f);
    roundCaps(pen);
    switch (shape) {
    case 1:  // drive
        g->DrawRectangle(&pen, x + 2, y + 3, s - 4, s - 6);
        g->DrawLine(&pen, x + 5, y + s - 8, x + s - 5, y + s - 8);
        g->DrawEllipse(&pen, x + s - 7, y + s - 6, 1.5f, 1.5f);
        break;
    case 2:  // help
        g->DrawEllipse(&pen, x + 2, y + 2, s - 4, s - 4);
        queueFrameText(L"?", x + 2, y + 1, s - 4, s - 2, 0.68f * s, colour & 0xFFFFFF, true, 1, false, true, true);
        break;
    case 3:  // globe
        g->DrawEllipse(&pen, x + 1, y + 1, s - 2, s - 2);
        g->DrawEllipse(&pen, x + 0.27f * s, y + 1, 0.46f * s, s - 2);
        g->DrawLine(&pen, x + 2, y + 0.5f * s, x + s - 2, y + 0.5f * s);
        break;
    case 4: {  // gear
        g->DrawEllipse(&pen, x + 0.31f * s, y + 0.31f * s, 0.38f * s, 0.38f * s);
        const float cx = x + 0.5f * s;
        const float cy = y + 0.5f * s;
        for (int i = 0; i < 8; ++i) {
            const float a = static_cast<float>(i) * 3.1415925f / 4.0f;
            const float c = std::cos(a);  // exactly (1, 0) for the first ray
            const float n = std::sin(a);
            g->DrawLine(&pen, cx + c * 0.36f * s, cy + n * 0.36f * s, cx + c * 0.48f * s, cy + n * 0.48f * s);
        }
        break;
    }
    case 5:  // key
        g->DrawEllipse(&pen, x + 2, y + 2, 0.38f * s, 0.38f * s);
        g->DrawLine(&pen, x + 0.39f * s, y + 0.4f * s, x + 0.88f * s, y + 0.9f * s);
        g->DrawLine(&pen, x + 0.7f * s, y + 0.73f * s, x + 0.85f * s, y + 0.61f * s);
        break;
    case 6:  // document
        g->DrawRectangle(&pen, x + 5, y + 2, s - 10, s - 4);
        g->DrawLine(&pen, x + 9, y + 9, x + s - 9, y + 9);
        g->DrawLine(&pen, x + 9, y + 14, x + s - 9, y + 14);
        break;
    default:  // trash can
        g->DrawLine(&pen, x + 3, y + 6, x + s - 3, y + 6);
        g->DrawLine(&pen, x + 7, y + 6, x + 8, y + s - 3);
        g->DrawLine(&pen, x + s - 7, y + 6, x + s - 8, y + s - 3);
        g->DrawLine(&pen, x + 8, y + s - 3, x + s - 8, y + s - 3);
        g->DrawLine(&pen, x + 9, y + 2, x + s - 9, y + 2);
        break;
    }
}

}  // namespace pm::ui
