#include "engine/scan.h"

#include "engine/file_info.h"
#include "engine/handle_holder.h"
#include "engine/path_rules.h"
#include "engine/pinned_chain.h"
#include "engine/recycle_bin.h"
#include "engine/scan_internal.h"

#include <windows.h>

#include <limits>

namespace pm {

namespace {

void countFailure(ScanReport& report, DWORD error) {
    if (isSkippableError(error))
        ++report.skipped;
    else
        ++report.errors;
}

// A subdirectory: entered only when it is a plain directory whose final path stays below the root. Its
// handle stays open (without FILE_SHARE_DELETE) for the whole recursion.
void scanSubdirectory(const std::wstring& child, const CleanLocation& location, const std::wstring& root,
                      ScanReport& report, std::atomic<bool>& cancel, const ProgressCallback& progress,
                      std::uint64_t now, std::uint64_t& seen, std::uint32_t depth) {
    // Only the attributes are checked here, so only they are read (no volume query).
    HandleHolder directory = openPlainDirectory(toLongPath(child));
    if (!directory.valid()) {
        const DWORD error = GetLastError();
        if (error == kErrorReparseTagInvalid)
            ++report.skipped;  // a reparse point, or no longer a directory
        else
            countFailure(report, error);
        return;
    }
    std::wstring finalPath = finalPathOfHandle(directory.get());
    if (!isPathInside(finalPath, root)) {
        ++report.skipped;
        return;
    }
    scanDirectory(finalPath, location, root, report, cancel, progress, now, seen, depth + 1);
}

// A file: recorded when it is a plain, writable file with one link, old enough where the location asks for
// it, whose final path lies below the root.
void scanFile(const std::wstring& child, const WIN32_FIND_DATAW& data, const CleanLocation& location,
              const std::wstring& root, ScanReport& report, std::uint64_t now) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        ++report.skipped;
        return;
    }
    if (location.olderThanCutoffOnly && !passesAgeTest(fileTimeValue(data.ftLastWriteTime), now)) {
        ++report.skipped;
        return;
    }
    HandleHolder file(CreateFileW(toLongPath(child).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &info)) {
        countFailure(report, GetLastError());
        return;
    }
    if ((info.dwFileAttributes & kReadOnlyDirectoryOrReparseMask) != 0 || info.nNumberOfLinks != 1) {
        ++report.skipped;
        return;
    }
    std::uint64_t lastWrite = fileTimeValue(info.ftLastWriteTime);
    if (location.olderThanCutoffOnly && !passesAgeTest(lastWrite, now)) {
        ++report.skipped;
        return;
    }
    std::wstring finalPath = finalPathOfHandle(file.get());
    if (!isPathInside(finalPath, root)) {
        ++report.skipped;
        return;
    }
    std::uint64_t size = fileSizeOf(info);
    std::uint64_t& bytes = report.categoryBytes[categoryIndex(location.category)];
    if (size > std::numeric_limits<std::uint64_t>::max() - bytes) {
        ++report.errors;
        return;
    }
    report.entries.push_back(
        {std::move(finalPath), root, size, location.category, lastWrite, fileIndexOf(info), info.dwVolumeSerialNumber});
    bytes += size;
}

// Size and count; and, when it holds items, the fingerprint the clean pass compares before emptying it. An
// unreadable fingerprint is no scan error: it only keeps the clean pass from emptying the bin.
void readRecycleBin(ScanReport& report) {
    RecycleBinTotals totals;
    if (!queryRecycleBinTotals(totals)) {
        ++report.errors;
        return;
    }
    report.recycleBinBytes = totals.bytes;
    report.recycleBinItems = totals.items;
    if (totals.items != 0)
        report.recycleBinFingerprinted =
            readRecycleBinFingerprint(report.recycleBinFingerprint) == RecycleBinReading::Read;
}

}  // namespace

void scanDirectory(const std::wstring& dir, const CleanLocation& location, const std::wstring& root,
                   ScanReport& report, std::atomic<bool>& cancel, const ProgressCallback& progress,
                   std::uint64_t now, std::uint64_t& seen, std::uint32_t depth) {
    if (cancel.load()) return;
    if (depth == kMaxScanDepth) {
        ++report.skipped;
        return;
    }
    WIN32_FIND_DATAW data{};
    FindHolder find(FindFirstFileExW(toLongPath(joinPath(dir, L"*")).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find.valid()) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) countFailure(report, error);
        return;
    }
    DWORD endError = ERROR_SUCCESS;
    for (;;) {
        if (cancel.load()) break;
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") {
            std::wstring child = joinPath(dir, name);
            ++seen;
            if (progress) progress(child, seen, 0);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                ++report.skipped;
            else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                scanSubdirectory(child, location, root, report, cancel, progress, now, seen, depth);
            else
                scanFile(child, data, location, root, report, now);
        }
        // The reason the enumeration ended is read at once, before any other call can replace it.
        if (!FindNextFileW(find.get(), &data)) {
            endError = GetLastError();
            break;
        }
    }
    find.reset();
    if (!cancel.load() && endError != ERROR_NO_MORE_FILES && endError != ERROR_SUCCESS) ++report.errors;
}

void scanLocations(const std::vector<CleanLocation>& locations, ScanReport& report, std::atomic<bool>& cancel,
                   const ProgressCallback& progress, std::uint64_t now) {
    std::uint64_t seen = 0;
    for (const CleanLocation& location : locations) {
        if (cancel.load()) break;
        PinnedDirectoryChain chain;
        if (!openDirectoryChain(chain, location.path)) {
            countFailure(report, GetLastError());
            continue;
        }
        const std::wstring rootPath = chain.finalPath;
        if (rootPath.size() <= 3) {
            ++report.skipped;
            continue;
        }
        bool alreadyScanned = false;
        for (const RootIdentity& root : report.roots)
            if (samePath(root.path, rootPath)) alreadyScanned = true;
        if (alreadyScanned) continue;
        report.roots.push_back({rootPath, fileIndexOf(chain.info), chain.info.dwVolumeSerialNumber});
        scanDirectory(rootPath, location, rootPath, report, cancel, progress, now, seen, 0);
    }
}

ScanReport scanTargets(std::atomic<bool>& cancel, const ProgressCallback& progress) {
    ScanReport report;
    std::uint64_t now = currentFileTime();
    scanLocations(cleanLocations(), report, cancel, progress, now);
    if (cancel.load()) return report;
    readRecycleBin(report);
    return report;
}

ScanReport scanFolder(const std::wstring& path, std::atomic<bool>& cancel) {
    ScanReport report;
    PinnedDirectoryChain chain;
    if (!openDirectoryChain(chain, path)) return report;
    const std::wstring rootPath = chain.finalPath;
    report.roots.push_back({rootPath, fileIndexOf(chain.info), chain.info.dwVolumeSerialNumber});
    CleanLocation location{rootPath, CleanCategory::Temp, true};
    std::uint64_t seen = 0;
    scanDirectory(rootPath, location, rootPath, report, cancel, ProgressCallback(), currentFileTime(), seen, 0);
    return report;
}

}  // namespace pm
