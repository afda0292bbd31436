// The scan's building blocks, shared inside the engine and with its tests.
#pragma once

#include "engine/scan_types.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace pm {

// One folder to scan, as composed (not yet pinned or normalised).
struct CleanLocation {
    std::wstring path;
    CleanCategory category = CleanCategory::Temp;
    bool olderThanCutoffOnly = false;  // only files at least 24 hours old qualify
};

inline constexpr std::uint64_t kAgeCutoff = 864'000'000'000ULL;  // 24 hours in 100 ns units
inline constexpr std::uint32_t kMaxScanDepth = 97;            // the level below a root that is not entered

// A file qualifies by age when its last-write time is set, not in the future and at least 24 hours old.
inline bool passesAgeTest(std::uint64_t lastWriteTime, std::uint64_t now) {
    return lastWriteTime != 0 && lastWriteTime <= now && now - lastWriteTime >= kAgeCutoff;
}

// "Default", "Guest Profile" or "Profile " followed by one or more ASCII digits, ignoring case.
bool isBrowserProfileName(const std::wstring& name);

std::vector<CleanLocation> cleanLocations();

// Names of the plain subdirectories of a pinned folder, in enumeration order; empty on any failure.
std::vector<std::wstring> listSubdirectories(const std::wstring& folder);

void scanDirectory(const std::wstring& dir, const CleanLocation& location, const std::wstring& root,
                   ScanReport& report, std::atomic<bool>& cancel, const ProgressCallback& progress,
                   std::uint64_t now, std::uint64_t& seen, std::uint32_t depth);

// The location loop of scanTargets: pins and scans each location in order, once per distinct root.
// Leaves the Recycle Bin fields alone.
void scanLocations(const std::vector<CleanLocation>& locations, ScanReport& report, std::atomic<bool>& cancel,
                   const ProgressCallback& progress, std::uint64_t now);

}  // namespace pm
