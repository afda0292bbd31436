// Sizes and counts (formatCount) as the windows show them: the same texts the history writes.
#pragma once

#include "services/i18n/size_format.h"

#include <cstdint>
#include <string>

namespace pm {

inline std::wstring formatBytes(std::uint64_t bytes) { return formatSize(bytes); }

}  // namespace pm
