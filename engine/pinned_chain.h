// A pinned directory chain: every directory from a drive root down to a folder, held open without
// FILE_SHARE_DELETE and without following reparse points, so that none of them can be moved, deleted or
// swapped for a junction while the chain lives.
#pragma once

#include "engine/handle_holder.h"

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

// What a chain reads of its last directory besides its attributes: its final path, or its final path and its
// full identity (file index, volume serial, times). The directories above the last one are only checked to be
// plain directories: no check compares their identity or their final path, and the last directory's final path
// already names each of them as the file system knows it.
enum class ChainEnd { FinalPath, Identity };

// Opens a directory (a path the file system takes as it is, "\\?\" form included) with the pinning access,
// sharing and flags, and checks through its attributes alone (FileAttributeTagInfo, which asks nothing of the
// volume) that it is a plain directory. On failure the holder is empty and the last error says why: that of
// CreateFileW or of the attribute read, or 4393 for a reparse point or a non-directory.
HandleHolder openPlainDirectory(const std::wstring& systemPath);

// The handle's final path in normal form, or empty on any failure.
std::wstring finalPathOfHandle(HANDLE handle);

// Opens one plain directory and appends it to the chain. On false nothing is appended and the last error
// says why (that of CreateFileW or GetFileInformationByHandle, 4393 for a reparse point or non-directory,
// 123 for an unreadable final path).
bool openPinnedDirectory(PinnedDirectoryChain& chain, const std::wstring& path);

// Pins every directory from the drive root to the folder. On true finalPath and info describe the folder.
// On false the last error says why; the handles pinned so far stay in the chain until it is destroyed,
// finalPath names the directory pinned last, and info is not to be relied on.
bool openDirectoryChain(PinnedDirectoryChain& chain, const std::wstring& folder);
// The same, reading of the folder what `end` says: with ChainEnd::FinalPath, info is not read (left zero).
bool openDirectoryChain(PinnedDirectoryChain& chain, const std::wstring& folder, ChainEnd end);

// The directories below a folder that the caller holds pinned (every directory from the drive root to it, none
// shared for deletion, so none of them can be renamed, replaced or turned into a link while held): one level per
// directory, down to one folder at a time. Reaching another folder keeps the levels the two share (names equal
// exactly, case included: in a case-sensitive folder "Sub" and "sub" are two folders), releases the deepest ones
// first and pins what is missing, each new level opened by the text of the kept level above it and the request's
// next component. The held folder must stay held while this record holds levels.
class ChainBelow {
public:
    // The held folder: its normal form (the text the levels below it are matched against) and its final path.
    ChainBelow(std::wstring base, std::wstring baseFinalPath);
    ChainBelow(const ChainBelow&) = delete;
    ChainBelow& operator=(const ChainBelow&) = delete;
    ~ChainBelow();

    // Pins the way down to `folder`, a normal form equal to the base or below it as text. Every level is checked
    // to be a plain directory; the folder's final path is read once per level. On true finalPath() holds it; on
    // false the last error says why (CreateFileW's, 4393 for a reparse point or a non-directory, 123 for a final
    // path that cannot be read or a folder that is not below the base), and the levels reached stay held.
    bool reach(const std::wstring& folder);
    const std::wstring& finalPath() const { return finalPath_; }

private:
    struct Level {
        std::wstring name;       // its component of the way
        std::wstring path;       // the way's text up to this directory
        HandleHolder handle;
        std::wstring finalPath;  // read when the level is the end of a way
    };
    void releaseFrom(std::size_t keep);

    std::wstring base_;
    std::wstring baseFinalPath_;
    std::vector<Level> levels_;
    std::wstring finalPath_;
};

}  // namespace pm
