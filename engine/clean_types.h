// What a clean-up is told and what it reports: the locked-file policy and the counters of one clean pass.
#pragma once

#include <array>
#include <cstdint>

namespace pm {

// One flag per CleanCategory: temporary files, browser caches, the Recycle Bin.
using CleanSelection = std::array<bool, 3>;

struct CleanOptions {
    // True: a file another process holds open is skipped at once. False: its open is retried at most twice,
    // 50 ms apart, and a file still locked after that counts as failed.
    bool skipLockedImmediately = true;
};

// The counters of one clean pass, all zero at the start; the engine only ever adds to them.
struct CleanResult {
    std::uint64_t bytesFreed = 0;     // deleted files, plus the Recycle Bin's previewed size when emptied
    std::uint64_t filesDeleted = 0;   // deleted files, plus the Recycle Bin's previewed item count when emptied
    std::uint64_t skipped = 0;        // entries left alone (changed, outside, locked and skipped, browser running...)
    std::uint64_t failed = 0;         // entries or steps that failed
    std::uint64_t lockedSkipped = 0;  // also counted in skipped
    std::uint64_t lockedFailed = 0;   // also counted in failed
    std::uint64_t lockRetries = 0;    // retries made by the locked-file policy
    bool recycleBinEmptied = false;
    bool cancelled = false;
};

}  // namespace pm
