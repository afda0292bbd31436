// The raw text of a handle's final path, as both sets of path rules read it before normalising it their own
// way (the engine's and the large-file tool's stricter one differ only in the longest size they accept).
#pragma once

#include <windows.h>

#include <string>

namespace pm {

// GetFinalPathNameByHandleW (normalised name, DOS volume name). The size it needs (terminator included) must
// lie in 1..maxNeeded; empty on any failure. Most paths fit a first buffer of a few hundred characters, so
// the call is made once; only a longer path is asked again with a buffer of the size the first call named.
inline std::wstring finalPathText(HANDLE handle, DWORD maxNeeded) {
    constexpr DWORD kFirstBuffer = 520;
    std::wstring buffer(kFirstBuffer, L'\0');
    DWORD written = GetFinalPathNameByHandleW(handle, buffer.data(), kFirstBuffer, 0);
    if (written == 0) return std::wstring();
    if (written < kFirstBuffer) {
        // The text fitted: it needed written + 1 characters with its terminator.
        if (written + 1 > maxNeeded) return std::wstring();
        buffer.resize(written);
        return buffer;
    }
    // Too small: the result is the size needed, terminator included.
    DWORD needed = written;
    if (needed > maxNeeded) return std::wstring();
    buffer.assign(static_cast<std::size_t>(needed) + 1, L'\0');
    written = GetFinalPathNameByHandleW(handle, buffer.data(), needed + 1, 0);
    if (written == 0 || written >= needed + 1) return std::wstring();
    buffer.resize(written);
    return buffer;
}

}  // namespace pm
