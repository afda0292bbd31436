#include "ui/window_utils.h"

#include "ui/control_registry.h"
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/window_utils_internal.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pm::ui {

namespace detail {

RECT clampRectToWorkArea(const RECT& rect, const RECT& workArea) {
    const LONG width = std::max(std::min(workArea.right - workArea.left - 16, rect.right - rect.left), 1L);
    const LONG height = std::max(std::min(workArea.bottom - workArea.top - 16, rect.bottom - rect.top), 1L);
    const LONG left = std::max(std::min(workArea.right - 8 - width, rect.left), workArea.left + 8);
    const LONG top = std::max(std::min(workArea.bottom - 8 - height, rect.top), workArea.top + 8);
    return RECT{left, top, left + width, top + height};
}

UINT windowDpi(HWND window, GetDpiForWindowFn getDpiForWindow) {
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window); dpi != 0) return dpi;
    }
    HDC dc = GetDC(window);
    if (!dc) return 96;
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(window, dc);
    return dpi < 1 ? 96 : static_cast<UINT>(dpi);
}

int metricForDpi(int metric, HWND window, GetSystemMetricsForDpiFn getSystemMetricsForDpi) {
    if (getSystemMetricsForDpi) {
        if (const int value = getSystemMetricsForDpi(metric, getWindowDpi(window)); value > 0) return value;
    }
    return GetSystemMetrics(metric);
}

}  // namespace detail

namespace {

// An export of user32.dll that systems before Windows 10 1607 lack; null there. Callers keep the
// answer in a function-local static, so it is looked up once, thread-safely, at first use.
template <typename Function>
Function user32Export(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

bool mainWindowOnScreen() {
    return mainWindow && IsWindowVisible(mainWindow) && !IsIconic(mainWindow);
}

}  // namespace

void registerWindowClass(const wchar_t* className, WNDPROC procedure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = 0;
    wc.lpfnWndProc = procedure;
    wc.hInstance = appInstance;
    wc.hIcon = LoadIconW(appInstance, MAKEINTRESOURCEW(1));
    wc.hIconSm = LoadIconW(appInstance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

RECT clampRectToMonitor(const RECT& rect) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST);
    if (!monitor || !GetMonitorInfoW(monitor, &info)) {
        // No monitor answers: the primary work area is the best guess there is.
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    }
    return detail::clampRectToWorkArea(rect, info.rcWork);
}

void moveWindowClamped(HWND window, const RECT& rect) {
    const RECT r = clampRectToMonitor(rect);
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void growWindow(HWND window, float scale, float widthDip, float heightDip) {
    RECT r{};
    if (!GetWindowRect(window, &r)) return;
    r.right = r.left + lroundf(widthDip * scale);
    r.bottom = r.top + lroundf(heightDip * scale);
    const RECT c = clampRectToMonitor(r);
    SetWindowPos(window, nullptr, c.left, c.top, c.right - c.left, c.bottom - c.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

int fontHeight(HFONT font, int fallback) {
    HDC dc = GetDC(mainWindow);
    if (!dc) return fallback;
    int result = fallback;
    if (const int saved = SaveDC(dc); saved != 0) {
        if (font) SelectObject(dc, font);
        TEXTMETRICW metrics{};
        if (GetTextMetricsW(dc, &metrics)) result = metrics.tmHeight;
        RestoreDC(dc, saved);
    }
    ReleaseDC(mainWindow, dc);
    return result;
}

bool isMainWindowShown() {
    return mainWindowOnScreen() && !hiddenToTray;
}

void setWindowRectIfChanged(HWND window, int x, int y, int width, int height) {
    RECT r{};
    if (GetWindowRect(window, &r)) {
        MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
        if (r.left == x && r.top == y && r.right - r.left == width && r.bottom - r.top == height) return;
    }
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void updateAllWindows() {
    if (!mainWindowOnScreen()) return;
    UpdateWindow(mainWindow);
    for (const auto& [id, control] : controlRegistry) {
        if (control && IsWindowVisible(control)) UpdateWindow(control);
    }
}

void invalidateWindow(HWND window, const RECT* rect) {
    if (window && window == mainWindow) ++uiGeneration;
    InvalidateRect(window, rect, FALSE);
}

int scalePx(float dip, float scale) {
    return std::max(static_cast<int>(lroundf(dip * scale)), 1);
}

LONG layoutPixels(float dip, float scale) {
    return static_cast<LONG>(dip * scale + 0.5f);
}

LONG layoutPixels(float dip) {
    return layoutPixels(dip, layoutScale);
}

UINT getWindowDpi(HWND window) {
    static const auto entry = user32Export<detail::GetDpiForWindowFn>("GetDpiForWindow");
    return detail::windowDpi(window, entry);
}

int systemMetricForWindow(int metric, HWND window) {
    static const auto entry = user32Export<detail::GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    return detail::metricForDpi(metric, window, entry);
}

void startAnimationTimer() {
    if (!isMainWindowShown() || animationTimerRunning) return;
    SetTimer(mainWindow, AnimationTimerId, theme.reduceMotion ? 35 : 16, nullptr);
    animationTimerRunning = true;
}

void setWindowTextIfChanged(HWND window, const std::wstring& text) {
    // One read with room for one character more than the wanted text: a longer current text shows as a
    // longer read. (Each text message costs about 0.13 ms under Wine, and a layout checks some twenty.)
    std::vector<wchar_t> current(text.size() + 2);
    const int read = GetWindowTextW(window, current.data(), static_cast<int>(current.size()));
    if (read == static_cast<int>(text.size()) && std::equal(text.begin(), text.end(), current.begin())) return;
    SetWindowTextW(window, text.c_str());
}

bool hasWindowClass(HWND window, const wchar_t* className) {
    wchar_t name[64] = {};
    return GetClassNameW(window, name, 64) > 0 &&
           CompareStringOrdinal(name, -1, className, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace pm::ui
