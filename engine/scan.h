// The engine's scan: the clean-up locations walked below pinned directory chains into a ScanReport.
// File-system failures are counted in the report, never thrown.
#pragma once

#include "engine/scan_types.h"

#include <atomic>
#include <string>

namespace pm {

// Scans every clean-up location and reads the Recycle Bin's size and item count.
ScanReport scanTargets(std::atomic<bool>& cancel, const ProgressCallback& progress);

// Scans one folder as temporary files (only files at least 24 hours old qualify).
ScanReport scanFolder(const std::wstring& path, std::atomic<bool>& cancel);

}  // namespace pm
