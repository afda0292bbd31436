// Geometry of the main window's pages, in device-independent pixels of its layout scale.
#pragma once

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

// The page geometry for clientWidth x clientHeight at the layout scale.
MainLayout computeMainLayout();

// Places, shows, enables and labels every child control for the current state, then repaints.
void layoutMainControls();

}  // namespace pm
