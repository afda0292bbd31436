// Small fixture helpers shared by the scan tests.
#pragma once

#include "engine/path_rules.h"
#include "engine/scan_types.h"

#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace pm::test {

// Writes a file and sets its last-write time.
inline void writeAgedFile(const std::wstring& path, std::uint64_t lastWrite, const std::string& bytes = "data") {
    writeFile(path, bytes);
    ASSERT_TRUE(setLastWriteTime(path, lastWrite)) << GetLastError();
}

inline std::size_t countEntries(const ScanReport& report, const std::wstring& path) {
    std::size_t count = 0;
    for (const FileEntry& entry : report.entries)
        if (samePath(entry.path, path)) ++count;
    return count;
}

inline const FileEntry* findEntry(const ScanReport& report, const std::wstring& path) {
    for (const FileEntry& entry : report.entries)
        if (samePath(entry.path, path)) return &entry;
    return nullptr;
}

inline std::size_t countRoots(const ScanReport& report, const std::wstring& path) {
    std::size_t count = 0;
    for (const RootIdentity& root : report.roots)
        if (samePath(root.path, path)) ++count;
    return count;
}

inline std::size_t entriesBelow(const ScanReport& report, const std::wstring& folder) {
    std::size_t count = 0;
    for (const FileEntry& entry : report.entries)
        if (isPathInside(entry.path, folder)) ++count;
    return count;
}

// The identity of a file or folder read through a separate handle.
inline BY_HANDLE_FILE_INFORMATION identityOf(const std::wstring& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        GetFileInformationByHandle(h, &info);
        CloseHandle(h);
    }
    return info;
}

}  // namespace pm::test
