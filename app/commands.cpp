#include "app/commands.h"

#include "app/control_ids.h"
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

// By control id from ThemeSystem and from AccentFirst.
constexpr const char* ThemeNames[] = {"system", "light", "dark"};
constexpr const char* PaletteNames[] = {"emerald", "blue", "violet", "amber", "rose", "teal"};

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
    case control::NavCleanPc:
        showPage(0);
        break;
    case control::NavDiskSpace:
    case control::Details:
        driveList = listDrives();
        showPage(1);
        break;
    case control::NavHelp:
        showPage(2);
        break;
    case control::NavWebSite:
        // Nothing to report when no browser opens: the user sees it.
        ShellExecuteW(ui::mainWindow, L"open", WebSiteAddress, nullptr, nullptr, SW_SHOWNORMAL);
        return;
    case control::NavSettings:
        showPage(3);
        break;
    case control::StartScan:
        startScan();
        return;
    case control::Clean:
        startClean();
        return;
    case control::Cancel:
        cancelOperation();
        break;
    case control::ViewFiles:
        openPreviewWindow();
        return;
    case control::CategoryTemp:
    case control::CategoryBrowser:
    case control::CategoryRecycleBin:
        // In memory only: every start selects temporary files and browser caches again.
        cleanSelection[static_cast<size_t>(id - control::CategoryTemp)] =
            !cleanSelection[static_cast<size_t>(id - control::CategoryTemp)];
        break;
    case control::CloseBrowsers:
        toggleOption(id, ui::currentSettings.close_browsers);
        break;
    case control::SkipLocked:
        toggleOption(id, ui::currentSettings.skip_locked);
        break;
    case control::OpenHistory:
        openHistoryWindow();
        return;
    case control::DesktopWidget:
        ui::currentSettings.widget_enabled = !ui::currentSettings.widget_enabled;
        saveSettingsOrReport();
        syncDesktopWidget();
        break;
    case control::FindLargeFiles:
        openLargeFilesWindow();
        return;
    case control::ThemeSystem:
    case control::ThemeLight:
    case control::ThemeDark:
        changeLook(ui::currentSettings.theme, ThemeNames[id - control::ThemeSystem]);
        break;
    case control::AccentFirst:
    case control::AccentFirst + 1:
    case control::AccentFirst + 2:
    case control::AccentFirst + 3:
    case control::AccentFirst + 4:
    case control::AccentLast:
        changeLook(ui::currentSettings.palette, PaletteNames[id - control::AccentFirst]);
        break;
    default:
        break;  // the opacity slider (it reports through WM_HSCROLL) and unknown ids only lay out again
    }
    layoutMainControls();
}

}  // namespace pm
