// The large-files window's record and the pieces of the window that its source files share: the
// controls, the list, the painter and the enabling rules. UI thread only.
#pragma once

#include "app/large_files_window.h"
#include "engine/large/large_search.h"
#include "engine/large/recycle.h"
#include "ui/back_buffer.h"
#include "ui/window_focus.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pm {

inline constexpr wchar_t LargeFilesClass[] = L"PelmirtLargeFiles";

enum LargeFilesControl : int {
    FolderComboId = 9201,
    ChooseFolderButtonId = 9202,
    MinimumEditId = 9203,
    SearchButtonId = 9204,
    CancelButtonId = 9205,
    FileListId = 9206,
    RecycleButtonId = 9207,
    OpenFolderButtonId = 9208,
};

// The window's state, attached as its creation parameter (GWLP_USERDATA) and freed on WM_NCDESTROY
// once the window owns it (created).
struct LargeFilesData {
    float scale = 1.0f;      // device pixels per DIP: min(client width / 900, client height / 560, dpiScale)
    float dpiScale = 1.0f;   // the window's DPI / 96
    HFONT font = nullptr;    // the controls' font (owned)
    bool created = false;
    bool closeWhenDone = false;  // closed during its own operation: the completion destroys it
    bool searched = false;
    bool updatingList = false;   // selection notifications are ignored while the sort rewrites them
    bool painting = false;
    uint64_t lastGeneration = 0;
    int sortColumn = 1;          // 0 full path, 1 size
    bool ascending = false;
    large::LargeSearchResult result;
    std::vector<uint64_t> rows;  // row i shows result.files[rows[i]]
    std::wstring displayText;    // what LVN_GETDISPINFOW points at, until the next request
    ui::BackBuffer frame;
    std::array<ui::BackBuffer, 2> headerBuffers;
    ui::BackBufferMap controlBuffers;
    ui::FocusMemory focus{CancelButtonId};  // Cancel takes the focus from a control its operation disables

    // The last move to the Recycle Bin.
    std::vector<uint8_t> moved;  // per result file: moved to the Recycle Bin
    uint64_t recycled = 0;
    uint64_t bytesRecycled = 0;
    uint64_t recycleSkipped = 0;
    uint64_t recycleFailed = 0;
    bool recycleCancelled = false;
    std::vector<large::RecycleOutcome> outcomes;
};

// The record of the window, or null before WM_NCCREATE and after WM_NCDESTROY.
LargeFilesData* largeFilesData(HWND window);
// Releases the buffers, the font, and frees the record.
void destroyLargeFilesData(LargeFilesData* data);

LRESULT CALLBACK largeFilesWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void layoutLargeFilesWindow(HWND window);
void applyLargeFilesTheme(HWND window);

// Renders the frame buffer when the UI generation moved or the buffer was rebuilt.
void paintLargeFiles(HWND window, LargeFilesData& data);
// WM_DRAWITEM of the owner-drawn buttons; TRUE when drawn.
LRESULT drawLargeFilesButton(HWND window, LargeFilesData& data, const DRAWITEMSTRUCT& item);
// NM_CUSTOMDRAW of the list's header.
LRESULT drawLargeFilesHeader(HWND window, LargeFilesData& data, NMCUSTOMDRAW& draw);

// The result indices behind the selected rows, in row order.
std::vector<uint64_t> selectedLargeFiles(HWND window, const LargeFilesData& data);
// Clears the selected and focused state of every row.
void clearLargeListSelection(HWND window);
// Sorts rows by the record's column and direction and selects the rows of keep (or of the current
// selection when keep is not given).
void sortLargeList(HWND window, LargeFilesData& data, const std::optional<std::vector<uint64_t>>& keep);
void onLargeListColumnClick(HWND window, LargeFilesData& data, int column);
// LVN_GETDISPINFOW: the path (after a left-to-right mark) or the size of one row.
void fillLargeListItem(LargeFilesData& data, NMLVDISPINFOW& info);

// Commands of the window's buttons.
void onLargeSearchCommand(HWND window);
void onLargeRecycleCommand(HWND window);
void onLargeCancelCommand(HWND window);
void chooseLargeSearchFolder(HWND window);
void openSelectedFolder(HWND window);

// The enabling rules (updateLargeFilesControlsIfReady is in large_files_window.h).
void updateLargeFilesControls(HWND window);

// The shell may start a new operation from this window: nothing runs, no exit is asked for or waiting.
bool largeFilesIdle();

}  // namespace pm
