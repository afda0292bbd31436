// One entry of the operation history, as the writer stores it and the reader gives it back.
#pragma once

#include <cstdint>
#include <string>

namespace pm {

// Stored by name; other values may reach a record and are written as "message".
enum class HistoryKind : std::int32_t {
    Scan = 0,
    Cleanup = 1,
    LargeSearch = 2,
    Recycle = 3,
    Message = 4,
};

struct HistoryRecord {
    HistoryKind kind = HistoryKind::Message;
    std::uint64_t files = 0;      // scanned, deleted, found or moved
    std::uint64_t bytes = 0;      // found, freed or moved
    std::uint64_t skipped = 0;
    std::uint64_t errors = 0;
    bool cancelled = false;
    bool recycle_emptied = false;  // clean-up only
    bool truncated = false;        // large-file search only: the result list hit its limit
    bool counters_known = true;    // skipped and errors mean something
    std::wstring text;             // main text; for a message record the message itself
    std::wstring detail;           // shown verbatim after the rendered text
    bool free_text = false;        // text is stored as it is, never as a catalog id (set by the reader)
};

}  // namespace pm
