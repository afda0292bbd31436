// A stand-in for a browser: a tiny windowed program that tests copy under a browser's executable name.
//   (no argument)  one visible top-level window without owner; closing it ends the program
//   hidden         one top-level window that is never shown
//   owned          a hidden owner and a visible window owned by it
//   refuse         one visible window that ignores WM_CLOSE, as a browser with unsaved work may
// It runs until its last window is destroyed, or until the test that started it ends it.
#include <windows.h>

#include <cwchar>

namespace {

bool refuseClose = false;

LRESULT CALLBACK standInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE && refuseClose) return 0;
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeWindow(HINSTANCE instance, HWND owner, bool visible) {
    return CreateWindowExW(0, L"PelmirtBrowserStandIn", L"stand-in", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                           10, 10, 200, 100, owner, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = standInProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"PelmirtBrowserStandIn";
    if (!RegisterClassW(&windowClass)) return 2;
    const bool hidden = std::wcsstr(commandLine, L"hidden") != nullptr;
    const bool owned = std::wcsstr(commandLine, L"owned") != nullptr;
    refuseClose = std::wcsstr(commandLine, L"refuse") != nullptr;
    HWND window = nullptr;
    if (owned)
        window = makeWindow(instance, makeWindow(instance, nullptr, false), true);
    else
        window = makeWindow(instance, nullptr, !hidden);
    if (window == nullptr) return 3;
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
