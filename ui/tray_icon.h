// The notification-area icon: added (and re-added by timer 4 until the shell accepts it), its tip
// kept in the current language, and the way back from the tray to the main window.
#pragma once

#include <windows.h>

namespace pm::ui {

// The icon's callback message to the main window.
inline constexpr UINT WM_APP_TRAY = WM_APP + 30;
// Timer of the main window that retries a refused icon.
inline constexpr UINT_PTR TrayRetryTimerId = 4;
inline constexpr UINT TrayRetryMilliseconds = 5000;

// True when the icon is present afterwards. Without a shell call when it already is.
bool addTrayIcon();
// Re-sets the tip; a lost icon is re-added later, and a hidden application is shown again.
void updateTrayTip();
// Shows the main window and the windows hidden with it, and activates whatever dialog is open on it.
void restoreMainWindow();

}  // namespace pm::ui
