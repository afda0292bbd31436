// The history window's record and pieces, for its own sources and for tests.
#pragma once

#include "ui/back_buffer.h"
#include "ui/window_focus.h"

#include <windows.h>

#include <cstddef>
#include <string>

namespace pm {

// One history window's state: allocated by the opener, owned by the window once created is set.
struct HistoryData {
    float scale = 1.0f;        // the window's DPI / 96
    HFONT font = nullptr;      // the EDIT's font (owned)
    bool created = false;      // the window owns the record
    bool tail = false;         // the text shows only the newest part of the history
    std::wstring shownText;    // what was last put into the EDIT
    ui::BackBuffer frame;
    ui::FocusMemory focus;     // the EDIT has the focus again when the window is back
};

inline constexpr int HistoryEditId = 1;
// At most this much of the end of the file is read.
inline constexpr std::size_t HistoryTailBytes = 0x200000;
// The EDIT never holds more characters than this.
inline constexpr std::size_t HistoryTextLimit = 0x200000;

// The history file as the window shows it: the rendered text, or one of the two notices.
struct HistoryText {
    std::wstring text;
    bool tail = false;  // only the end of the file (or of its rendering) is shown
};

// Reads history.log from path: the whole file up to 2 MiB, else its last 2 MiB from the first whole
// line, rendered in the current language and cut to HistoryTextLimit characters. Never throws.
HistoryText readHistoryText(const std::wstring& path);

// Keeps at most limit characters of the text's end, starting at a line start (or, in one line longer
// than the limit, at a character). False when the text was already short enough.
bool keepNewestLines(std::wstring& text, std::size_t limit);

HistoryData* historyData(HWND window);
// The window's read-only EDIT: in a right-to-left language aligned right, reading right to left and
// wrapping its lines (ES_RIGHT, WS_EX_RTLREADING, no horizontal scrolling); otherwise as the window's
// style has it, left-aligned and scrolling sideways. Laid out at once.
HWND createHistoryEdit(HWND window);
// The EDIT was made for a right-to-left language.
bool historyEditIsRightToLeft(HWND edit);
LRESULT CALLBACK historyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Title, font and text of the window; the handler of WM_APP+20.
void loadHistoryView(HWND window);
void layoutHistoryWindow(HWND window);
void paintHistory(HWND window, HistoryData& data);

}  // namespace pm
