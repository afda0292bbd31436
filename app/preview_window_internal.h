// The preview window's record and pieces, for its own sources and for tests.
#pragma once

#include "engine/scan_types.h"
#include "ui/back_buffer.h"
#include "ui/window_focus.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pm {

// One preview window's state: a private copy of the analysis, so later scans leave it alone.
struct PreviewData {
    std::vector<FileEntry> rows;          // the analysis entries, in the report's order
    std::uint64_t recycleBinItems = 0;
    std::uint64_t recycleBinBytes = 0;
    std::wstring displayText;             // what LVN_GETDISPINFOW points at
    HFONT font = nullptr;                 // the list's font (owned)
    float scale = 1.0f;                   // the window's DPI / 96
    bool created = false;                 // the window owns the record
    ui::BackBuffer frame;
    std::array<ui::BackBuffer, 3> headerBuffers;  // one per list-header column
    ui::FocusMemory focus;                // the list has the focus again when the window is back
};

inline constexpr int PreviewListId = 1;

// Rows of the list: one per entry, plus one for the Recycle Bin when it holds items.
int previewRowCount(const PreviewData& data);
// The text of a cell as the list shows it.
std::wstring previewCellText(const PreviewData& data, std::size_t item, int column);

PreviewData* previewData(HWND window);
LRESULT CALLBACK previewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Title, font, colours, column titles and reading direction; the handler of WM_APP+20.
void applyPreviewTheme(HWND window);
void layoutPreviewWindow(HWND window);
void paintPreview(HWND window, PreviewData& data);

}  // namespace pm
