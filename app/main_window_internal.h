// Pieces of the main window procedure, for tests.
#pragma once

#include <windows.h>

#include <vector>

namespace pm {

// One child control of the main window, in creation (and tab) order.
struct MainControl {
    int id;
    const wchar_t* text;       // untranslated
    const wchar_t* className;
    DWORD style;               // besides WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP, which createControl adds
};

const std::vector<MainControl>& mainControlTable();

// WM_SIZE's rule: the candidate min(height / 790, width / 1100, DPI scale) replaces the layout scale when
// it is above 0.1 and differs by more than 0.01. True when the scale changed (and the fonts were rebuilt).
bool updateLayoutScale(int clientWidth, int clientHeight);

// Whether the settings may be written back right after loading: the state file was absent, or it was
// read and accepted. A file that exists but cannot be read is kept for the user to change a setting.
bool stateFileMayBeReplaced();

// The notification-icon callback (WM_APP+30).
void onTrayCallback(WPARAM wParam, LPARAM lParam);

// One step of timer 3.
void animationStep();

}  // namespace pm
