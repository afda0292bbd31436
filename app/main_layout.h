// Geometry of the main window's pages, in device-independent pixels of its layout scale, and the
// placement of its child controls for the current page and state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <vector>

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

// A rectangle in DIPs of the main window's layout.
struct DipRect {
    float x = 0;
    float y = 0;
    float w = 0;
    float h = 0;
};

// The inner margin of a card: its content and its buttons keep this far from its edges.
inline constexpr float CardInset = 25.0f;

// Control id -> the rectangle (device pixels, main-window client) last given to that control. A control
// that is hidden loses its entry, so showing it again always moves it.
extern std::map<int, RECT> appliedBounds;

// The page geometry for clientWidth x clientHeight at the layout scale.
MainLayout computeMainLayout();

// The cards of a page (0 Clean PC, 1 Disk space, 2 Help, 3 Settings) as its painter draws them.
std::vector<DipRect> pageCards(const MainLayout& layout, int page);
// The one card of the Disk space and Help pages.
DipRect pageCard(const MainLayout& layout);
// Top of a button of this height at the bottom of that card, the card's inner margin below it.
float pageCardButtonTop(const MainLayout& layout, float height);
// The device pixels of a DIP rectangle at the layout scale (each edge converted on its own).
RECT layoutRect(const DipRect& rect);
// What an animation step or a progress report changes: the ring gauge of the Clean PC page, the status
// area of an operation (its progress line and strip) and the strip alone. The rest of the frame stays.
DipRect gaugeArea(const MainLayout& layout);
DipRect statusArea(const MainLayout& layout);
DipRect progressStripArea(const MainLayout& layout);

// Places, shows, enables and labels every child control for the current page and state, moves the
// changed ones in one batch, then repaints. Touches a control only where something differs.
void layoutMainControls();
// Every message of the main window, first: remembers the focused control when the window is deactivated
// or minimised and gives the focus back to it (or, when it can no longer take it, to Cancel or the next
// control) when the window is active or restored again, as a dialog box does. True when a control got it.
bool keepMainFocus(HWND window, UINT message, WPARAM wParam);

// The ring-gauge value the transition (gaugeFrom, gaugeTo, gaugeStart, gaugeDuration) shows at tick now:
// eased with t * t * (3 - 2t), gaugeFrom before the start, gaugeTo once it ran its course.
double gaugeValueAt(uint64_t now);

// Forgets every wanted control rectangle (the start of each layout).
void clearControlBounds();

}  // namespace pm
