// Byte counts and plain counts as the history and the windows show them.
#pragma once

#include <cstdint>
#include <string>

namespace pm {

// Bytes below 1 KB as a whole number, then KB and MB with one decimal and GB with two, '.' as the
// decimal point, one space and the translated unit: "1023 B", "1.0 KB", "1.00 GB".
std::wstring formatSize(std::uint64_t bytes);

// A count of files, items or entries: plain unsigned decimal digits.
inline std::wstring formatCount(std::uint64_t count) { return std::to_wstring(count); }

}  // namespace pm
