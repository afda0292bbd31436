#include "tools/shot_support.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <memory>

namespace pm::shots {

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

GdiplusSession::~GdiplusSession() {
    Gdiplus::GdiplusShutdown(token_);
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

namespace {

HWND findWindowOf(DWORD processId, const wchar_t* className, HWND owner) {
    struct Query {
        DWORD processId;
        const wchar_t* className;
        HWND owner;
        HWND found;
    } query{processId, className, owner, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) {
            auto* q = reinterpret_cast<Query*>(data);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (pid != q->processId || std::wstring(name) != q->className || !IsWindowVisible(window)) return TRUE;
            if (q->owner && GetWindow(window, GW_OWNER) != q->owner) return TRUE;
            q->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.found;
}

bool nothingToPaint(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE)) return false;
    bool clean = true;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) {
            if (!IsWindowVisible(child) || !GetUpdateRect(child, nullptr, FALSE)) return TRUE;
            *reinterpret_cast<bool*>(data) = false;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&clean));
    return clean;
}

// A message sent to the window's thread, answered once the thread has handled what it was doing.
bool answers(HWND window, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

}  // namespace

bool waitForPaint(HWND window, DWORD timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        // Sent messages come before paints: an answer alone does not say the paints are done.
        if (answers(window, timeoutMs) && nothingToPaint(window)) {
            // Between two answers the thread waited for messages, and Wine puts a window's surface on the
            // screen when its thread starts waiting.
            answers(window, timeoutMs);
            std::fwprintf(stderr, L"painted after %llu ms\n", GetTickCount64() - start);
            return true;
        }
        if (GetTickCount64() - start > timeoutMs) return false;
        Sleep(10);
    }
}

HWND waitForWindowOf(DWORD processId, const wchar_t* className, HWND owner, DWORD timeoutMs) {
    for (DWORD waited = 0; waited <= timeoutMs; waited += 50, Sleep(50)) {
        if (HWND window = findWindowOf(processId, className, owner)) return window;
    }
    return nullptr;
}

bool saveScreenRect(const RECT& r, const std::wstring& path) {
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

bool saveWindow(HWND window, const std::wstring& path) {
    RECT r{};
    if (!window || !GetWindowRect(window, &r)) return false;
    return saveScreenRect(r, path);
}

void pumpFor(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

}  // namespace pm::shots
