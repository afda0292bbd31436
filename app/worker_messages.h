// Results of the worker threads, as the main window receives them (each handler owns its LPARAM record).
#pragma once

#include <windows.h>

namespace pm {

void onProgressMessage(LPARAM record);      // WM_APP+1
void onScanDone(LPARAM record);             // WM_APP+2
void onCleanDone(LPARAM record);            // WM_APP+3
void onWorkerError(LPARAM record);          // WM_APP+5
void onLargeSearchDone(LPARAM record);      // WM_APP+6
void onLargeRecycleDone(LPARAM record);     // WM_APP+7

}  // namespace pm
