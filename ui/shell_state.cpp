#include "ui/shell_state.h"

namespace pm::ui {

HWND mainWindow = nullptr;
HINSTANCE appInstance = nullptr;
HWND widgetWindow = nullptr;
std::vector<HWND> hiddenWithMain;

uint32_t modalDepth = 0;
bool destroying = false;
bool exitPending = false;
bool hidePending = false;
bool hiddenToTray = false;

bool trayVersion4 = false;
bool trayIconAdded = false;
bool balloonShown = false;
bool animationTimerRunning = false;

float layoutScale = 1.0f;
HFONT mainFontRegular = nullptr;

uint64_t uiGeneration = 1;

AppSettings currentSettings;

}  // namespace pm::ui
