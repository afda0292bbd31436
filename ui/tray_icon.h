// The notification-area icon: added (and re-added by timer 4 until the shell accepts it), its tip
// kept in the current language, and the way back from the tray to the main window.
#pragma once

#include <windows.h>

namespace pm::ui {

// The icon's callback message to the main window.
inline constexpr UINT WM_APP_TRAY = WM_APP + 30;
// The application's one icon: uID of every call about it.
inline constexpr UINT TrayIconId = 1;
// Timer of the main window that retries a refused icon.
inline constexpr UINT_PTR TrayRetryTimerId = 4;
inline constexpr UINT TrayRetryMilliseconds = 5000;

// True when the icon is present afterwards. Without a shell call when it already is.
bool addTrayIcon();
// Re-sets the tip; a lost icon is re-added later, and a hidden application is shown again.
void updateTrayTip();
// Shows the main window and the windows hidden with it, and activates whatever dialog is open on it.
void restoreMainWindow();
// The window to activate when the program comes forward: the dialog of an open modal scope, else the
// main window's last active popup (along GetLastActivePopup, at most 16 steps), else the main window.
HWND activationTarget();
// The balloon that says the application still runs in the notification area, on the first hide of a run.
void showTrayBalloonOnce();
// Removes the icon when it is there, so no icon outlives the main window.
void deleteTrayIcon();

}  // namespace pm::ui
