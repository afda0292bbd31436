// Pieces of the start-up and the message loop, for tests.
#pragma once

#include <windows.h>

namespace pm {

// A switch is any occurrence of its text in the raw command line, also inside a longer word.
bool commandLineHas(const wchar_t* commandLine, const wchar_t* switchText);

// The main window's first outer size: 1300 x 850 DIPs at the scale, each side at most the work area
// less 24 pixels.
SIZE initialMainWindowSize(const RECT& workArea, float scale);

// One message of the loop: keyboard routing to the secondary windows, dialog keys, dispatch.
void routeMessage(MSG& message);

// GetMessageW until WM_QUIT (its wParam is returned) or a failure (0 is returned).
int runMessageLoop();

}  // namespace pm
