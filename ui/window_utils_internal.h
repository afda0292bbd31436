// Pieces of window_utils.cpp that tests reach directly.
#pragma once

#include <windows.h>

namespace pm::ui::detail {

// clampRectToMonitor's rule with the work area given.
RECT clampRectToWorkArea(const RECT& rect, const RECT& workArea);

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
// getWindowDpi with the GetDpiForWindow entry given (null: as on a system without it).
UINT windowDpi(HWND window, GetDpiForWindowFn getDpiForWindow);

using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
// systemMetricForWindow with the GetSystemMetricsForDpi entry given (null: as on a system without it).
int metricForDpi(int metric, HWND window, GetSystemMetricsForDpiFn getSystemMetricsForDpi);

}  // namespace pm::ui::detail
