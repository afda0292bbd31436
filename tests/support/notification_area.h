// Whether the shell here has a notification area: under the null graphics driver it has none, on a Wine
// virtual desktop (the runner's tray prefix) it has one. Where the runner says there is one
// (PELMIRT_NOTIFICATION_AREA), its absence fails the test instead of sending it down the path without icons.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

namespace pm::test {

inline bool notificationAreaPresent() {
    const bool present = FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
    if (!present && GetEnvironmentVariableW(L"PELMIRT_NOTIFICATION_AREA", nullptr, 0) != 0)
        ADD_FAILURE() << "the runner promised a notification area and the shell has none";
    return present;
}

}  // namespace pm::test
