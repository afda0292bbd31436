// A stand-in main window for the operation tests in this process: the worker messages reach the real
// handlers; the continuation of an exit (WM_APP+31) and the boxes the handlers show are counted and answered.
#pragma once

#include "app/app_messages.h"
#include "app/shell_globals.h"
#include "app/worker_messages.h"
#include "ui/shell_state.h"
#include "tests/engine/location_fixtures.h"
#include "tests/support/test_files.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace pm::test {

struct OpsWindow {
    HWND window = nullptr;
    int exitContinuations = 0;
    std::vector<std::wstring> dialogCaptions;  // every box shown, in order
    std::vector<std::wstring> dialogTexts;     // the texts of each box's controls, one line each
    std::vector<int> answers;                  // buttons pressed in order; IDNO (or OK) once they run out

    OpsWindow();
    ~OpsWindow();
    OpsWindow(const OpsWindow&) = delete;
    OpsWindow& operator=(const OpsWindow&) = delete;

    // Dispatches this thread's messages until the condition holds or the time is up. True when it held.
    bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
};

// A folder of this test in the user's temporary folder under LocalAppData, the clean-up location (made
// when missing and removed again). Tests using it hold the lock of the system folders.
struct UserTempFolder {
    std::wstring location = localAppDataPath() + L"\\Temp";
    MadeFolders made{location};
    TempFolder folder{location};
    const std::wstring& path() const { return folder.path(); }
    std::wstring operator/(const std::wstring& name) const { return folder / name; }
    // A file 48 hours old: a temporary file the scan takes.
    void agedFile(const std::wstring& name, const std::string& bytes) const {
        writeFile(folder / name, bytes);
        setLastWriteTime(folder / name, nowFileTime() - 48 * kHour);
    }
};

// The shell's globals as they are at start-up, with the window as the main window.
void resetShellState(HWND mainWindow);

}  // namespace pm::test
