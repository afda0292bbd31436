// Pieces of the scan and clean-up operations, for tests.
#pragma once

#include "app/operations.h"
#include "engine/scan_types.h"

#include <string>

namespace pm {

// The worker bodies with the progress callback they hand to the engine.
void runScanWorkerWith(const ProgressCallback& progress);
void runCleanWorkerWith(CleanRequest request, const ProgressCallback& progress);

// The first question of a clean-up and the Recycle Bin question, in the current language.
std::wstring cleanConfirmationText();
std::wstring recycleBinQuestionText();

}  // namespace pm
