// The large-file search: lists the regular files of at least a minimum size below a folder on a local
// disk, each with the identity that the move to the Recycle Bin re-checks.
#pragma once

#include "engine/scan_types.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace pm::large {

struct LargeSearchOptions {
    std::wstring folder;          // as the user gave it
    std::uint64_t minSize = 0;    // bytes
    std::uint64_t maxResults = 0; // 0 is invalid
};

struct LargeFileEntry {
    std::wstring path;                // strict normal form of the final path
    std::uint64_t size = 0;
    std::uint64_t lastWriteTime = 0;  // FILETIME, 100 ns units since 1601-01-01 UTC
    std::uint64_t fileIndex = 0;
    std::uint32_t volumeSerial = 0;
};

struct LargeSearchResult {
    std::wstring rootPath;  // final path of the searched folder; empty when the search stopped before pinning it
    std::uint64_t rootFileIndex = 0;
    std::uint32_t rootVolumeSerial = 0;
    std::vector<LargeFileEntry> files;  // depth first, in enumeration order
    std::uint64_t scannedFiles = 0;     // regular files seen
    std::uint64_t totalBytes = 0;       // of the listed files, saturating
    std::uint64_t skipped = 0;
    std::uint64_t errors = 0;
    bool cancelled = false;
    bool truncated = false;  // the list reached maxResults, or a directory was too deep
    std::uint32_t errorCode = 0;  // Win32 code of a search that ended before the walk
    std::wstring message;         // empty, or an untranslated source text
};

// Texts of a search that ended before the walk (translated by the user interface).
inline constexpr const wchar_t* kInvalidFolderMessage = L"Некорректная папка для поиска.";
inline constexpr const wchar_t* kLocalDriveOnlyMessage = L"Поиск доступен только на локальном диске.";
inline constexpr const wchar_t* kCannotOpenFolderMessage = L"Не удалось открыть выбранную папку.";

// Progress: (root, 0, 0) at the start, (file, count, 0) at every 64th regular file, (root, count, 0) at the end.
LargeSearchResult searchLargeFiles(const LargeSearchOptions& options, std::atomic<bool>& cancel,
                                   const ProgressCallback& progress);

}  // namespace pm::large
