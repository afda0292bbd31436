// Shared helpers of the history tests.
#pragma once

#include "services/history/history_record.h"

#include <cstdint>
#include <string>

namespace pm::test {

// A record of the kind with its four counters, everything else as a new record has it.
inline HistoryRecord counted(HistoryKind kind, std::uint64_t files, std::uint64_t bytes, std::uint64_t skipped,
                             std::uint64_t errors) {
    HistoryRecord r;
    r.kind = kind;
    r.files = files;
    r.bytes = bytes;
    r.skipped = skipped;
    r.errors = errors;
    return r;
}

// Every field of a record in one line, for comparisons that name what differs.
inline std::wstring describe(const HistoryRecord& r) {
    return L"kind=" + std::to_wstring(static_cast<int>(r.kind)) + L" files=" + std::to_wstring(r.files) +
           L" bytes=" + std::to_wstring(r.bytes) + L" skipped=" + std::to_wstring(r.skipped) +
           L" errors=" + std::to_wstring(r.errors) + L" cancelled=" + std::to_wstring(r.cancelled) +
           L" emptied=" + std::to_wstring(r.recycle_emptied) + L" truncated=" + std::to_wstring(r.truncated) +
           L" known=" + std::to_wstring(r.counters_known) + L" free=" + std::to_wstring(r.free_text) +
           L" text=[" + r.text + L"] detail=[" + r.detail + L"]";
}

}  // namespace pm::test
