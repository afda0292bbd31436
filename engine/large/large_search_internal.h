// The large-file search's building blocks, shared with the move to the Recycle Bin and with the tests.
#pragma once

#include "engine/large/large_search.h"

#include <windows.h>

#include <set>
#include <utility>

namespace pm::large {

// System, directory, device, reparse point, offline, recall on open, recall on data access: never listed.
inline constexpr DWORD kCandidateExcludedAttributes = 0x441454;
// Of those, the ones a search counts as skipped (a file with only a recall attribute is passed over).
inline constexpr DWORD kSkippedFileAttributes = FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_OFFLINE;
// The level below the searched folder that is no longer entered.
inline constexpr std::uint32_t kMaxSearchDepth = 128;
inline constexpr std::uint64_t kProgressEveryFiles = 64;

// (volume serial, file index) of every directory one search entered.
using VisitedDirectories = std::set<std::pair<std::uint32_t, std::uint64_t>>;

// Walks a subdirectory whose parent the caller holds pinned: only the subdirectory itself is pinned, found
// under exactly that path.
void walkSubdirectory(const std::wstring& directory, const LargeSearchOptions& options, LargeSearchResult& result,
                      std::atomic<bool>& cancel, const ProgressCallback& progress, VisitedDirectories& visited,
                      std::uint32_t depth);

// path from finalPathOfHandleStrict (empty when that fails), the other fields from the information.
LargeFileEntry largeFileEntryFromHandle(HANDLE handle, const BY_HANDLE_FILE_INFORMATION& info);

// File index, volume serial, size and last-write time all equal.
bool sameFileIdentity(const LargeFileEntry& a, const LargeFileEntry& b);
// The same strict path and the same identity.
bool sameFile(const LargeFileEntry& a, const LargeFileEntry& b);

bool isLargeFileCandidate(std::uint32_t attributes, std::uint32_t links, std::uint64_t size, std::uint64_t minSize);

}  // namespace pm::large
