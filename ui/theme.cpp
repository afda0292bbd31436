#include "ui/theme.h"

#include "ui/control_registry.h"
#include "ui/shell_state.h"
#include "ui/theme_internal.h"
#include "ui/window_utils.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace pm::ui {

Theme theme;

namespace detail {

namespace {

struct Palette {
    std::string_view name;
    Argb accent;
};

constexpr std::array<Palette, 6> Palettes{{
    {"emerald", 0xFF00864D},
    {"blue", 0xFF236BDD},
    {"violet", 0xFF7C4DD8},
    {"amber", 0xFF9B6008},
    {"rose", 0xFFCA3767},
    {"teal", 0xFF007981},
}};

Argb systemColour(int index) {
    const COLORREF c = GetSysColor(index);
    return 0xFF000000u | (static_cast<Argb>(GetRValue(c)) << 16) | (static_cast<Argb>(GetGValue(c)) << 8) |
           GetBValue(c);
}

}  // namespace

Argb paletteAccent(const std::string& palette) {
    for (const Palette& p : Palettes) {
        if (p.name == palette) return p.accent;
    }
    return Palettes[0].accent;
}

bool systemAppsUseDark() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD value = 1;
    DWORD size = sizeof(value);
    // The value's type is not examined: whatever four bytes it holds decide.
    const LSTATUS status =
        RegQueryValueExW(key, L"AppsUseLightTheme", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && value == 0;
}

bool themeIsDark(const std::string& themeSetting) {
    if (themeSetting == "dark") return true;
    if (themeSetting == "system") return systemAppsUseDark();
    return false;
}

void fillThemeColours(Theme& t, bool dark, Argb a, bool highContrast) {
    if (dark) {
        t.background = 0xFF0D141A;
        t.navBackground = 0xFF0A191D;
        t.card = 0xFF161F27;
        t.surface = 0xFF1C2831;
        t.text = 0xFFE8F0F5;
        t.mutedText = 0xFF98ADBB;
        t.border = 0xFF2E3D49;
        t.accentText = mixColor(a, 0xFFFFFFFF, 0.45f);
        t.accentSoft = mixColor(0xFF161F27, a, 0.18f);
    } else {
        t.background = 0xFFF4F7F9;
        t.navBackground = mixColor(0xFF0A1C1C, a, 0.12f);
        t.card = 0xFFFFFFFF;
        t.surface = 0xFFF8FAFB;
        t.text = 0xFF15222F;
        t.mutedText = 0xFF687B89;
        t.border = 0xFFDFE7EB;
        t.accentText = a;
        t.accentSoft = mixColor(0xFFFFFFFF, a, 0.09f);
    }
    t.accent = a;
    t.onAccent = 0xFFFFFFFF;
    t.navText = 0xFFECF9F4;  // the side bar is dark in both themes
    t.navMutedText = 0xFF92B1AD;
    if (highContrast) {
        const Argb window = systemColour(COLOR_WINDOW);
        const Argb windowText = systemColour(COLOR_WINDOWTEXT);
        t.background = t.card = t.surface = t.navBackground = window;
        t.text = t.mutedText = t.navText = t.navMutedText = t.border = t.accentText = windowText;
        t.accent = systemColour(COLOR_HIGHLIGHT);
        t.onAccent = systemColour(COLOR_HIGHLIGHTTEXT);
        t.accentSoft = t.card;
    }
}

}  // namespace detail

namespace {

void repaintAfterThemeChange() {
    for (const auto& [id, control] : controlRegistry) {
        if (control) invalidateWindow(control, nullptr);
    }
    if (mainWindow) invalidateWindow(mainWindow, nullptr);
}

}  // namespace

Argb mixColor(Argb a, Argb b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    Argb result = 0xFF000000;
    for (int shift : {16, 8, 0}) {
        const float ca = static_cast<float>((a >> shift) & 0xFF);
        const float cb = static_cast<float>((b >> shift) & 0xFF);
        const auto c = static_cast<Argb>(static_cast<int>(ca + (cb - ca) * t)) & 0xFF;
        result |= c << shift;
    }
    return result;
}

void applyTheme() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    contrast.dwFlags = 0;
    SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0);
    theme.highContrast = (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;

    BOOL animation = TRUE;
    SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &animation, 0);
    theme.reduceMotion = !animation || theme.highContrast;

    theme.dark = detail::themeIsDark(currentSettings.theme);
    detail::fillThemeColours(theme, theme.dark, detail::paletteAccent(currentSettings.palette), theme.highContrast);

    deleteThemeBrushes();
    theme.cardBrush = CreateSolidBrush(toColorRef(theme.card));
    theme.backgroundBrush = CreateSolidBrush(toColorRef(theme.background));
    theme.surfaceBrush = CreateSolidBrush(toColorRef(theme.surface));

    applyTitleBarTheme(nullptr);
    repaintAfterThemeChange();
}

void applyTitleBarTheme(HWND window) {
    if (!window) window = mainWindow;
    if (!window) return;
    // Loaded on every call: the export exists only from Windows 10 on, and the call is rare.
    HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!dwm) return;
    using SetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    auto setAttribute =
        reinterpret_cast<SetAttributeFn>(reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
    if (setAttribute) {
        const BOOL darkBar = theme.dark && !theme.highContrast;
        constexpr DWORD UseImmersiveDarkMode = 20;
        setAttribute(window, UseImmersiveDarkMode, &darkBar, sizeof(darkBar));
    }
    FreeLibrary(dwm);
}

void deleteThemeBrushes() {
    for (HBRUSH* brush : {&theme.cardBrush, &theme.backgroundBrush, &theme.surfaceBrush}) {
        if (*brush) DeleteObject(*brush);
        *brush = nullptr;
    }
}

}  // namespace pm::ui
