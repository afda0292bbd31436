// What the benchmarks of the program's windows share: what a window of the program expects to be set up,
// the main window itself and a pass over the pending messages.
#pragma once

#include "app/main_window.h"
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

// The program's main window at 1300 x 850, its class registered; null (and a line saying so) when it
// could not be made.
inline HWND createMainWindow(int x, int y) {
    pm::registerMainWindowClass();
    HWND window = CreateWindowExW(0, pm::MainWindowClass, L"Pelmirt 1.2.0", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  x, y, 1300, 850, nullptr, nullptr, pm::ui::appInstance, nullptr);
    if (!window) std::printf("the main window could not be created\n");
    return window;
}

}  // namespace bench
