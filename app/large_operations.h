// The large-file tool's two operations on the shell's worker thread: the search and the move to the
// Recycle Bin, with the records their workers post back and the handlers that receive them.
#pragma once

#include "engine/large/large_search.h"
#include "engine/large/recycle.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace pm {

// WM_APP+6.
struct LargeSearchReport {
    HWND window = nullptr;  // the large-files window that asked
    large::LargeSearchResult result;
};

// WM_APP+7.
struct RecycleReport {
    HWND window = nullptr;
    uint64_t recycled = 0;
    uint64_t bytesRecycled = 0;
    uint64_t skipped = 0;
    uint64_t failed = 0;
    bool cancelled = false;
    std::vector<large::RecycleOutcome> outcomes;
};

// Start the worker; the caller has already set the shell busy for the window.
void startLargeSearch(HWND window, large::LargeSearchOptions options);
void recycleLarge(HWND window, large::LargeSearchResult result, std::vector<uint64_t> indices);

// The worker bodies: run the engine, post the report to the main window (a fixed failure report when an
// exception leaves the engine or the post).
void runLargeSearchWorker(HWND window, const large::LargeSearchOptions& options, const ProgressCallback& progress);
void runRecycleWorker(HWND window, const large::LargeSearchResult& result, const std::vector<uint64_t>& indices,
                      const ProgressCallback& progress);

// WM_APP+7's handler body.
void finishRecycleLarge(RecycleReport& report);

}  // namespace pm
