// Pieces of the desktop widget, for tests and the benchmark: the geometry rules as plain functions,
// and the steps the window procedure runs.
#pragma once

#include "engine/drives.h"
#include "ui/widget_state.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace pm {

inline constexpr wchar_t WidgetClass[] = L"PelmirtDesktopWidget";

// Constants in DIP.
inline constexpr int WidgetWidthDip = 360;
inline constexpr int WidgetBaseHeightDip = 352;  // without drive rows
inline constexpr int WidgetRowDip = 52;
inline constexpr int WidgetMaxRows = 5;
inline constexpr int WidgetDragBandDip = 96;
inline constexpr int WidgetCornerDip = 18;
inline constexpr int WidgetFirstRowDip = 229;

struct WidgetRows {
    int32_t rows = 1;
    int32_t heightDip = WidgetBaseHeightDip + WidgetRowDip;
};

// How many drive rows fit the work area at the scale: at least 1, at most min(driveCount, 5).
WidgetRows widgetRowRule(const RECT& workArea, float dpiScale, std::size_t driveCount);

// Largest first-drive index for the drive count with rows rows shown (rows taken as 1..5).
int32_t maxScrollOffset(std::size_t driveCount, int32_t rows);
// One wheel notch: up (delta >= 1) one row back, else one row on; clamped.
int32_t wheelScrollOffset(int32_t offset, int delta, std::size_t driveCount, int32_t rows);
// Top of the scroll thumb in DIP (rows < driveCount).
float scrollThumbTopDip(int32_t offset, int32_t rows, std::size_t driveCount);

// Corner radius in pixels of a width x height client at the scale (0 in high contrast).
int widgetCornerRadius(int width, int height, float contentScale, bool highContrast);
// How many of the pixel's 8 x 8 sub-samples lie inside the rounded outline, or -1 when the pixel lies
// outside the four corner squares (fully inside).
int cornerSamplesInside(int x, int y, int width, int height, int radius);
// The opacity setting as painted: 20..100.
int widgetOpacity(int setting);
// Gives every pixel of the top-down frame its alpha (corner coverage times opacity) and premultiplies
// its colour channels.
void applyWidgetAlpha(uint32_t* bits, int width, int height, int radius, int opacity);
// WM_NCHITTEST for a point in client pixels.
LRESULT widgetHitTest(POINT client, int width, int height, float contentScale, bool highContrast);

// Steps of the window (the window must carry its record).
void fitWidgetToMonitor(HWND window, ui::WidgetState& state);
void applyWidgetTexts(HWND window);
void layoutWidget(HWND window);
void paintWidget(HWND window, ui::WidgetState& state);
// The headline and the line under it: the counters of a running operation, the size to clean after a
// scan, the size freed by the last clean-up, or the invitation to scan.
std::pair<std::wstring, std::wstring> widgetStateLines();
// A drive row's two lines: the root (with a left-to-right mark in right-to-left languages only) and
// "Used … · Free …".
std::pair<std::wstring, std::wstring> widgetDriveLines(const DriveInfo& drive);
// Renders the frame (shapes, texts, buttons, alpha) into state.frame; false when the buffer failed.
bool renderWidgetFrame(HWND window, ui::WidgetState& state);
LRESULT CALLBACK widgetWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace pm
