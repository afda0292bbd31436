// The ids of the main window's child controls, in their creation (and tab) order's groups.
#pragma once

#include "ui/control_registry.h"

namespace pm::control {

enum Id : int {
    NavCleanPc = 101,
    NavDiskSpace = 102,
    NavHelp = 103,
    NavWebSite = 104,
    NavSettings = 105,
    StartScan = 120,
    Clean = 121,
    Cancel = 122,
    ViewFiles = 123,
    Details = 124,
    CategoryTemp = 125,  // CategoryTemp + i is the card of CleanCategory i
    CategoryBrowser = 126,
    CategoryRecycleBin = 127,
    CloseBrowsers = 128,
    SkipLocked = 129,
    OpenHistory = 136,
    DesktopWidget = 139,
    WidgetOpacity = 140,
    FindLargeFiles = 141,
    ThemeSystem = 160,  // ThemeSystem + i: "system", "light", "dark"
    ThemeLight = 161,
    ThemeDark = 162,
    AccentFirst = 170,  // AccentFirst + i: emerald, blue, violet, amber, rose, teal
    AccentLast = 175,
    LanguageCombo = ui::LanguageComboId,
};

}  // namespace pm::control
