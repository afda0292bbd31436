// A pinned directory chain: every directory from a drive root down to a folder, held open without
// FILE_SHARE_DELETE and without following reparse points, so that none of them can be moved, deleted or
// swapped for a junction while the chain lives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pm {

// How a directory is opened to be pinned: listed and its attributes read, shared for reading and writing only
// (never FILE_SHARE_DELETE), with backup semantics and without following a reparse point.
inline constexpr DWORD kPinnedDirectoryAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
inline constexpr DWORD kPinnedDirectoryShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
inline constexpr DWORD kPinnedDirectoryFlags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
static_assert(kPinnedDirectoryAccess == 0x81);
static_assert(kPinnedDirectoryShare == 0x3);
static_assert(kPinnedDirectoryFlags == 0x02200000);

// Attribute mask and value of a plain directory (a directory that is not a reparse point).
inline constexpr DWORD kDirectoryOrReparseMask = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
static_assert(kDirectoryOrReparseMask == 0x410);

inline constexpr DWORD kErrorReparseTagInvalid = 4393;  // ERROR_REPARSE_TAG_INVALID

struct PinnedDirectoryChain {
    std::vector<HANDLE> handles;  // the drive root first, then each directory of the path
    std::wstring finalPath;       // normal form of the final path of the directory pinned last
    BY_HANDLE_FILE_INFORMATION info{};

    PinnedDirectoryChain() = default;
    ~PinnedDirectoryChain();
    PinnedDirectoryChain(const PinnedDirectoryChain&) = delete;
    PinnedDirectoryChain& operator=(const PinnedDirectoryChain&) = delete;
    PinnedDirectoryChain(PinnedDirectoryChain&& other) noexcept;
    PinnedDirectoryChain& operator=(PinnedDirectoryChain&& other) noexcept;
};

// Closes every handle that is neither NULL nor INVALID_HANDLE_VALUE and empties the list.
void closeHandles(std::vector<HANDLE>& handles);

// CreateFileW of the long form of a path with the pinning access, sharing and flags; the raw result.
HANDLE openDirectoryForPinning(const std::wstring& path);

// The handle's final path in normal form, or empty on any failure.
std::wstring finalPathOfHandle(HANDLE handle);

// Opens one plain directory and appends it to the chain. On false nothing is appended and the last error
// says why (that of CreateFileW or GetFileInformationByHandle, 4393 for a reparse point or non-directory,
// 123 for an unreadable final path).
bool openPinnedDirectory(PinnedDirectoryChain& chain, const std::wstring& path);

// Pins every directory from the drive root to the folder. On true finalPath and info describe the folder.
// On false the last error says why; the handles pinned so far stay in the chain until it is destroyed, and
// info is not to be relied on (only the folder's own identity is read in full).
bool openDirectoryChain(PinnedDirectoryChain& chain, const std::wstring& folder);

}  // namespace pm
