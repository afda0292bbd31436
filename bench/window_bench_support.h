// What the benchmarks of the program's windows share: what a window of the program expects to be set up,
// the main window itself and a pass over the pending messages.
#pragma once

#include "app/main_window.h"
#include "app/program_internal.h"
#include "ui/shell_state.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>

namespace bench {

// COM (single-threaded), the common controls and GDI+ for the holder's lifetime, with the program's
// instance handle set.
class WindowSession {
public:
    WindowSession() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
        pm::ui::appInstance = GetModuleHandleW(nullptr);
    }
    ~WindowSession() {
        Gdiplus::GdiplusShutdown(token_);
        CoUninitialize();
    }
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

inline void pumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// The program's main window at the size the program gives it on this screen (1300 x 850 at most, the work
// area less 24 pixels: under the null driver's 1024 x 768 screen that is 1000 x 744), its class registered;
// null (and a line saying so) when it could not be made.
inline HWND createMainWindow(int x, int y) {
    pm::registerMainWindowClass();
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const SIZE size = pm::initialMainWindowSize(work, static_cast<float>(GetDpiForSystem()) / 96.0f);
    HWND window = CreateWindowExW(0, pm::MainWindowClass, L"Pelmirt 1.2.0", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  x, y, size.cx, size.cy, nullptr, nullptr, pm::ui::appInstance, nullptr);
    if (!window) std::printf("the main window could not be created\n");
    return window;
}

}  // namespace bench
