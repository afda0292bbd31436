// Geometry of the main window's pages, in device-independent pixels of its layout scale, and the
// placement of its child controls for the current page and state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>

namespace pm {

struct MainLayout {
    float width = 0;        // client width / layout scale
    float height = 0;       // client height / layout scale
    float navWidth = 230;   // navigation band
    float contentX = 250;   // left edge of the content area
    float sideX = 0;        // left edge of the right-hand column
    float mainWidth = 0;    // left content column
    float sideWidth = 0;    // right-hand column
    float top = 134;        // first row of cards
    float cardHeight = 268; // first row of cards
    float bottomHeight = 0; // second row of cards
};

// Control id -> the rectangle (device pixels, main-window client) last given to that control. A control
// that is hidden loses its entry, so showing it again always moves it.
extern std::map<int, RECT> appliedBounds;

// The page geometry for clientWidth x clientHeight at the layout scale.
MainLayout computeMainLayout();

// Places, shows, enables and labels every child control for the current page and state, moves the
// changed ones in one batch, then repaints. Touches a control only where something differs.
void layoutMainControls();

// The ring-gauge value the transition (gaugeFrom, gaugeTo, gaugeStart, gaugeDuration) shows at tick now:
// eased with t * t * (3 - 2t), gaugeFrom before the start, gaugeTo once it ran its course.
double gaugeValueAt(uint64_t now);

// Forgets every wanted control rectangle (the start of each layout).
void clearControlBounds();

}  // namespace pm
