#include "app/commands.h"

#include "app/desktop_widget.h"
#include "app/exit_and_tray.h"
#include "app/history_window.h"
#include "app/large_files_window.h"
#include "app/main_layout.h"
#include "app/operations.h"
#include "app/preview_window.h"
#include "app/shell_globals.h"
#include "engine/drives.h"
#include "ui/control_registry.h"
#include "ui/shell_state.h"
#include "ui/theme.h"

#include <shellapi.h>

#include <string>

namespace pm {

namespace {

// The maker's site. The product has none of its own yet: a reserved name that can never lead a user to
// somebody else's site.
constexpr const wchar_t* WebSiteAddress = L"https://pelmirt.example/";

constexpr const char* ThemeNames[] = {"system", "light", "dark"};                          // ids 160..162
constexpr const char* PaletteNames[] = {"emerald", "blue", "violet", "amber", "rose", "teal"};  // ids 170..175

void showPage(int page) {
    currentPage = page;
}

void cancelOperation() {
    cancelRequested = true;
    progressText = operationPhase == PhaseCleaning ? L"Отмена… уже удалённые файлы не восстанавливаются."
                                                   : L"Отмена…";
}

// Switches 128 and 129: saved at once and announced, so accessibility tools hear the new state.
void toggleOption(int id, bool& setting) {
    setting = !setting;
    saveSettingsOrReport();
    const auto control = ui::controlRegistry.find(id);
    if (control != ui::controlRegistry.end() && control->second) {
        NotifyWinEvent(EVENT_OBJECT_STATECHANGE, control->second, OBJID_CLIENT, CHILDID_SELF);
    }
}

// Theme and accent: saved, applied here, and spread to every other window.
void changeLook(std::string& setting, const char* value) {
    setting = value;
    saveSettingsOrReport();
    ui::applyTheme();
    broadcastSettingsChanged();
}

}  // namespace

void onCommand(int id) {
    switch (id) {
    case 101:
        showPage(0);
        break;
    case 102:
    case 124:
        driveList = listDrives();
        showPage(1);
        break;
    case 103:
        showPage(2);
        break;
    case 104:
        // Nothing to report when no browser opens: the user sees it.
        ShellExecuteW(ui::mainWindow, L"open", WebSiteAddress, nullptr, nullptr, SW_SHOWNORMAL);
        return;
    case 105:
        showPage(3);
        break;
    case 120:
        startScan();
        return;
    case 121:
        startClean();
        return;
    case 122:
        cancelOperation();
        break;
    case 123:
        openPreviewWindow();
        return;
    case 125:
    case 126:
    case 127:
        // In memory only: every start selects temporary files and browser caches again.
        cleanSelection[static_cast<size_t>(id - 125)] = !cleanSelection[static_cast<size_t>(id - 125)];
        break;
    case 128:
        toggleOption(id, ui::currentSettings.close_browsers);
        break;
    case 129:
        toggleOption(id, ui::currentSettings.skip_locked);
        break;
    case 136:
        openHistoryWindow();
        return;
    case 139:
        ui::currentSettings.widget_enabled = !ui::currentSettings.widget_enabled;
        saveSettingsOrReport();
        syncDesktopWidget();
        break;
    case 141:
        openLargeFilesWindow();
        return;
    case 160:
    case 161:
    case 162:
        changeLook(ui::currentSettings.theme, ThemeNames[id - 160]);
        break;
    case 170:
    case 171:
    case 172:
    case 173:
    case 174:
    case 175:
        changeLook(ui::currentSettings.palette, PaletteNames[id - 170]);
        break;
    default:
        break;  // 140 (the slider reports through WM_HSCROLL) and unknown ids only lay out again
    }
    layoutMainControls();
}

}  // namespace pm
