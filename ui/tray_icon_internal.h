// For tests: the one call through which the icon talks to the shell.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace pm::ui::detail {

using NotifyIconFn = BOOL(WINAPI*)(DWORD action, PNOTIFYICONDATAW data);

// Shell_NotifyIconW; a test puts a shell of its own in its place.
extern NotifyIconFn notifyIcon;

}  // namespace pm::ui::detail
