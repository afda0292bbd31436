// The locked-file policy of deleteEntry, shared with its tests, and the directories a clean pass holds from
// one entry to the next.
#pragma once

#include "engine/clean_types.h"
#include "engine/pinned_chain.h"
#include "engine/scan_types.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pm {

// What one open attempt gives.
inline constexpr std::uint32_t kAttemptOpened = 0;
inline constexpr std::uint32_t kAttemptLocked = 1;  // sharing or lock violation (32, 33)
inline constexpr std::uint32_t kAttemptFailed = 2;  // any other error

// The status in the low half of openWithRetry's result.
inline constexpr std::uint32_t kOpenOpened = 0;
inline constexpr std::uint32_t kOpenLockedSkipped = 1;
inline constexpr std::uint32_t kOpenFailed = 2;
inline constexpr std::uint32_t kOpenCancelled = 3;

inline constexpr std::uint32_t kLockRetryWaitMs = 50;
inline constexpr std::uint32_t kMaxLockRetries = 2;

using OpenAttempt = std::function<std::uint32_t()>;
using CancellableWait = std::function<void(std::uint32_t milliseconds)>;

// Runs the open attempts under the locked-file policy: (retries << 32) | status.
std::uint64_t openWithRetry(bool skipLocked, std::atomic<bool>& cancel, const OpenAttempt& attempt,
                            const CancellableWait& wait);

inline std::uint32_t openStatus(std::uint64_t result) { return static_cast<std::uint32_t>(result & 0xFFFFFFFFu); }
inline std::uint32_t openRetries(std::uint64_t result) { return static_cast<std::uint32_t>(result >> 32); }

// Sleeps in steps of 10 ms until the time is up, returning at once when the cancel flag is seen set.
void cancellableWait(std::atomic<bool>& cancel, std::uint32_t milliseconds);

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
