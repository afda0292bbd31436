// The engine's path rules: one normal form for drive-absolute paths, ordinal case-insensitive comparison,
// containment below a root, the "\\?\" long-path prefix and the split of Win32 errors into skipped and failed.
// Nothing here touches the disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// The same comparisons for texts already in normal form (normalizePath's output), normalised by the caller
// once instead of on every comparison: ordinal, ignoring case (CompareStringOrdinal).
bool sameNormalPath(std::wstring_view a, std::wstring_view b);
bool isNormalPathInside(std::wstring_view path, std::wstring_view root);

// folder + "\" + name, without doubling the backslash of a drive root.
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);

}  // namespace pm
