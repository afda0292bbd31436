// The scanners and recognisers of older history entries, visible to the tests.
#pragma once

#include "services/history/history_record.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace pm {

// A read position in an entry text. A scanner moves it only past what it accepts; after a failure the
// position does not matter, because the recogniser gives up.
struct LegacyCursor {
    std::wstring_view text;
    std::size_t index = 0;
};

void skipBlanks(LegacyCursor& cursor);
bool matchLiteral(LegacyCursor& cursor, std::wstring_view literal);
// The first of the literals, in the order given, that matches.
bool matchAnyLiteral(LegacyCursor& cursor, std::initializer_list<std::wstring_view> literals);
bool parseCount(LegacyCursor& cursor, std::uint64_t& value);
bool parseLegacySize(LegacyCursor& cursor, std::uint64_t& bytes);
bool parseSkippedErrors(LegacyCursor& cursor, HistoryRecord& record, bool busy);

// Each takes the text with CR LF already made LF, and a fresh record.
bool recognizeLegacyScan(const std::wstring& text, HistoryRecord& record);
bool recognizeLegacyCleanup(const std::wstring& text, HistoryRecord& record);
bool recognizeLegacyLargeSearch(const std::wstring& text, HistoryRecord& record);
bool recognizeLegacyRecycle(const std::wstring& text, HistoryRecord& record);
bool recognizeLegacyMessage(const std::wstring& text, HistoryRecord& record);

}  // namespace pm
