// Window messages of the application and the main window's timers.
#pragma once

#include "ui/message_box.h"
#include "ui/tray_icon.h"
#include "ui/window_utils.h"

#include <windows.h>

namespace pm {

inline constexpr UINT WM_APP_PROGRESS = WM_APP + 1;
inline constexpr UINT WM_APP_SCAN_DONE = WM_APP + 2;
inline constexpr UINT WM_APP_CLEAN_DONE = WM_APP + 3;
inline constexpr UINT WM_APP_WORKER_ERROR = WM_APP + 5;
inline constexpr UINT WM_APP_LARGE_SEARCH_DONE = WM_APP + 6;
inline constexpr UINT WM_APP_LARGE_RECYCLE_DONE = WM_APP + 7;
inline constexpr UINT WM_APP_SETTINGS_CHANGED = WM_APP + 20;  // to the secondary windows
using ui::WM_APP_TRAY;                                        // notification-icon callback (+30)
inline constexpr UINT WM_APP_CONTINUE_EXIT = WM_APP + 31;
using ui::WM_APP_MODAL_DONE;                                  // modal depth back at 0, a request waits (+32)
inline constexpr UINT WM_APP_SHOW_RUNNING = WM_APP + 33;      // from a later start of the program

inline constexpr UINT_PTR TIMER_REFRESH = 1;     // 60 s: drives, settings, repaint
inline constexpr UINT_PTR TIMER_SMOKE_QUIT = 2;  // 900 ms under "--smoke-quit"
inline constexpr UINT_PTR TIMER_ANIMATION = ui::AnimationTimerId;  // 16 ms (35 with reduced motion) while moving
inline constexpr UINT_PTR TIMER_TRAY_RETRY = ui::TrayRetryTimerId;  // 5 s while the icon is missing

}  // namespace pm
