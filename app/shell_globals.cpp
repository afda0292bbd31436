#include "app/shell_globals.h"

namespace pm {

bool smokeQuit = false;
UINT taskbarCreatedMessage = 0;
ULONG_PTR gdiplusToken = 0;

std::thread workerThread;
std::atomic<bool> cancelRequested{false};
bool busy = false;
int operationPhase = PhaseIdle;
HWND operationOwner = nullptr;
bool analysisPresent = false;
ScanReport scanReport;
std::array<bool, 3> cleanSelection = {true, true, false};

uint32_t lastOperationKind = 0;
uint64_t lastFiles = 0;
uint64_t lastSkipped = 0;
uint64_t lastErrors = 0;
uint64_t lastBytes = 0;
bool lastCancelled = false;
int64_t lastOperationTime = 0;

uint64_t progressDone = 0;
uint64_t progressTotal = 0;
float shownProgress = 0.0f;
float ringAngle = 0.0f;
double gaugeFrom = 0.0;
double gaugeTo = 0.0;
double gaugeValue = 0.0;
uint64_t gaugeStart = 0;
uint64_t gaugeDuration = 0;

std::wstring statusText = L"Готов к анализу";
std::wstring progressText;
std::wstring lastResultText;
std::wstring statusLine = L"Анализ ещё не выполнялся";

std::vector<DriveInfo> driveList;
std::vector<HWND> previewWindows;
std::vector<HWND> historyWindows;
HWND largeFilesWindow = nullptr;

bool exitAfterOperation = false;
bool exitQuestionOpen = false;
bool stateFileHeld = false;

int32_t clientWidth = 1260;
int32_t clientHeight = 790;
int currentPage = 0;
float dpiScale = 1.0f;

}  // namespace pm
