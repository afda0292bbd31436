// How worker threads report to the main window: each message carries a heap record that the receiving
// handler owns; a record that cannot be posted is destroyed by the poster.
#pragma once

#include "engine/clean_types.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace pm {

// The WM_APP+1 record.
struct ProgressUpdate {
    std::wstring label;  // the engine's label: a fixed word or a path
    std::uint64_t done = 0;
    std::uint64_t total = 0;  // 0: the engine does not know the total (a scan)
};

// The engine's progress callback for every operation of the window: at most one WM_APP+1 per 80 ms per
// thread, except that a report with done == total always goes out. Best effort: a failed post drops it.
void postProgress(const std::wstring& label, std::uint64_t done, std::uint64_t total);

// The WM_APP+5 record: the fixed failure text, and for a clean-up the counters it had reached when it
// stopped, so that what was already deleted is still reported.
struct WorkerFailure {
    std::wstring text;
    std::optional<CleanResult> cleaned;
};

// Posts WM_APP+5 with the text (owned from here on) and the counters reached, when given, as a completion
// record (see postCompletion).
void postWorkerError(std::wstring* text, const CleanResult* reached = nullptr);

// Posts a completion message with its record. A full message queue is waited out for up to budgetMs
// (the message would otherwise be lost and the shell left busy for good); a window that is gone is not.
// True when posted; the handler then owns the record.
bool postCompletionRecord(UINT message, LPARAM record, DWORD budgetMs = 5000);

// The typed form: the record is released to the handler when posted, destroyed here otherwise.
template <class Record>
bool postCompletion(UINT message, std::unique_ptr<Record> record, DWORD budgetMs = 5000) {
    if (!postCompletionRecord(message, reinterpret_cast<LPARAM>(record.get()), budgetMs)) return false;
    record.release();
    return true;
}

}  // namespace pm
