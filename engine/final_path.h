// The raw text of a handle's final path, as both sets of path rules read it before normalising it their own
// way (the engine's and the large-file tool's stricter one differ only in the longest size they accept).
#pragma once

#include <windows.h>

#include <string>

namespace pm {

// GetFinalPathNameByHandleW (normalised name, DOS volume name) asked first for the size it needs, which must
// lie in 1..maxNeeded (terminator included), then for the text. Empty on any failure.
inline std::wstring finalPathText(HANDLE handle, DWORD maxNeeded) {
    DWORD needed = GetFinalPathNameByHandleW(handle, nullptr, 0, 0);
    if (needed < 1 || needed > maxNeeded) return std::wstring();
    std::wstring buffer(static_cast<std::size_t>(needed) + 1, L'\0');
    DWORD written = GetFinalPathNameByHandleW(handle, buffer.data(), needed + 1, 0);
    if (written == 0 || written >= needed + 1) return std::wstring();
    buffer.resize(written);
    return buffer;
}

}  // namespace pm
