// Reading back what the program appended to the real history file.
#pragma once

#include "services/history/message_catalog.h"
#include "services/json/json.h"
#include "tests/support/app_driver.h"

#include <string>
#include <vector>

namespace pm::test {

// The record object of one history line, or a null value when the line is not a record.
inline JsonValue historyObject(const std::string& line) {
    const std::string prefix = "@PM-HISTORY-1\t";
    if (line.compare(0, prefix.size(), prefix) != 0) return {};
    try {
        return parseJson(line.substr(prefix.size()));
    } catch (...) {
        return {};
    }
}

// The records appended after the first `before` lines.
inline std::vector<JsonValue> historyObjectsAfter(size_t before) {
    std::vector<JsonValue> records;
    const std::vector<std::string> lines = readHistoryLines();
    for (size_t i = before; i < lines.size(); ++i) records.push_back(historyObject(lines[i]));
    return records;
}

// A counter of a record (stored as a decimal string); -1 when missing, -2 when not a number.
inline int64_t historyCounter(const JsonValue& record, const char* key) {
    try {
        return std::stoll(jsonGetString(record, key, "-1"));
    } catch (...) {
        return -2;
    }
}

// "kind files bytes skipped errors" of a record, to compare in one line.
inline std::string historyCounters(const JsonValue& record) {
    std::string text = jsonGetString(record, "kind", "?");
    // Appended piece by piece: GCC 12 takes " " + a temporary string for an overlapping copy (its bug 105329,
    // a false -Wrestrict).
    for (const char* key : {"files", "bytes", "skipped", "errors"}) {
        text += ' ';
        text += std::to_string(historyCounter(record, key));
    }
    return text;
}

inline std::string catalogId(const wchar_t* russian) {
    const MessageCatalogRow* row = findCatalogMessage(russian);
    return row ? row->id : std::string();
}

}  // namespace pm::test
