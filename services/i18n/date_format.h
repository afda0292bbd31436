// A point in time as the current language shows it: short date and time without seconds.
#pragma once

#include <cstdint>
#include <string>

namespace pm {

// Seconds since 1970-01-01 UTC (callers pass at least 1) as the short date, one space and the time
// without seconds, in the default formats of the current language's locale and in the computer's
// time zone. The user's own regional overrides are ignored. "—" when the time cannot be formatted.
std::wstring formatDateTime(std::int64_t secondsSince1970);

}  // namespace pm
