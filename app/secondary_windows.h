// The secondary windows as one set: preview and history windows, the large-files window, the widget.
#pragma once

#include <windows.h>

#include <functional>

namespace pm {

// Calls fn for every existing secondary window: the preview windows, then the history windows, then the
// large-files window, then the widget. Works on copies of the lists, so fn may close windows.
void forEachSecondaryWindow(const std::function<void(HWND)>& fn);

// Destroys the widget, the large-files window, then every history and every preview window.
void destroySecondaryWindows();

}  // namespace pm
