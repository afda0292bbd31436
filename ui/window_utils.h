// Helpers every window shares: class registration, keeping windows on the monitor, DPI and DIP
// conversion, repainting with the UI generation counter, the animation timer, and changing window
// texts and rectangles only when they really change. UI thread only.
#pragma once

#include <windows.h>

#include <string>

namespace pm::ui {

// Registers a class with the program's icon and the arrow cursor, no background brush. A repeated
// registration fails and is ignored.
void registerWindowClass(const wchar_t* className, WNDPROC procedure);

// The rectangle fitted into the work area of the nearest monitor with an 8-pixel margin on every side.
RECT clampRectToMonitor(const RECT& rect);
void moveWindowClamped(HWND window, const RECT& rect);
// Keeps the window's top-left corner and gives it widthDip x heightDip at the scale, clamped.
void growWindow(HWND window, float scale, float widthDip, float heightDip);

// tmHeight of the font on the main window's DC (the screen's without one), or the fallback.
int fontHeight(HFONT font, int fallback);

bool isMainWindowShown();

// Moves a window (coordinates in its parent's client area) only when its position or size differs.
void setWindowRectIfChanged(HWND window, int x, int y, int width, int height);
// Paints pending updates of the main window and its registered controls now.
void updateAllWindows();
// Invalidates without erasing; the main window also raises uiGeneration. The widget does not: it renders
// its whole frame on every paint, and a raise for it would only render the main frame again for nothing
// (each progress report of a scan, while the widget is shown).
void invalidateWindow(HWND window, const RECT* rect);

// max(lroundf(dip * scale), 1).
int scalePx(float dip, float scale);
// The main window's conversion of DIPs to device pixels: dip * scale + 0.5, truncated toward zero (a
// Canvas rounds half away from zero instead). Without a scale, the main window's layout scale.
LONG layoutPixels(float dip, float scale);
LONG layoutPixels(float dip);
UINT getWindowDpi(HWND window);
// A system metric at the window's DPI (GetSystemMetricsForDpi); the system DPI's (GetSystemMetrics)
// where that is missing or answers nothing.
int systemMetricForWindow(int metric, HWND window);

// Starts timer 3 of the main window unless it runs or the window is not on screen.
void startAnimationTimer();
void setWindowTextIfChanged(HWND window, const std::wstring& text);
// Whether the window is of the class: its name compared ignoring case, as the system compares class names.
bool hasWindowClass(HWND window, const wchar_t* className);

inline constexpr UINT_PTR AnimationTimerId = 3;

}  // namespace pm::ui
