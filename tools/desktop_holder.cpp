// Holds a Wine prefix's desktop for as long as the prefix's server runs; wine-prefix.sh starts it, detached,
// before any test. Under Wine the first process that needs the desktop window starts the desktop process
// (explorer.exe /desktop), which inherits that process's standard error and lives until the desktop has had
// no other user for a second. Started by a test, it kept the test's output pipe open, and CTest waited for
// it (sometimes the whole timeout) while other tests kept the desktop in use. Started from here, it holds
// only this program's output, and this program keeps the desktop in use until the server ends it.
//   desktop_holder [--notification-area]   the option also waits for the shell's notification area
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <thread>

namespace {

// The prefix's first window, so that what a first window needs (its class, the default fonts, the display
// driver) is ready before the first test. On a thread of its own: when the thread ends, its windows (with
// the IME window Wine gives every thread that made one) go too, and nothing of this program stays among
// the desktop's windows.
bool showOneWindow() {
    bool shown = false;
    std::thread([&] {
        HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                      nullptr, nullptr);
        if (!window) return;
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);
        shown = DestroyWindow(window) != FALSE;
    }).join();
    return shown;
}

bool waitForNotificationArea() {
    for (int poll = 0; poll < 600; ++poll) {
        if (FindWindowW(L"Shell_TrayWnd", nullptr)) return true;
        Sleep(50);
    }
    return false;
}

int report(const char* line, int code) {
    std::puts(line);
    std::fflush(stdout);
    return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // A second holder for the same prefix has nothing to do.
    if (CreateMutexW(nullptr, FALSE, L"Local\\PelmirtDesktopHolder") && GetLastError() == ERROR_ALREADY_EXISTS)
        return report("desktop already held", 0);
    if (!GetDesktopWindow()) return report("no desktop window", 1);
    if (!showOneWindow()) return report("no window could be shown", 1);
    if (argc > 1 && std::wcscmp(argv[1], L"--notification-area") == 0 && !waitForNotificationArea())
        return report("no notification area", 1);
    report("desktop ready", 0);
    // Until the server stops (wine-prefix.sh stop ends every process of the prefix).
    for (;;) Sleep(INFINITE);
}
