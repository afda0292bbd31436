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
bool rootUnchanged(const PinnedDirectoryChain& chain, const FileEntry& entry, const RootIdentity& root) {
    return samePath(chain.finalPath, entry.root) && fileIndexOf(chain.info) == root.fileIndex &&
           chain.info.dwVolumeSerialNumber == root.volumeSerial;
}

// The open file is the one the preview showed, with one link, below the same root.
bool fileUnchanged(const BY_HANDLE_FILE_INFORMATION& info, const std::wstring& finalPath, const FileEntry& entry) {
    return (info.dwFileAttributes & kReadOnlyDirectoryOrReparseMask) == 0 && info.nNumberOfLinks == 1 &&
           isPathInside(finalPath, entry.root) && samePath(finalPath, entry.path) &&
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

std::uint64_t openWithRetry(bool skipLocked, std::atomic<bool>& cancel, const OpenAttempt& attempt,
                            const CancellableWait& wait) {
    auto encode = [](std::uint64_t retries, std::uint32_t status) { return (retries << 32) | status; };
    if (cancel.load()) return encode(0, kOpenCancelled);
    for (std::uint64_t retries = 0;;) {
        std::uint32_t status = attempt();
        // An opened handle stays with the attempt's holder, which closes it.
        if (cancel.load()) return encode(retries, kOpenCancelled);
        if (status == kAttemptOpened) return encode(retries, kOpenOpened);
        if (status != kAttemptLocked) return encode(retries, kOpenFailed);
        if (skipLocked) return encode(retries, kOpenLockedSkipped);
        if (retries == kMaxLockRetries) return encode(retries, kOpenFailed);
        wait(kLockRetryWaitMs);
        if (cancel.load()) return encode(retries, kOpenCancelled);  // the interrupted wait is not counted
        ++retries;
    }
}

bool HeldDirectories::holdRoot(const std::wstring& root) {
    if (below_ && rootRequest_ == root) return true;
    release();
    if (!openDirectoryChain(root_, root)) {
        DWORD error = GetLastError();
        release();  // nothing half-pinned stays held
        SetLastError(error);
        return false;
    }
    std::wstring normal;
    normalizePath(root, normal);
    rootRequest_ = root;
    below_.emplace(normal, root_.finalPath);
    return true;
}

void HeldDirectories::release() {
    below_.reset();
    root_ = PinnedDirectoryChain();
    rootRequest_.clear();
}

void deleteEntry(const FileEntry& entry, const RootIdentity& root, bool applyAgeFilter, std::atomic<bool>& cancel,
                 CleanResult& result, CleanOptions options) {
    HeldDirectories held;  // released after the file's handle, the folder's levels before the root's chain
    deleteEntryHeld(entry, root, applyAgeFilter, cancel, result, options, held);
}

void deleteEntryHeld(const FileEntry& entry, const RootIdentity& root, bool applyAgeFilter, std::atomic<bool>& cancel,
                     CleanResult& result, CleanOptions options, HeldDirectories& held) {
    if (cancel.load()) {
        result.cancelled = true;
        return;
    }
    if (!isPathInside(entry.path, entry.root) || !samePath(root.path, entry.root)) {
        ++result.skipped;
        return;
    }
    // While the root chain is held none of its directories can be moved or replaced, so the parent's chain
    // continues below it instead of starting again at the drive root.
    if (!held.holdRoot(entry.root)) {
        countSkipOrFail(result, GetLastError());
        return;
    }
    if (!rootUnchanged(held.rootChain(), entry, root)) {
        held.release();  // the next entry pins its root afresh
        ++result.skipped;
        return;
    }
    std::wstring parent, parentNormal;
    if (!parentOf(entry.path, parent)) {
        ++result.skipped;
        return;
    }
    const bool parentNormalised = normalizePath(parent, parentNormal);
    if (!parentNormalised) SetLastError(ERROR_INVALID_NAME);
    if (!parentNormalised || !held.below().reach(parentNormal)) {
        countSkipOrFail(result, GetLastError());
        return;
    }
    const std::wstring& parentFinalPath = held.below().finalPath();
    if (!samePath(parentFinalPath, entry.root) && !isPathInside(parentFinalPath, entry.root)) {
        ++result.skipped;
        return;
    }

    HandleHolder file;
    DWORD openError = ERROR_SUCCESS;
    const std::wstring longPath = toLongPath(entry.path);
    OpenAttempt attempt = [&]() -> std::uint32_t {
        file.reset(CreateFileW(longPath.c_str(), kDeleteAccess, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (file.valid()) return kAttemptOpened;
        openError = GetLastError();
        return isLockError(openError) ? kAttemptLocked : kAttemptFailed;
    };
    CancellableWait wait = [&](std::uint32_t milliseconds) { cancellableWait(cancel, milliseconds); };
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
    if (!fileUnchanged(info, finalPathOfHandle(file.get()), entry) ||
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
