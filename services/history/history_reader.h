// Reading "history.log" back: strict record lines, older free-text entries, and the whole file as one
// text in the current language.
#pragma once

#include "services/history/history_record.h"

#include <cstdint>
#include <string>

namespace pm {

// True only for a valid record line (without its line end); record and time then hold what it says.
// Never throws.
bool parseHistoryRecord(const std::string& line, HistoryRecord& record, std::int64_t& time) noexcept;

// "Skipped: N", separator, "Errors: N" in the current language.
std::wstring formatSkippedErrors(const HistoryRecord& record, const std::wstring& separator);

// The record as a sentence or two in the current language, its detail appended verbatim.
std::wstring renderHistoryText(const HistoryRecord& record);

// The whole file as the history window shows it, with CR LF line ends. Every byte of the file shows up:
// what is neither a record nor a recognised older entry is shown as stored.
std::wstring renderHistoryLog(const std::string& bytes);

// Renders the pending entry (lines with their line ends) onto output, if there is one, and empties it.
void flushHistoryEntry(std::string& pending, std::wstring& output);

}  // namespace pm
