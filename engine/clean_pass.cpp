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

// An allowed root's path is a final path, already in normal form.
const AllowedRoot* findAllowedRoot(const std::vector<AllowedRoot>& roots, CleanCategory category,
                                   const std::wstring& rootNormal) {
    for (const AllowedRoot& root : roots)
        if (root.category == category && sameNormalPath(root.path, rootNormal)) return &root;
    return nullptr;
}

// The root of the entries in hand, normalised and looked up once: the entries of one root follow one another.
class RootInHand {
public:
    explicit RootInHand(const ScanReport& report) : report_(report) {
        for (const RootIdentity& root : report.roots) {
            std::wstring normal;
            scannedNormal_.push_back(normalizePath(root.path, normal) ? std::move(normal) : std::wstring());
        }
    }
    // Moves to the entry's root when it is another one than the last entry's.
    void moveTo(const std::wstring& root) {
        if (valid_ && root == text_) return;
        text_ = root;
        valid_ = true;
        scanned_ = nullptr;
        if (!normalizePath(root, normal_)) {
            normal_.clear();
            return;
        }
        for (std::size_t i = 0; i < scannedNormal_.size(); ++i)
            if (sameNormalPath(scannedNormal_[i], normal_)) {
                scanned_ = &report_.roots[i];
                break;
            }
    }
    const std::wstring& normal() const { return normal_; }  // empty when the root does not normalise
    const RootIdentity* scanned() const { return scanned_; }  // the report's identity of it, if any

private:
    const ScanReport& report_;
    std::vector<std::wstring> scannedNormal_;  // the report's roots in normal form, in order
    bool valid_ = false;
    std::wstring text_, normal_;
    const RootIdentity* scanned_ = nullptr;
};

bool isSelected(const CleanSelection& selection, CleanCategory category) {
    return categoryIndex(category) < categoryIndex(CleanCategory::RecycleBin) && selection[categoryIndex(category)];
}

bool recycleBinSelected(const ScanReport& report, const CleanSelection& selection) {
    return selection[categoryIndex(CleanCategory::RecycleBin)] && report.recycleBinItems != 0;
}

void notify(const ProgressCallback& progress, const std::wstring& label, std::uint64_t done, std::uint64_t total) {
    if (progress) progress(label, done, total);
}

// Empties the Recycle Bin only when it still holds exactly what the preview showed: the same items, the same
// size and the same count. A bin that changed in any way since the preview (emptied, grown, shrunk, another
// item) is left alone and counted skipped, a bin that lists nothing now also when the preview could not read
// it (the preview counted items in it); a bin that cannot be read now, or whose items the preview could not
// read, counts as failed and is never emptied. The fingerprint walks every item through the Shell (a fraction
// of a millisecond per item), so it is read first: an item recycled while it runs shows in the size and count
// read after it, and the bin is emptied right after that one query, with nothing in between. (Under Wine 8 the
// query itself reads every item, at about 0.18 ms each, nearly as long as the walk: there the gap left is that
// long.)
void emptyRecycleBin(const ScanReport& preview, CleanResult& result) {
    std::uint64_t fingerprint = 0;
    switch (readRecycleBinFingerprint(fingerprint)) {
        case RecycleBinReading::Empty:  // the preview saw items: emptied since, nothing to empty
            ++result.skipped;
            return;
        case RecycleBinReading::Unreadable:
            ++result.failed;
            return;
        case RecycleBinReading::Read:
            break;
    }
    if (!preview.recycleBinFingerprinted) {  // unreadable at the preview: nothing to compare with
        ++result.failed;
        return;
    }
    if (fingerprint != preview.recycleBinFingerprint) {
        ++result.skipped;
        return;
    }
    RecycleBinTotals bin;
    if (!queryRecycleBinTotals(bin)) {
        ++result.failed;
        return;
    }
    if (bin.bytes != preview.recycleBinBytes || bin.items != preview.recycleBinItems) {
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
    RootInHand rootInHand(scan);
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
        rootInHand.moveTo(entry.root);
        const AllowedRoot* allowed = findAllowedRoot(roots, entry.category, rootInHand.normal());
        const RootIdentity* scanned = allowed != nullptr ? rootInHand.scanned() : nullptr;
        if (scanned == nullptr) {
            ++result.skipped;
            continue;
        }
        // deleteEntryHeld skips an entry whose path is not inside its root.
        deleteEntryHeld(entry, *scanned, rootInHand.normal(), allowed->olderThanCutoffOnly, cancel, result, options,
                        held);
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
