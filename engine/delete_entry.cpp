#include "engine/delete_entry.h"

#include "engine/delete_entry_held.h"
#include "engine/delete_entry_internal.h"
#include "engine/file_info.h"
#include "engine/handle_holder.h"
#include "engine/path_rules.h"
#include "engine/pinned_chain.h"
#include "engine/scan_internal.h"

#include <windows.h>

namespace pm {

namespace {

// The file is opened exclusively (share mode 0) with the right to delete it, without following a reparse
// point, so the object that passes the checks is the object that is deleted.
constexpr DWORD kDeleteAccess = DELETE | FILE_READ_ATTRIBUTES;
static_assert(kDeleteAccess == 0x10080);
static_assert(FILE_FLAG_OPEN_REPARSE_POINT == 0x200000);
constexpr DWORD kWaitStepMs = 10;

bool isLockError(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

void countSkipOrFail(CleanResult& result, DWORD error) {
    if (isSkippableError(error))
        ++result.skipped;
    else
        ++result.failed;
}

// A file still locked: skipped under the skip policy, failed under the retry policy.
void countLocked(CleanResult& result, const CleanOptions& options) {
    if (options.skipLockedImmediately) {
        ++result.skipped;
        ++result.lockedSkipped;
    } else {
        ++result.failed;
        ++result.lockedFailed;
    }
}

// The text up to the last separator; false when there is none.
bool parentOf(const std::wstring& path, std::wstring& parent) {
    std::size_t last = path.find_last_of(L"\\/");
    if (last == std::wstring::npos) return false;
    parent = path.substr(0, last);
    return true;
}

// The root chain still resolves to the scanned root and pins the same directory.
bool rootUnchanged(const PinnedDirectoryChain& chain, const std::wstring& rootNormal, const RootIdentity& root) {
    return sameNormalPath(chain.finalPath, rootNormal) && fileIndexOf(chain.info) == root.fileIndex &&
           chain.info.dwVolumeSerialNumber == root.volumeSerial;
}

// The open file is the one the preview showed, with one link, below the same root. The paths are normal forms.
bool fileUnchanged(const BY_HANDLE_FILE_INFORMATION& info, const std::wstring& finalPath, const FileEntry& entry,
                   const std::wstring& pathNormal, const std::wstring& rootNormal) {
    return (info.dwFileAttributes & kReadOnlyDirectoryOrReparseMask) == 0 && info.nNumberOfLinks == 1 &&
           isNormalPathInside(finalPath, rootNormal) && sameNormalPath(finalPath, pathNormal) &&
           fileIndexOf(info) == entry.fileIndex && info.dwVolumeSerialNumber == entry.volumeSerial &&
           fileSizeOf(info) == entry.size && fileTimeValue(info.ftLastWriteTime) == entry.lastWriteTime;
}

}  // namespace

void cancellableWait(std::atomic<bool>& cancel, std::uint32_t milliseconds) {
    for (std::uint32_t elapsed = 0; elapsed < milliseconds; elapsed += kWaitStepMs) {
        if (cancel.load()) return;
        Sleep(kWaitStepMs);
    }
}

ChainBelow* HeldDirectories::holdRoot(const std::wstring& root, const std::wstring& rootNormal) {
    if (below_ && rootRequest_ == root) return &*below_;
    release();
    if (!openDirectoryChain(root_, rootNormal)) {
        DWORD error = GetLastError();
        release();  // nothing half-pinned stays held
        SetLastError(error);
        return nullptr;
    }
    rootRequest_ = root;
    return &below_.emplace(rootNormal, root_.finalPath);
}

void HeldDirectories::release() {
    below_.reset();
    root_ = PinnedDirectoryChain();
    rootRequest_.clear();
}

void deleteEntry(const FileEntry& entry, const RootIdentity& root, bool applyAgeFilter, std::atomic<bool>& cancel,
                 CleanResult& result, CleanOptions options) {
    std::wstring rootNormal;
    if (!normalizePath(entry.root, rootNormal) || !samePath(root.path, entry.root)) rootNormal.clear();
    HeldDirectories held;  // released after the file's handle, the folder's levels before the root's chain
    deleteEntryHeld(entry, root, rootNormal, applyAgeFilter, cancel, result, options, held);
}

void deleteEntryHeld(const FileEntry& entry, const RootIdentity& root, const std::wstring& rootNormal,
                     bool applyAgeFilter, std::atomic<bool>& cancel, CleanResult& result, CleanOptions options,
                     HeldDirectories& held) {
    if (cancel.load()) {
        result.cancelled = true;
        return;
    }
    std::wstring pathNormal;
    if (rootNormal.empty() || !normalizePath(entry.path, pathNormal) || !isNormalPathInside(pathNormal, rootNormal)) {
        ++result.skipped;
        return;
    }
    // While the root chain is held none of its directories can be moved or replaced, so the parent's chain
    // continues below it instead of starting again at the drive root.
    ChainBelow* below = held.holdRoot(entry.root, rootNormal);
    if (below == nullptr) {
        countSkipOrFail(result, GetLastError());
        return;
    }
    if (!rootUnchanged(held.rootChain(), rootNormal, root)) {
        held.release();  // the next entry pins its root afresh
        ++result.skipped;
        return;
    }
    std::wstring parent, parentNormal;
    if (!parentOf(pathNormal, parent)) {
        ++result.skipped;
        return;
    }
    const bool parentNormalised = normalizePath(parent, parentNormal);
    if (!parentNormalised) SetLastError(ERROR_INVALID_NAME);
    if (!parentNormalised || !below->reach(parentNormal)) {
        countSkipOrFail(result, GetLastError());
        return;
    }
    const std::wstring& parentFinalPath = below->finalPath();
    if (!sameNormalPath(parentFinalPath, rootNormal) && !isNormalPathInside(parentFinalPath, rootNormal)) {
        ++result.skipped;
        return;
    }

    HandleHolder file;
    DWORD openError = ERROR_SUCCESS;
    const std::wstring longPath = toLongPath(entry.path);
    auto attempt = [&]() -> std::uint32_t {
        file.reset(CreateFileW(longPath.c_str(), kDeleteAccess, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (file.valid()) return kAttemptOpened;
        openError = GetLastError();
        return isLockError(openError) ? kAttemptLocked : kAttemptFailed;
    };
    auto wait = [&](std::uint32_t milliseconds) { cancellableWait(cancel, milliseconds); };
    std::uint64_t opened = openWithRetry(options.skipLockedImmediately, cancel, attempt, wait);
    result.lockRetries += openRetries(opened);
    switch (openStatus(opened)) {
        case kOpenCancelled:
            result.cancelled = true;
            return;
        case kOpenLockedSkipped:
            ++result.skipped;
            ++result.lockedSkipped;
            return;
        case kOpenFailed:
            if (isLockError(openError)) {
                ++result.failed;
                ++result.lockedFailed;
            } else {
                countSkipOrFail(result, openError);
            }
            return;
        default:
            break;
    }

    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) {
        countSkipOrFail(result, GetLastError());
        return;
    }
    if (!fileUnchanged(info, finalPathOfHandle(file.get()), entry, pathNormal, rootNormal) ||
        (applyAgeFilter && !passesAgeTest(fileTimeValue(info.ftLastWriteTime), currentFileTime()))) {
        ++result.skipped;
        return;
    }
    if (cancel.load()) {
        result.cancelled = true;
        return;
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof(disposition))) {
        // The file goes when this handle closes, on leaving the call.
        result.bytesFreed += entry.size;
        ++result.filesDeleted;
        return;
    }
    DWORD error = GetLastError();
    if (isLockError(error))
        countLocked(result, options);
    else
        countSkipOrFail(result, error);
}

}  // namespace pm
