// Pieces of theme.cpp that tests reach directly.
#pragma once

#include "ui/theme.h"

#include <string>

namespace pm::ui::detail {

// The palette's accent by exact name; any other name gives emerald's.
Argb paletteAccent(const std::string& palette);
// "dark" is dark, "system" follows AppsUseLightTheme, anything else is light. Exact comparison.
bool themeIsDark(const std::string& themeSetting);
// True only when HKCU ...\Themes\Personalize AppsUseLightTheme reads 0.
bool systemAppsUseDark();
// The 13 colour roles for the mode and accent, with the high-contrast overrides when asked for.
void fillThemeColours(Theme& out, bool dark, Argb accent, bool highContrast);

}  // namespace pm::ui::detail
