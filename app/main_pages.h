// Everything of the main window that is not a child control: the navigation band, the page header, the
// current page's content and the status area, painted into the frame buffer.
#pragma once

#include <windows.h>

namespace pm {

// Paints the frame on dc (the frame buffer's DC); texts go to the frame's text list.
void paintMainContent(HDC dc);

}  // namespace pm
