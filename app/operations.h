// The scan and the clean-up as operations of the window: their starters, the worker bodies, and the join.
#pragma once

#include "engine/clean_types.h"
#include "engine/scan_types.h"
#include "services/state/app_settings.h"

#include <cstdint>

namespace pm {

// What the clean-up worker owns for its whole run: copies made on the UI thread when it starts.
struct CleanRequest {
    ScanReport report;
    CleanSelection selection{};
    bool closeBrowsers = false;  // the user agreed to ask the browsers to close
    AppSettings settings;        // skip_locked becomes the clean pass's locked-file policy
};

// Starts a scan on the worker thread (silently nothing while busy, exiting or a box is open).
void startScan();
// Asks the clean-up questions, then starts the clean-up of the analysis on the worker thread.
void startClean();
// Joins a finished worker and returns the shell to idle.
void joinWorker();
// The fixed failure phrase of the running scan or clean-up (the scan's when neither runs).
const wchar_t* operationFailureText();
// Bytes of the analysis in the categories selected for the clean-up.
uint64_t selectedCategoryBytes();

// Worker bodies: each ends by posting its completion message (WM_APP+2 / +3, or WM_APP+5).
void runScanWorker();
void runCleanWorker(CleanRequest request);

}  // namespace pm
