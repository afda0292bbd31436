// The move of selected large files to the Recycle Bin, one at a time through the Shell's transfer source,
// each file re-checked before the move and verified where it arrived.
#pragma once

#include "engine/large/large_search.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace pm::large {

enum class RecycleStatus : std::uint32_t {
    Recycled = 0,      // moved and verified in the Recycle Bin
    Skipped = 1,       // changed, moved, outside the searched folder, or the searched folder changed
    Locked = 2,        // another process holds the file open
    NotSupported = 3,  // protected folder, not a fixed local disk, or the Shell cannot recycle it
    Failed = 4,        // any other failure, including a move whose result cannot be verified
    Cancelled = 5,     // the user cancelled; the run stopped after this file
};

struct RecycleOutcome {
    std::uint64_t index = 0;  // position in the search result's files, as the caller gave it
    RecycleStatus status = RecycleStatus::Recycled;
    std::uint32_t error = 0;  // a Win32 error code or an HRESULT; 0 when recycled
    // Set when the Shell moved another file than the listed one: a file that took the listed file's place
    // in the last instant before the move. Its path as it was, the name and folder the Recycle Bin shows it
    // under, so that the user can restore it. The listed file itself stays where it went.
    std::wstring movedInstead;
};

struct RecycleResult {
    std::uint64_t recycled = 0;
    std::uint64_t bytesRecycled = 0;  // saturating
    std::uint64_t skipped = 0;        // statuses 1, 2 and 3
    std::uint64_t failed = 0;         // status 4 and selections out of range
    bool cancelled = false;
    // One row per distinct out-of-range index in the order given, then one per handled file.
    std::vector<RecycleOutcome> outcomes;
};

// Initialises COM (apartment threaded) on the calling thread for the duration of the call.
RecycleResult recycleLargeFiles(const LargeSearchResult& search, const std::vector<std::uint64_t>& indices,
                                std::atomic<bool>& cancel, const ProgressCallback& progress);

}  // namespace pm::large
