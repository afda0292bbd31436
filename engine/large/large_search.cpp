#include "engine/large/large_search.h"

#include "engine/file_info.h"
#include "engine/handle_holder.h"
#include "engine/large/checked_chain.h"
#include "engine/large/large_search_internal.h"
#include "engine/large/strict_paths.h"

#include <limits>

namespace pm::large {

namespace {

std::uint64_t findDataSize(const WIN32_FIND_DATAW& data) {
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

bool listIsFull(const LargeSearchResult& result, const LargeSearchOptions& options) {
    return result.files.size() >= options.maxResults;
}

// One regular file of the walk: the cheap tests on the find data first, so only files of at least the
// minimum size are opened. Returns false when the list is full and the walk must stop.
bool visitFile(const std::wstring& full, const WIN32_FIND_DATAW& data, const LargeSearchOptions& options,
               LargeSearchResult& result) {
    if (data.dwFileAttributes & kCandidateExcludedAttributes) {
        if (data.dwFileAttributes & kSkippedFileAttributes) ++result.skipped;
        return true;
    }
    if (findDataSize(data) < options.minSize) return true;
    HandleHolder file(CreateFileW(longPathStrict(full).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &info)) {
        ++result.errors;
        return true;
    }
    if (!isLargeFileCandidate(info.dwFileAttributes, info.nNumberOfLinks, fileSizeOf(info), options.minSize)) {
        ++result.skipped;
        return true;
    }
    LargeFileEntry entry = largeFileEntryFromHandle(file.get(), info);
    // Tested on its own final path: a file whose final path left the folder or the volume is not listed.
    if (!isPathInsideStrict(entry.path, result.rootPath) || !samePathStrict(entry.path, full) ||
        entry.volumeSerial != result.rootVolumeSerial) {
        ++result.skipped;
        return true;
    }
    if (listIsFull(result, options)) {
        result.truncated = true;
        return false;
    }
    result.totalBytes = saturatingAdd(result.totalBytes, entry.size);
    result.files.push_back(std::move(entry));
    return true;
}

}  // namespace

LargeFileEntry largeFileEntryFromHandle(HANDLE handle, const BY_HANDLE_FILE_INFORMATION& info) {
    LargeFileEntry entry;
    entry.path = finalPathOfHandleStrict(handle);
    entry.size = fileSizeOf(info);
    entry.lastWriteTime = fileTimeValue(info.ftLastWriteTime);
    entry.fileIndex = fileIndexOf(info);
    entry.volumeSerial = info.dwVolumeSerialNumber;
    return entry;
}

bool sameFileIdentity(const LargeFileEntry& a, const LargeFileEntry& b) {
    return a.fileIndex == b.fileIndex && a.volumeSerial == b.volumeSerial && a.size == b.size &&
           a.lastWriteTime == b.lastWriteTime;
}

bool sameFile(const LargeFileEntry& a, const LargeFileEntry& b) {
    return samePathStrict(a.path, b.path) && sameFileIdentity(a, b);
}

bool isLargeFileCandidate(std::uint32_t attributes, std::uint32_t links, std::uint64_t size, std::uint64_t minSize) {
    return (attributes & kCandidateExcludedAttributes) == 0 && links == 1 && size >= minSize;
}

namespace {

// Walks one directory that `chain` pins (its last handle; the directories above it are held by the chains of
// the walk's callers, or by the chain itself). Subdirectories are pinned one level below it, under the chains
// held already, each found under exactly the path the walk asks for.
void walkPinnedDirectory(const PinnedDirectoryChain& chain, const LargeSearchOptions& options,
                         LargeSearchResult& result, std::atomic<bool>& cancel, const ProgressCallback& progress,
                         VisitedDirectories& visited, std::uint32_t depth) {
    const std::wstring& finalPath = chain.finalPath;
    if (!samePathStrict(finalPath, result.rootPath) && !isPathInsideStrict(finalPath, result.rootPath)) {
        ++result.skipped;
        return;
    }
    if (!visited.insert({chain.info.dwVolumeSerialNumber, fileIndexOf(chain.info)}).second) {
        ++result.skipped;
        return;
    }
    WIN32_FIND_DATAW data{};
    FindHolder find(FindFirstFileExW(longPathStrict(joinPath(finalPath, L"*")).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find.valid()) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) ++result.errors;
        return;
    }
    for (;;) {
        if (cancel.load()) {
            result.cancelled = true;
            break;
        }
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") {
            std::wstring full = joinPath(finalPath, name);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                ++result.skipped;  // never followed, file or directory
            } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (isProtectedFolderName(name))
                    ++result.skipped;
                else
                    walkSubdirectory(full, options, result, cancel, progress, visited, depth + 1);
            } else {
                ++result.scannedFiles;
                if (result.scannedFiles % kProgressEveryFiles == 0 && progress) progress(full, result.scannedFiles, 0);
                if (!visitFile(full, data, options, result)) break;
            }
            if (result.cancelled || (result.truncated && listIsFull(result, options))) break;
        }
        // The reason the enumeration ended is read at once, before FindClose can replace it.
        if (!FindNextFileW(find.get(), &data)) {
            if (GetLastError() != ERROR_NO_MORE_FILES) ++result.errors;
            break;
        }
    }
}

