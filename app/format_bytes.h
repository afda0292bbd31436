// Sizes and counts as the windows show them: the same texts the history writes.
#pragma once

#include "services/i18n/size_format.h"

#include <cstdint>
#include <string>

namespace pm {

inline std::wstring formatBytes(std::uint64_t bytes) { return formatSize(bytes); }

// A count of files, items or entries: plain unsigned decimal digits.
inline std::wstring formatCount(std::uint64_t count) { return std::to_wstring(count); }

}  // namespace pm
