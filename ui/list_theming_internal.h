// Scroll-bar geometry of list_theming.cpp, for tests.
#pragma once

#include <windows.h>

#include <array>

namespace pm::ui::detail {

struct ScrollBarShapes {
    RECT thumb{};
    int corner = 0;                            // RoundRect's ellipse width and height
    std::array<std::array<POINT, 3>, 2> chevrons{};  // left/up, then right/down
};

// bar in window-DC coordinates; thumbTop and thumbBottom as GetScrollBarInfo gives them (offsets from
// the bar's start); lineButton is the length of an arrow button.
ScrollBarShapes scrollBarShapes(const RECT& bar, bool horizontal, int thumbTop, int thumbBottom, int lineButton);

}  // namespace pm::ui::detail
