// How worker threads report to the main window: each message carries a heap record that the receiving
// handler owns; a record that cannot be posted is destroyed by the poster.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
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

// Posts WM_APP+5 with the text as a completion record (see postCompletion).
void postWorkerError(std::wstring* text);

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
