#include "engine/clean_pass.h"

#include "engine/browsers.h"
#include "engine/delete_entry_held.h"
#include "engine/path_rules.h"
#include "engine/pinned_chain.h"
#include "engine/recycle_bin.h"
#include "engine/scan_internal.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace pm {

namespace {

constexpr ULONGLONG kBrowserRecheckMs = 249;  // the list is read again once more than this has passed
constexpr DWORD kEmptyQuietly = SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND;
static_assert(kEmptyQuietly == 7);

// A clean-up location as pinned at the start of this pass.
struct AllowedRoot {
    std::wstring path;
    CleanCategory category = CleanCategory::Temp;
    bool olderThanCutoffOnly = false;
};

std::vector<AllowedRoot> allowedRoots() {
    std::vector<AllowedRoot> roots;
    for (const CleanLocation& location : cleanLocations()) {
        PinnedDirectoryChain chain;
        if (openDirectoryChain(chain, location.path, ChainEnd::FinalPath) && chain.finalPath.size() > 3)
            roots.push_back({chain.finalPath, location.category, location.olderThanCutoffOnly});
    }
    return roots;
}

const AllowedRoot* findAllowedRoot(const std::vector<AllowedRoot>& roots, const FileEntry& entry) {
    for (const AllowedRoot& root : roots)
        if (root.category == entry.category && samePath(root.path, entry.root)) return &root;
    return nullptr;
}

const RootIdentity* findScannedRoot(const ScanReport& report, const FileEntry& entry) {
    for (const RootIdentity& root : report.roots)
        if (samePath(root.path, entry.root)) return &root;
    return nullptr;
}

bool isSelected(const CleanSelection& selection, CleanCategory category) {
    return categoryIndex(category) < categoryIndex(CleanCategory::RecycleBin) && selection[categoryIndex(category)];
}

bool recycleBinSelected(const ScanReport& report, const CleanSelection& selection) {
    return selection[categoryIndex(CleanCategory::RecycleBin)] && report.recycleBinItems != 0;
}

void notify(const ProgressCallback& progress, const std::wstring& label, std::uint64_t done, std::uint64_t total) {
    if (progress) progress(label, done, total);
}

// Empties the Recycle Bin only when it still holds exactly what the preview showed: the same size, the same
// count and the same items. A fingerprint that could not be read, then or now, never lets it be emptied.
void emptyRecycleBin(const ScanReport& preview, CleanResult& result) {
    RecycleBinTotals bin;
    if (!queryRecycleBinTotals(bin)) {
        ++result.failed;
        return;
    }
    if (bin.bytes != preview.recycleBinBytes || bin.items != preview.recycleBinItems) {
        ++result.skipped;
        return;
    }
    std::uint64_t fingerprint = 0;
    if (!preview.recycleBinFingerprinted || !readRecycleBinFingerprint(fingerprint)) {
        ++result.failed;
        return;
    }
    if (fingerprint != preview.recycleBinFingerprint) {
        ++result.skipped;
        return;
    }
    if (FAILED(SHEmptyRecycleBinW(nullptr, nullptr, kEmptyQuietly))) {
        ++result.failed;
        return;
    }
    result.recycleBinEmptied = true;
    result.bytesFreed += static_cast<std::uint64_t>(preview.recycleBinBytes);
    result.filesDeleted += static_cast<std::uint64_t>(preview.recycleBinItems);
}

}  // namespace

CleanResult cleanTargets(const ScanReport& scan, const CleanSelection& selection, std::atomic<bool>& cancel,
                         const ProgressCallback& progress, CleanOptions options) {
    CleanResult result;
    cleanTargets(scan, selection, cancel, progress, options, result);
    return result;
}

void cleanTargets(const ScanReport& scan, const CleanSelection& selection, std::atomic<bool>& cancel,
                  const ProgressCallback& progress, CleanOptions options, CleanResult& result) {
    result = CleanResult{};
    std::uint64_t total = recycleBinSelected(scan, selection) ? 1 : 0;
    for (const FileEntry& entry : scan.entries)
        if (isSelected(selection, entry.category)) ++total;
    std::uint64_t done = 0;

    // An unreadable process list answers with a pseudo-name, which counts as a running browser.
    bool browserRunning = !runningBrowserNames().empty();
    ULONGLONG lastCheck = GetTickCount64();
    const std::vector<AllowedRoot> roots = allowedRoots();

    bool stoppedByCancel = false;
    // The chains of the current root and folder, kept while their entries are deleted one after another.
    HeldDirectories held;
    for (const FileEntry& entry : scan.entries) {
        if (cancel.load()) {
            stoppedByCancel = true;
            break;
        }
        if (!isSelected(selection, entry.category)) continue;
        notify(progress, entry.path, done, total);
        ++done;
        if (entry.category == CleanCategory::BrowserCache) {
            // Once a browser was seen running, the list is not read again in this pass.
            if (!browserRunning && GetTickCount64() - lastCheck > kBrowserRecheckMs) {
                browserRunning = !runningBrowserNames().empty();
                lastCheck = GetTickCount64();
            }
            if (browserRunning) {
                ++result.skipped;
                continue;
            }
        }
        const AllowedRoot* allowed = findAllowedRoot(roots, entry);
        const RootIdentity* scanned = allowed != nullptr ? findScannedRoot(scan, entry) : nullptr;
        if (scanned == nullptr || !isPathInside(entry.path, entry.root)) {
            ++result.skipped;
            continue;
        }
        deleteEntryHeld(entry, *scanned, allowed->olderThanCutoffOnly, cancel, result, options, held);
        if (result.cancelled) break;
    }
    held.release();
    if (stoppedByCancel) result.cancelled = true;

    if (recycleBinSelected(scan, selection) && !result.cancelled && !cancel.load()) {
        notify(progress, L"Recycle Bin", done, total);
        emptyRecycleBin(scan, result);
        ++done;
    }
    if (cancel.load()) result.cancelled = true;
    notify(progress, result.cancelled ? L"Cancelled" : L"Finished", done, total);
}

}  // namespace pm