// The cancel and depth tests every directory passes before it is pinned.
bool mayEnter(LargeSearchResult& result, std::atomic<bool>& cancel, std::uint32_t depth) {
    if (cancel.load()) {
        result.cancelled = true;
        return false;
    }
    if (depth == kMaxSearchDepth) {
        ++result.skipped;
        result.truncated = true;
        return false;
    }
    return true;
}

}  // namespace

void walkSubdirectory(const std::wstring& directory, const LargeSearchOptions& options, LargeSearchResult& result,
                      std::atomic<bool>& cancel, const ProgressCallback& progress, VisitedDirectories& visited,
                      std::uint32_t depth) {
    if (!mayEnter(result, cancel, depth)) return;
    // Its parent's chain, held by the caller, pins every directory above it: only the subdirectory is pinned.
    PinnedDirectoryChain chain;
    if (!openPinnedDirectoryChecked(chain, directory, cancel)) {
        if (cancel.load())
            result.cancelled = true;
        else
            ++result.errors;
        return;
    }
    walkPinnedDirectory(chain, options, result, cancel, progress, visited, depth);
}

LargeSearchResult searchLargeFiles(const LargeSearchOptions& options, std::atomic<bool>& cancel,
                                   const ProgressCallback& progress) {
    LargeSearchResult result;
    if (cancel.load()) {
        result.cancelled = true;
        return result;
    }
    std::wstring folder;
    if (!normalizePathStrict(options.folder, folder) || options.maxResults == 0) {
        result.errors = 1;
        result.errorCode = ERROR_INVALID_PARAMETER;
        result.message = kInvalidFolderMessage;
        return result;
    }
    if (hasProtectedComponent(folder) || !isLocalDiskPath(folder, false)) {
        result.errors = 1;
        result.errorCode = ERROR_NOT_SUPPORTED;
        result.message = kLocalDriveOnlyMessage;
        return result;
    }
    PinnedDirectoryChain chain;
    if (!openDirectoryChainChecked(chain, folder, cancel)) {
        result.errorCode = GetLastError();
        if (cancel.load()) {
            result.cancelled = true;
        } else {
            result.errors = 1;
            result.message = kCannotOpenFolderMessage;
        }
        return result;
    }
    result.rootPath = chain.finalPath;
    result.rootFileIndex = fileIndexOf(chain.info);
    result.rootVolumeSerial = chain.info.dwVolumeSerialNumber;
    if (progress) progress(result.rootPath, 0, 0);
    // The searched folder's own chain, held to the end, is the walk's pin of it.
    VisitedDirectories visited;
    if (mayEnter(result, cancel, 0)) walkPinnedDirectory(chain, options, result, cancel, progress, visited, 0);
    result.cancelled = result.cancelled || cancel.load();
    if (progress) progress(result.rootPath, result.scannedFiles, 0);
    return result;
}

}  // namespace pm::large
