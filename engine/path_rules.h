// The engine's path rules: one normal form for drive-absolute paths, ordinal case-insensitive comparison,
// containment below a root, the "\\?\" long-path prefix and the split of Win32 errors into skipped and failed.
// Nothing here touches the disk.
#pragma once

#include <cstdint>
#include <string>

namespace pm {

// 2, 3, 5, 32 and 33 (not found, path not found, access denied, sharing and lock violation).
bool isSkippableError(std::uint32_t error);

std::wstring stripLongPathPrefix(const std::wstring& path);
std::wstring toLongPath(const std::wstring& path);

// True when output holds the normal form of input; on false the output is to be ignored.
bool normalizePath(const std::wstring& input, std::wstring& output);

bool samePath(const std::wstring& a, const std::wstring& b);
// The path lies strictly below the root (never inside itself).
bool isPathInside(const std::wstring& path, const std::wstring& root);
// As isPathInside, with the prefix folded by towlower.
bool isPathInsideFolded(const std::wstring& path, const std::wstring& root);
bool equalsIgnoreCase(const std::wstring& a, const std::wstring& b);

// folder + "\" + name, without doubling the backslash of a drive root.
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);

}  // namespace pm
