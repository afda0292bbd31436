// What the history's writer, reader and renderer agree on about one record line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pm::history {

// "@PM-HISTORY-1" and a TAB start every record line.
inline constexpr std::string_view RecordPrefix = "@PM-HISTORY-1\t";
// The JSON object after the prefix: the writer never makes a longer one, the reader refuses one.
inline constexpr std::size_t MaxRecordObjectBytes = 131072;
// Record times run from 1 to 9999-12-31 23:59:59 UTC; (time - 1) as unsigned must not exceed this.
inline constexpr std::uint64_t LastValidTimeMinusOne = 253402300798ULL;

}  // namespace pm::history
