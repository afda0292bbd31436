#include "app/large_files_data.h"
#include "app/large_files_internal.h"

#include "app/drive_label.h"
#include "app/format_bytes.h"
#include "app/shell_globals.h"
#include "ui/control_registry.h"

#include <commctrl.h>

#include <algorithm>
#include <unordered_set>

namespace pm {

namespace detail {

int compareFoldedAscii(const std::wstring& a, const std::wstring& b) {
    // What _wcsicmp does in the C locale (the program never sets another): A to Z fold to a to z, every
    // other unit compares as it is. Inline, it sorts paths several times faster than the CRT call.
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        wchar_t x = a[i], y = b[i];
        if (x == y) continue;
        if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x + 32);
        if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y + 32);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool largeRowBefore(const large::LargeFileEntry& a, const large::LargeFileEntry& b, int sortColumn,
                    bool ascending) {
    const large::LargeFileEntry& x = ascending ? a : b;  // descending reverses the whole order
    const large::LargeFileEntry& y = ascending ? b : a;
    if (sortColumn == 1) {
        if (x.size != y.size) return x.size < y.size;
    } else if (const int folded = compareFoldedAscii(x.path, y.path); folded != 0) {
        return folded < 0;
    }
    // Code units of the common part, then the shorter path first: std::wstring's own order.
    return x.path.compare(y.path) < 0;
}

}  // namespace detail

void clearLargeListSelection(HWND window) {
    HWND list = GetDlgItem(window, FileListId);
    if (!list) return;
    // Item -1 would do it in one message, but Wine 8 walks every item of a virtual list for it (12 s for
    // 100,000 rows); clearing the selected and the focused rows one by one ends in the same state.
    std::vector<int> rows;
    if (SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0) {
        int row = -1;
        while ((row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                    MAKELPARAM(LVNI_SELECTED, 0)))) >= 0)
            rows.push_back(row);
    }
    const int focused = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                      MAKELPARAM(LVNI_FOCUSED, 0)));
    if (focused >= 0) rows.push_back(focused);
    LVITEMW clear{};
    clear.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    for (int row : rows) SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&clear));
}

std::vector<uint64_t> selectedLargeFiles(HWND window, const LargeFilesData& data) {
    std::vector<uint64_t> indices;
    HWND list = GetDlgItem(window, FileListId);
    if (!list) return indices;
    int row = -1;
    while ((row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                MAKELPARAM(LVNI_SELECTED, 0)))) >= 0) {
        if (static_cast<size_t>(row) < data.rows.size()) indices.push_back(data.rows[static_cast<size_t>(row)]);
    }
    return indices;
}

void sortLargeList(HWND window, LargeFilesData& data, const std::optional<std::vector<uint64_t>>& keep) {
    const std::vector<uint64_t> kept = keep ? *keep : selectedLargeFiles(window, data);
    const std::unordered_set<uint64_t> keepSet(kept.begin(), kept.end());
    const auto& files = data.result.files;
    const int column = data.sortColumn;
    const bool ascending = data.ascending;
    std::sort(data.rows.begin(), data.rows.end(), [&](uint64_t a, uint64_t b) {
        return detail::largeRowBefore(files[static_cast<size_t>(a)], files[static_cast<size_t>(b)], column,
                                      ascending);
    });

    HWND list = GetDlgItem(window, FileListId);
    if (list) {
        data.updatingList = true;
        SendMessageW(list, LVM_SETITEMCOUNT, data.rows.size(), LVSICF_NOINVALIDATEALL);
        clearLargeListSelection(window);
        if (!keepSet.empty()) {
            LVITEMW select{};
            select.stateMask = LVIS_SELECTED;
            select.state = LVIS_SELECTED;
            for (size_t row = 0; row < data.rows.size(); ++row) {
                if (keepSet.count(data.rows[row]))
                    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&select));
            }
        }
        data.updatingList = false;
    }
    ui::setLargeListColumns(window, data.sortColumn, data.ascending);
    if (list) InvalidateRect(list, nullptr, FALSE);
}

void onLargeListColumnClick(HWND window, LargeFilesData& data, int column) {
    if (busy) return;
    if (column == data.sortColumn) {
        data.ascending = !data.ascending;
    } else {
        data.sortColumn = column;
        data.ascending = column == 0;  // paths A to Z, sizes largest first
    }
    sortLargeList(window, data, std::nullopt);
}

void fillLargeListItem(LargeFilesData& data, NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (!(item.mask & LVIF_TEXT) || item.iItem < 0 || static_cast<size_t>(item.iItem) >= data.rows.size()) return;
    const uint64_t index = data.rows[static_cast<size_t>(item.iItem)];
    if (index >= data.result.files.size()) return;
    const large::LargeFileEntry& e = data.result.files[static_cast<size_t>(index)];
    data.displayText = item.iSubItem == 1 ? formatBytes(e.size) : listedPath(e.path);
    item.pszText = data.displayText.data();
}

}  // namespace pm
