// The main window's child controls by id, created and filled by the control code; the window
// helpers and the theme walk it to repaint every control.
#pragma once

#include <windows.h>

#include <map>

namespace pm::ui {

// Control id -> window (null when creating it failed). Ordered by id. UI thread only.
extern std::map<int, HWND> controlRegistry;

}  // namespace pm::ui
