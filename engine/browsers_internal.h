// The browser process finder, shared inside the engine and with its tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pm {

// One running browser process of this user and session.
struct BrowserProcess {
    std::uint32_t pid = 0;
    std::wstring displayName;
};

// The browser processes in snapshot order; listed is true only when the whole snapshot was read. A process
// whose session, token or user cannot be read counts as one of ours.
std::vector<BrowserProcess> findBrowserProcesses(bool& listed);

// The display name for an executable name (compared without regard to case), or null.
const wchar_t* browserDisplayName(const wchar_t* executable);

// What closeBrowserWindowsProc works with.
struct BrowserCloseContext {
    const std::vector<BrowserProcess>* browsers = nullptr;
    bool posted = false;
};

// EnumWindows callback: posts WM_CLOSE to a visible, unowned window of a listed process. Always TRUE.
BOOL CALLBACK closeBrowserWindowsProc(HWND window, LPARAM context);

}  // namespace pm
