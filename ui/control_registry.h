// The main window's child controls by id: each control's window, its untranslated text and its
// layout rectangle, so that a language change can re-text every control and layout and painting can
// find them by id; plus the hover and press state of the owner-drawn buttons. UI thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

namespace pm::ui {

// The language combo box: its items are language names, never re-translated as a control text.
inline constexpr int LanguageComboId = 180;

struct ButtonState {
    uint8_t hover = 0;    // the pointer is over the button
    uint8_t pressed = 0;  // held down by the mouse or the keyboard
    // 0..1, eased toward their targets by the main window's animation timer.
    float hoverAmount = 0;
    float pressAmount = 0;
    float switchPosition = 0;
};

// Control id -> window (null when creating it failed). Ordered by id.
extern std::map<int, HWND> controlRegistry;
// Control id -> the Russian source text given at creation.
extern std::map<int, std::wstring> controlTexts;
// Control id -> rectangle in device pixels, from setControlBounds.
extern std::map<int, RECT> controlBounds;
// Control id -> button state, created zeroed on first use, erased when the button is destroyed.
extern std::map<int, ButtonState> buttonStates;

// Creates a child of the main window with the translated text, sized later by the layout, and
// registers it even when creation fails. A "BUTTON" gets customButtonProc.
void createControl(int id, const wchar_t* text, const wchar_t* className, DWORD style);
// Stores the DIP rectangle in device pixels at the layout scale (v * scale + 0.5, truncated; width
// and height rounded on their own). Only for registered ids.
void setControlBounds(int id, float x, float y, float w, float h);
// EnableWindow only when the state really changes, so no needless WM_ENABLE repaint happens.
void setControlEnabled(int id, bool enabled);
// Fills combo 180 with "detect automatically" and the languages' own names; selects the setting.
void fillLanguageCombo();
// Re-texts the tray tip and every registered control but combo 180 in the current language.
void applyLanguageToControls();

// The large-files list view (id 9206 of the given window).
inline constexpr int LargeFilesListId = 9206;
// Titles of the large-files list's two columns (0 full path, 1 size), the sorted one with an arrow:
// " \u2191" ascending, " \u2193" descending.
void setLargeListColumns(HWND window, int sortColumn, bool ascending);

}  // namespace pm::ui
