// The resolved colours of the whole interface: light or dark, one of six accent palettes, the
// system's high-contrast colours laid over them. Painters read colours by role from `theme`.
#pragma once

#include <windows.h>

#include <cstdint>

namespace pm::ui {

using Argb = std::uint32_t;  // 0xAARRGGBB

struct Theme {
    bool dark = false;
    Argb background = 0xFF000000;
    Argb navBackground = 0xFF000000;
    Argb card = 0xFF000000;
    Argb surface = 0xFF000000;
    Argb text = 0xFF000000;
    Argb mutedText = 0xFF000000;
    Argb border = 0xFF000000;
    Argb accent = 0xFF000000;
    Argb accentText = 0xFF000000;
    Argb accentSoft = 0xFF000000;
    Argb onAccent = 0xFF000000;
    Argb navText = 0xFF000000;
    Argb navMutedText = 0xFF000000;
    bool highContrast = false;
    bool reduceMotion = false;
    // Owned; recreated by every applyTheme, deleted at shut-down (deleteThemeBrushes).
    HBRUSH cardBrush = nullptr;
    HBRUSH backgroundBrush = nullptr;
    HBRUSH surfaceBrush = nullptr;
};

// The one theme; valid after the first applyTheme. UI thread only.
extern Theme theme;

// ARGB to GDI: red and blue swapped, alpha dropped.
constexpr COLORREF toColorRef(Argb argb) {
    return static_cast<COLORREF>(((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16));
}

// Per channel a + (b - a) * t, truncated; t clamped to 0..1; alpha always FF.
Argb mixColor(Argb a, Argb b, float t);

// Recomputes the theme from the current settings and the system, then repaints the main window and
// its controls.
void applyTheme();
// Dark title bar when the theme is dark and not high contrast; null means the main window.
void applyTitleBarTheme(HWND window);
// Deletes the three brushes (shut-down).
void deleteThemeBrushes();

}  // namespace pm::ui
