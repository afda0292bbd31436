// Results of the worker threads, as the main window receives them (each handler owns its LPARAM record).
#pragma once

#include "engine/clean_types.h"

#include <windows.h>

#include <string>

namespace pm {

void onProgressMessage(LPARAM record);      // WM_APP+1: ProgressUpdate
void onScanDone(LPARAM record);             // WM_APP+2: ScanReport
void onCleanDone(LPARAM record);            // WM_APP+3: CleanResult
void onWorkerError(LPARAM record);          // WM_APP+5: WorkerFailure
void onLargeSearchDone(LPARAM record);      // WM_APP+6
void onLargeRecycleDone(LPARAM record);     // WM_APP+7

// Ends the running operation with a failure: idle again, the text (an untranslated fixed phrase) in the
// status and the history, then the waiting exit or a warning box. WM_APP+5 and a worker that could not start.
// With the counters a clean-up reached, the history and the box also say how much it deleted.
void finishWithError(const std::wstring& text, const CleanResult* cleaned = nullptr);

}  // namespace pm
