// Reading the 64-bit values out of the split fields of the Win32 file records.
#pragma once

#include <windows.h>

#include <cstdint>

namespace pm {

inline std::uint64_t fileTimeValue(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline std::uint64_t fileIndexOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

inline std::uint64_t fileSizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

inline std::uint64_t currentFileTime() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return fileTimeValue(now);
}

}  // namespace pm
