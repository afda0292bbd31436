// The window state the toolkit shares with the application shell.
//
// The shell owns these values and changes them; the toolkit reads them (and a few it updates itself,
// such as modalDepth and the tray flags). They live here, beside the toolkit, so that calls still run
// one way: the shell includes this header, the toolkit never includes the shell. Everything else of
// the shell's state stays in the shell. UI thread only, no synchronisation.
#pragma once

#include "services/state/app_settings.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace pm::ui {

extern HWND mainWindow;                  // set at the start of the main window's WM_CREATE
extern HINSTANCE appInstance;            // set first thing in wWinMain
extern HWND widgetWindow;                // the desktop widget, or null
extern std::vector<HWND> hiddenWithMain; // secondary windows hidden together with the main window

extern uint32_t modalDepth;              // open modal scopes (message boxes, the tray menu, the picker)
extern bool destroying;
extern bool exitPending;
extern bool hidePending;
extern bool hiddenToTray;

extern bool trayVersion4;
extern bool trayIconAdded;
extern bool balloonShown;                // the first hide of the run showed its balloon
extern bool animationTimerRunning;       // timer 3 runs

// The main window's layout scale: device pixels per DIP of its layout and frame texts.
extern float layoutScale;
// The font of every child control of the main window (owned and rebuilt by the shell), or null.
extern HFONT mainFontRegular;

// Raised whenever the main window's frame must be rendered again (the large-files window follows it too);
// starts at 1.
extern uint64_t uiGeneration;

// The user's settings as the program currently applies them.
extern AppSettings currentSettings;

}  // namespace pm::ui
