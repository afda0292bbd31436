// The main window "PelmirtReleaseWindow": its class and its window procedure.
#pragma once

#include <windows.h>

namespace pm {

inline constexpr wchar_t MainWindowClass[] = L"PelmirtReleaseWindow";

// Registers the main window's class (icon resource 1, arrow cursor, no background brush).
void registerMainWindowClass();

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace pm
