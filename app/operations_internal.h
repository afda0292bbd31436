// Pieces of the scan and clean-up operations, for tests.
#pragma once

#include "app/operations.h"
#include "engine/scan_types.h"

#include <functional>
#include <string>
#include <thread>

namespace pm {

// The worker bodies with the progress callback they hand to the engine.
void runScanWorkerWith(const ProgressCallback& progress);
void runCleanWorkerWith(CleanRequest request, const ProgressCallback& progress);

// How the starters make the worker thread: std::thread itself, or for tests one that fails as a system
// without threads to spare does.
using WorkerThreadMaker = std::thread (*)(std::function<void()> body);
extern WorkerThreadMaker makeWorkerThread;

// The first question of a clean-up and the Recycle Bin question, in the current language.
std::wstring cleanConfirmationText();
std::wstring recycleBinQuestionText();

}  // namespace pm
