// The local drives whose usage the windows show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pm {

struct DriveInfo {
    std::wstring root;                // as GetLogicalDriveStringsW gives it, such as C:\ .
    std::uint64_t availableBytes = 0;  // free bytes available to the user (respects a quota)
    std::uint64_t totalBytes = 0;
};

// Removable drives with media, fixed drives and RAM drives, in letter order. Never fails: on any failure the
// list is empty or holds the drives read so far.
std::vector<DriveInfo> listDrives();

}  // namespace pm
