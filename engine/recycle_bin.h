// The current user's Recycle Bin as a clean-up sees it: its size and item count, and an identity of what it
// holds, so that it is emptied only while it holds exactly what the preview showed.
#pragma once

#include <cstdint>

namespace pm {

struct RecycleBinTotals {
    std::int64_t bytes = 0;
    std::int64_t items = 0;
};

// SHQueryRecycleBinW over every drive. False when the query fails or answers a negative size or count.
bool queryRecycleBinTotals(RecycleBinTotals& totals);

// What a reading of the bin's fingerprint found: every item read, a bin that lists no item at all, or a bin
// (or one of its items) that cannot be read.
enum class RecycleBinReading { Read, Empty, Unreadable };

// An order-independent fingerprint over every item of the Recycle Bin on every drive, built from each item's
// own name inside the bin, its original location, its size and its deletion time: replacing one item by
// another of the same size changes it. Written only when the reading is Read. A bin that lists nothing has no
// fingerprint (a sum over nothing would match any other sum over nothing), so the caller must then not empty
// it; to a caller that saw items in it, it has changed. Joins the calling thread to COM for the call.
RecycleBinReading readRecycleBinFingerprint(std::uint64_t& fingerprint);

}  // namespace pm
