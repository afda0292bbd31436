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
// entry, so the entries of one folder share the root's chain and the folder's, and moving on releases what is
// no longer on the way. The root's chain is pinned and read (final path, identity) at the first entry of that
// root; each later entry compares the scan's identity with what was read then, which still holds: a held
// directory cannot be moved, replaced or deleted.
class HeldDirectories {
public:
    // The levels below the root `root` (its normal form `rootNormal`), with the root chain pinned when it is not
    // the one held. Null with the last error set when it cannot be pinned.
    ChainBelow* holdRoot(const std::wstring& root, const std::wstring& rootNormal);
    // Releases the root chain and everything below it (the deepest first).
    void release();
    const PinnedDirectoryChain& rootChain() const { return root_; }

private:
    std::wstring rootRequest_;  // the root text the chain was pinned for
    PinnedDirectoryChain root_;
    std::optional<ChainBelow> below_;
};

// deleteEntry, with the directories held by the caller and the entry's root already normalised by it:
// `rootNormal` is the normal form of entry.root, whose identity `root` is; empty when entry.root does not
// normalise or `root` is not its identity (the entry is then skipped).
void deleteEntryHeld(const FileEntry& entry, const RootIdentity& root, const std::wstring& rootNormal,
                     bool applyAgeFilter, std::atomic<bool>& cancel, CleanResult& result, CleanOptions options,
                     HeldDirectories& held);

}  // namespace pm
