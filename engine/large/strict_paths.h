// The large-file tool's own path rules, stricter than the clean-up engine's: whole paths of 3..32767
// characters, components of 1..255, no reserved device names, case folded with towlower/towupper. Also the
// protected system folders and the local-disk test. Nothing here but isLocalDiskPath touches the disk.
#pragma once

#include <cstdint>
#include <string>

namespace pm::large {

// On true the output holds the strict normal form of the input; on false the output is empty.
bool normalizePathStrict(const std::wstring& input, std::wstring& output);

// Both normalise strictly and are equal character by character after towlower.
bool samePathStrict(const std::wstring& a, const std::wstring& b);

// The path lies strictly below the root (a path is never inside itself).
bool isPathInsideStrict(const std::wstring& path, const std::wstring& root);

// directory + "\" + name, without doubling the backslash of a drive root.
std::wstring joinPath(const std::wstring& directory, const std::wstring& name);

// "$RECYCLE.BIN", "RECYCLER", "RECYCLED" or "SYSTEM VOLUME INFORMATION", the whole component, any case.
bool isProtectedFolderName(const std::wstring& component);

// A component of the path is a protected folder, or the path does not normalise strictly.
bool hasProtectedComponent(const std::wstring& path);

// The path lies on a fixed disk, or with fixedOnly false on a fixed or removable disk.
bool isLocalDiskPath(const std::wstring& path, bool fixedOnly);

// "\\?\" followed by the path, for every path the tool hands to the file system.
std::wstring longPathStrict(const std::wstring& path);

}  // namespace pm::large
