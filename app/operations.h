// The scan and the clean-up as operations of the window: their starters, the worker bodies, and the join.
#pragma once

#include <cstdint>

namespace pm {

// Starts a scan on the worker thread (silently nothing while busy, exiting or a box is open).
void startScan();
// Asks the clean-up questions, then starts the clean-up of the analysis on the worker thread.
void startClean();
// Joins a finished worker and returns the shell to idle.
void joinWorker();
// Bytes of the analysis in the categories selected for the clean-up.
uint64_t selectedCategoryBytes();

}  // namespace pm
