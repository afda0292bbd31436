// Exit, hiding to the notification area, and spreading a settings change.
#pragma once

#include <windows.h>

namespace pm {

// Ends the application (force: without the question while an operation runs).
void requestExit(bool force);
// Hides the main window to the notification area (WM_CLOSE).
void hideToTray();
// Tells the secondary windows and the widget that theme, accent or language changed.
void broadcastSettingsChanged();
// Tells every open history window to reload (after a history append).
void refreshHistoryWindows();
// Saves the current settings; a failure becomes the status text. Never throws. For changes the user made.
void saveSettingsOrReport();
// The refresh timer's and the exit's save: skipped while stateFileHeld (an unreadable state file is kept
// until the user changes a setting).
void saveSettingsAutomatically();

// Remembers the widget's top-left corner in the settings and saves them (after a move or a display change).
void saveWidgetPosition(HWND widget);

}  // namespace pm
