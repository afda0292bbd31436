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

// An order-independent fingerprint over every item of the Recycle Bin on every drive, built from each item's
// own name inside the bin, its original location, its size and its deletion time: replacing one item by
// another of the same size changes it. False when any item (or the bin itself) cannot be read, and when the
// bin lists no item at all (it is read only while it holds items); the caller must then not empty the bin.
// Joins the calling thread to COM for the duration of the call.
bool readRecycleBinFingerprint(std::uint64_t& fingerprint);

}  // namespace pm
