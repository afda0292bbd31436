// Reading the 64-bit values out of the split fields of the Win32 file records.
#pragma once

#include <windows.h>

#include <cstdint>

namespace pm {

// Attributes that keep a file from being recorded or deleted: read-only, directory, reparse point.
inline constexpr DWORD kReadOnlyDirectoryOrReparseMask =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
static_assert(kReadOnlyDirectoryOrReparseMask == 0x411);

inline std::uint64_t fileTimeValue(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline std::uint64_t fileIndexOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

inline std::uint64_t fileSizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

inline FILETIME fileTimeOf(std::uint64_t value) {
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

inline std::uint64_t currentFileTime() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return fileTimeValue(now);
}

}  // namespace pm
