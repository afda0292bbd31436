// What the platform does with a link opened with FILE_FLAG_OPEN_REPARSE_POINT, read without the engine.
#pragma once

#include <windows.h>

#include <string>

namespace pm::test {

// True when the open reaches the link's target instead of the link itself (Wine 8 with a Unix symlink:
// the handle shows a plain directory although the find data show a reparse point).
inline bool openFollowsLink(const std::wstring& link) {
    HANDLE h = CreateFileW(link.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    bool follows = GetFileInformationByHandle(h, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    CloseHandle(h);
    return follows;
}

}  // namespace pm::test
