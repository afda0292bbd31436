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

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr int Margin = 28;

HWND waitForWindowOf(DWORD processId, const wchar_t* className, DWORD timeoutMs) {
    struct Query {
        DWORD processId;
        const wchar_t* className;
        HWND found;
    };
    for (DWORD waited = 0; waited <= timeoutMs; waited += 50, Sleep(50)) {
        Query query{processId, className, nullptr};
        EnumWindows(
            [](HWND window, LPARAM data) {
                auto* q = reinterpret_cast<Query*>(data);
                DWORD pid = 0;
                GetWindowThreadProcessId(window, &pid);
                wchar_t name[64] = {};
                GetClassNameW(window, name, 64);
                if (pid != q->processId || std::wstring(name) != q->className || !IsWindowVisible(window)) return TRUE;
                q->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&query));
        if (query.found) return query.found;
    }
    return nullptr;
}

bool pngEncoder(CLSID& clsid) {
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    if (size == 0) return false;
    std::unique_ptr<char[]> buffer(new char[size]);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
    if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(encoders[i].MimeType) == L"image/png") {
            clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

// The rectangle as it is on the desktop, with whatever lies under the widget's cut corners.
bool saveScreenRect(RECT r, const std::wstring& path) {
    r.left = std::max(r.left, 0L);
    r.top = std::max(r.top, 0L);
    r.right = std::min(r.right, static_cast<LONG>(GetSystemMetrics(SM_CXSCREEN)));
    r.bottom = std::min(r.bottom, static_cast<LONG>(GetSystemMetrics(SM_CYSCREEN)));
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    bool saved = false;
    CLSID png{};
    if (screen && memory && bitmap && width > 0 && height > 0 && pngEncoder(png)) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        SelectObject(memory, old);
        Gdiplus::Bitmap image(bitmap, nullptr);
        saved = image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    if (screen) ReleaseDC(nullptr, screen);
    std::fwprintf(stderr, L"%ls %ls\n", saved ? L"saved" : L"FAILED", path.c_str());
    return saved;
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

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    bool saved = false;
    if (CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        HWND main = waitForWindowOf(process.dwProcessId, L"PelmirtReleaseWindow", 15000);
        HWND widget = waitForWindowOf(process.dwProcessId, L"PelmirtDesktopWidget", 15000);
        if (main) ShowWindow(main, SW_MINIMIZE);
        Sleep(800);  // the desktop repaints where the main window was, the widget renders
        RECT r{};
        if (widget && GetWindowRect(widget, &r)) {
            InflateRect(&r, Margin, Margin);
            saved = saveScreenRect(r, argv[2]);
        } else {
            std::fputs("widget_shot: no widget window\n", stderr);
        }
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    Gdiplus::GdiplusShutdown(token);
    return saved ? 0 : 1;
}
