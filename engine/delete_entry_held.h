// deleteEntry with the directories held by its caller: a clean pass keeps the pinned chains of a root and of
// the folder in hand from one entry to the next.
#pragma once

#include "engine/clean_types.h"
#include "engine/pinned_chain.h"
#include "engine/scan_types.h"

#include <atomic>
#include <optional>
#include <string>

namespace pm {

// The directories a deletion holds pinned: the chain of one scanned root, and below it the directories down to
// the folder of the entry in hand. deleteEntry holds its own for one call; a clean pass keeps one from entry to
// entry, so the entries of one folder share the root's chain (checked against the scan's identity for each
// entry) and the folder's, and moving on releases what is no longer on the way.
class HeldDirectories {
public:
    // The root chain for this root, pinned when it is not the one held. False with the last error set when it
    // cannot be pinned.
    bool holdRoot(const std::wstring& root);
    // Releases the root chain and everything below it (the deepest first).
    void release();
    const PinnedDirectoryChain& rootChain() const { return root_; }
    ChainBelow& below() { return *below_; }

private:
    std::wstring rootRequest_;  // the root text the chain was pinned for
    PinnedDirectoryChain root_;
    std::optional<ChainBelow> below_;
};

// deleteEntry, with the directories held by the caller.
void deleteEntryHeld(const FileEntry& entry, const RootIdentity& root, bool applyAgeFilter, std::atomic<bool>& cancel,
                     CleanResult& result, CleanOptions options, HeldDirectories& held);

}  // namespace pm
