// What the screenshot drivers share: GDI+ for the life of a driver, finding a program's windows and
// saving a part of the (virtual) desktop as a PNG.
#pragma once

#include <windows.h>

#include <string>

namespace pm::shots {

// GDI+ started for the holder's lifetime.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

// The class id of GDI+'s PNG encoder; false when GDI+ lists none.
bool pngEncoder(CLSID& clsid);

// A visible top-level window of the process with the class (and the owner, when one is given), waited
// for up to timeoutMs; null when none came.
HWND waitForWindowOf(DWORD processId, const wchar_t* className, HWND owner, DWORD timeoutMs);

// Waits until the program has painted the window and its children (none of them has anything left to
// paint) and its thread has gone back to waiting for messages once more, which puts what it painted on
// the screen. Reports how long that took; false when timeoutMs passed first.
bool waitForPaint(HWND window, DWORD timeoutMs);

// The rectangle of the desktop as it is on the screen, saved as a PNG; reports "saved" or "FAILED" with
// the path on stderr.
bool saveScreenRect(const RECT& r, const std::wstring& path);

// The window as it is on the desktop (so child controls and the frame are the real pixels).
bool saveWindow(HWND window, const std::wstring& path);

// Handles this thread's messages for about ms milliseconds.
void pumpFor(DWORD ms);

}  // namespace pm::shots
