// Deleting one previewed file, only while everything the preview showed still holds.
#pragma once

#include "engine/clean_types.h"
#include "engine/scan_types.h"

#include <atomic>

namespace pm {

// Deletes the entry through a handle opened exclusively and marked for delete-on-close, after checking that
// the root is still the scanned directory, no directory on the way is a reparse point, and the file is the
// same file (identity, size, last-write time, one link) below the same root. With applyAgeFilter the file
// must also still be at least 24 hours old. Every outcome is added to result; nothing is thrown.
void deleteEntry(const FileEntry& entry, const RootIdentity& root, bool applyAgeFilter, std::atomic<bool>& cancel,
                 CleanResult& result, CleanOptions options);

}  // namespace pm
