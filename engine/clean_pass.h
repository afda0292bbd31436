// A confirmed clean-up: the previewed entries of a scan deleted one by one through every check.
#pragma once

#include "engine/clean_types.h"
#include "engine/scan_types.h"

#include <atomic>

namespace pm {

// Deletes every selected entry of the report through deleteEntry, leaves browser caches alone while a browser
// runs, and empties the Recycle Bin (when selected) only if its size, item count and fingerprint still match
// the report.
// Progress: one call per selected entry (its path), "Recycle Bin" for the Recycle Bin step, and a last call
// "Finished" or "Cancelled". Never scans: an entry the report does not hold is never touched.
CleanResult cleanTargets(const ScanReport& report, const CleanSelection& selection, std::atomic<bool>& cancel,
                         const ProgressCallback& progress, CleanOptions options);

// The same pass, counting into the caller's result as it goes: when the progress callback throws, the
// result still holds every entry handled before, so the caller can say how much was deleted.
void cleanTargets(const ScanReport& report, const CleanSelection& selection, std::atomic<bool>& cancel,
                  const ProgressCallback& progress, CleanOptions options, CleanResult& result);

}  // namespace pm
