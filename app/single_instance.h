// One Pelmirt per user and session: a later start hands over to the running one and ends, so two
// instances never write their own copies of the settings over each other.
#pragma once

#include <windows.h>

namespace pm {

// Makes this process the user's running Pelmirt. False when another one already runs: it was asked to
// show its main window (or did not answer in time), and this process ends with 0 without a window.
bool becomeRunningInstance();

// Lets a later start's request through the window's message filter: an elevated instance would otherwise
// never hear a later start of normal integrity (User Interface Privilege Isolation drops its messages from
// WM_USER up). True when the filter took it.
bool acceptLaterStarts(HWND window);

// Lets later starts find the main window, once it exists.
void publishMainWindow(HWND window);

// A later start's request (WM_APP+33): the main window comes to the front, restored from the tray or
// from the task bar. The answer tells the later start that it was shown.
LRESULT onAnotherStart();

}  // namespace pm
