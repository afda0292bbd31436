// The shell's own state: file-scope globals of the UI thread that every window of the application reads
// and writes. The part of the window state the toolkit needs too (the main window, the modal depth, the
// tray flags, the current settings...) lives in ui/shell_state.h.
#pragma once

#include "engine/drives.h"
#include "engine/scan_types.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace pm {

// What an operation is doing; operationPhase holds one of these.
enum OperationPhase : int {
    PhaseIdle = 0,
    PhaseScanning = 1,
    PhaseCleaning = 2,
    PhaseSearchingLarge = 5,
    PhaseRecyclingLarge = 6,
};

extern bool smokeQuit;                       // "--smoke-quit" was given
extern UINT taskbarCreatedMessage;           // id of "TaskbarCreated", 0 when registration failed
extern ULONG_PTR gdiplusToken;

extern std::thread workerThread;             // the one worker slot of all long operations
extern std::atomic<bool> cancelRequested;    // shared with the worker
extern bool busy;
extern int operationPhase;
extern HWND operationOwner;                  // the large-files window whose operation runs
extern bool analysisPresent;
extern ScanReport scanReport;                // result of the last scan
extern std::array<bool, 3> cleanSelection;   // by CleanCategory

extern uint32_t lastOperationKind;           // 0 none or error, 1 scan, 2 clean, 3 move to the Recycle Bin
extern uint64_t lastFiles;                   // files moved by the last move to the Recycle Bin
extern uint64_t lastSkipped;
extern uint64_t lastErrors;
extern uint64_t lastBytes;
extern bool lastCancelled;
extern int64_t lastOperationTime;            // _time64 of the last scan completion

extern uint64_t progressDone;
extern uint64_t progressTotal;               // 0: no total
extern float shownProgress;                  // fraction drawn by the progress bar
extern float ringAngle;                      // busy ring, degrees
extern double gaugeFrom;
extern double gaugeTo;
extern double gaugeValue;
extern uint64_t gaugeStart;                  // tick of the transition's start
extern uint64_t gaugeDuration;               // ms, 0: no transition

// Texts are kept as their untranslated source where they are fixed phrases; painters translate.
extern std::wstring statusText;
extern std::wstring progressText;
extern std::wstring lastResultText;
extern std::wstring statusLine;

extern std::vector<DriveInfo> driveList;     // drives shown by the disk page and the widget
extern std::vector<HWND> previewWindows;
extern std::vector<HWND> historyWindows;
extern HWND largeFilesWindow;

extern bool exitAfterOperation;              // an exit was confirmed while an operation ran
extern bool exitQuestionOpen;

// The state file existed but could not be read when the main window was created: automatic saves
// (the refresh timer, the exit) leave it alone until the user changes a setting, which lifts the hold
// whether or not its own save succeeds.
extern bool stateFileHeld;

extern int32_t clientWidth;                  // last client size of the main window
extern int32_t clientHeight;
extern int currentPage;                      // 0 Clean PC, 1 Disk space, 2 Help, 3 Settings
extern float dpiScale;                       // DPI / 96 (the layout scale is ui::layoutScale)

}  // namespace pm
