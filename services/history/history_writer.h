// The history log "history.log" in the application folder: one line per record, appended only.
#pragma once

#include "services/history/history_record.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace pm {

// The file's name inside appDataDir().
inline constexpr const wchar_t* HistoryFileName = L"history.log";
// The longest text or detail a record may carry, in UTF-16 units: a longer one drops the whole record.
inline constexpr std::size_t MaxHistoryTextUnits = 8192;

// The record's line for the given Unix time, without its line end: "@PM-HISTORY-1", TAB and a JSON object
// of 14 members. A text found in the message catalog is stored by its id. Throws "history bounds" for a
// time outside 1..253402300799 or a text or detail longer than 8192 units.
std::string formatHistoryRecord(const HistoryRecord& record, std::int64_t time);

// Appends the record with the current time. Every failure drops the record silently.
void appendHistory(const HistoryRecord& record) noexcept;

// Appends a message record with this text (stored by its catalog id when it has one).
void appendHistoryMessage(const std::wstring& text) noexcept;

}  // namespace pm
