// Takes a screenshot of pelmirt.exe's desktop widget for the documentation: stores the wanted theme with
// the widget switched on through the program's own state file, starts the program, moves its main
// window out of the way and saves the widget with a margin of the desktop around it as a PNG cut out of
// the (virtual) desktop. Runs inside the Wine prefix of the program.
//
//   widget_shot PELMIRT_EXE OUTPUT.png THEME
//
// Exit code 0 when the picture was written.
#include "services/state/app_settings.h"
#include "services/state/state_file.h"
#include "tools/shot_support.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr int Margin = 28;

// The rectangle as it is on the desktop, with whatever lies under the widget's cut corners, cut to
// the screen.
bool saveClippedRect(RECT r, const std::wstring& path) {
    r.left = std::max(r.left, 0L);
    r.top = std::max(r.top, 0L);
    r.right = std::min(r.right, static_cast<LONG>(GetSystemMetrics(SM_CXSCREEN)));
    r.bottom = std::min(r.bottom, static_cast<LONG>(GetSystemMetrics(SM_CYSCREEN)));
    return pm::shots::saveScreenRect(r, path);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fputs("usage: widget_shot PELMIRT_EXE OUTPUT.png THEME\n", stderr);
        return 2;
    }
    pm::AppSettings settings;
    settings.theme = std::string(argv[3], argv[3] + wcslen(argv[3]));
    settings.widget_enabled = true;
    try {
        pm::saveAppState(settings);
    } catch (...) {
        std::fputs("widget_shot: the settings could not be stored\n", stderr);
        return 1;
    }

    const pm::shots::GdiplusSession gdiplus;
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    bool saved = false;
    if (CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        HWND main = pm::shots::waitForWindowOf(process.dwProcessId, L"PelmirtReleaseWindow", nullptr, 15000);
        HWND widget = pm::shots::waitForWindowOf(process.dwProcessId, L"PelmirtDesktopWidget", nullptr, 15000);
        if (main) ShowWindow(main, SW_MINIMIZE);
        Sleep(800);  // the desktop repaints where the main window was, the widget renders
        RECT r{};
        if (widget && GetWindowRect(widget, &r)) {
            InflateRect(&r, Margin, Margin);
            saved = saveClippedRect(r, argv[2]);
        } else {
            std::fputs("widget_shot: no widget window\n", stderr);
        }
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return saved ? 0 : 1;
}
