// What a scan finds: the entries a clean-up may delete, with the identity each had when scanned, and the
// identity of every scanned root folder.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pm {

enum class CleanCategory : std::uint32_t { Temp = 0, BrowserCache = 1, RecycleBin = 2 };

inline constexpr std::size_t categoryIndex(CleanCategory category) { return static_cast<std::size_t>(category); }

// Label, done count, total (a scan passes total 0). May be empty; the engine then makes no call.
using ProgressCallback = std::function<void(const std::wstring& label, std::uint64_t done, std::uint64_t total)>;

struct FileEntry {
    std::wstring path;  // final path in normal form, read from the open handle
    std::wstring root;  // final path of the scan root it was found under
    std::uint64_t size = 0;
    CleanCategory category = CleanCategory::Temp;
    std::uint64_t lastWriteTime = 0;  // FILETIME, 100 ns units since 1601-01-01 UTC
    std::uint64_t fileIndex = 0;
    std::uint32_t volumeSerial = 0;
};

struct RootIdentity {
    std::wstring path;  // final path in normal form
    std::uint64_t fileIndex = 0;
    std::uint32_t volumeSerial = 0;
};

struct ScanReport {
    std::vector<FileEntry> entries;              // in the order found
    std::array<std::uint64_t, 2> categoryBytes{};  // summed sizes of Temp and BrowserCache entries
    std::int64_t recycleBinBytes = 0;
    std::int64_t recycleBinItems = 0;
    std::uint64_t skipped = 0;  // entries and locations left alone by a rule of the scan
    std::uint64_t errors = 0;   // failures
    std::vector<RootIdentity> roots;  // one per distinct scanned root, in scan order
    // What the Recycle Bin held, read when it held items: the bin is emptied only while it still matches.
    std::uint64_t recycleBinFingerprint = 0;
    bool recycleBinFingerprinted = false;  // false: not read, or unreadable
};

}  // namespace pm
