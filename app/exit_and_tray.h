// Exit, hiding to the notification area, and spreading a settings change.
#pragma once

#include <windows.h>

namespace pm {

// Ends the application. While an operation runs it asks first (unless forced: the question is skipped
// for this and every later request of the same exit), cancels, and finishes once the operation has
// reported (WM_APP+31). While a modal scope or the exit question is open the request waits (WM_APP+32).
void requestExit(bool force);
// Hides the main window to the notification area (WM_CLOSE).
void hideToTray();
// Tells the secondary windows and the widget that theme, accent or language changed.
void broadcastSettingsChanged();
// Tells every open history window to reload (after a history append).
void refreshHistoryWindows();
// Saves the current settings; a failure becomes the status text. Never throws. For changes the user made:
// it also lifts the hold on an unreadable state file, so a failed save is retried automatically.
void saveSettingsOrReport();
// Remembers where the user left the widget (its window rectangle's top-left corner) and saves it.
void saveWidgetPosition(HWND widget);
// The refresh timer's and the exit's save: skipped while stateFileHeld (an unreadable state file is kept
// until the user changes a setting).
void saveSettingsAutomatically();
// The user's session ends (log-off, shut-down): a running operation is cancelled and its report awaited a
// bounded time, so its record is written; the settings are saved; then the application exits.
void endSession();

}  // namespace pm
