// Entries of the older free-text history format: a local time stamp, blanks, and the result text as
// it was shown then, in Russian or in English. Recognised texts become records again, so that they
// can be shown in the current language.
#pragma once

#include "services/history/history_record.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace pm {

// True when text starts with a valid "YYYY-MM-DD HH:MM:SS" stamp followed by at least one TAB or space;
// index is then just past the stamp and all the blanks after it.
bool parseLegacyStamp(const std::wstring& text, std::size_t& index);

// True when the entry text after the stamp (1..16384 units) is one of the known results; record then
// holds what it says.
bool parseLegacyEntry(const std::wstring& text, HistoryRecord& record);

// An unsigned decimal of 1 to 20 ASCII digits without a leading zero ("0" itself allowed), at most
// 18446744073709551615.
bool parseDecimalU64(const char* digits, std::size_t length, std::uint64_t& value);

}  // namespace pm
