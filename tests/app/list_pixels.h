// Report list rows as the list really draws them: the list printed into a DIB section and read back.
#pragma once

#include "tests/ui/draw_support.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>

namespace pm::test {

// Selects the row alone (not focused, so no focus rectangle is drawn on it).
inline void selectRow(HWND list, int row) {
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// The share of the row's pixels inside the list's client area that have the colour (0xRRGGBB).
inline double rowShare(HWND list, int row, uint32_t rgb) {
    RECT client{};
    GetClientRect(list, &client);
    RECT bounds{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
    Dib dib(client.right, client.bottom, 0xFFFF00FF);
    SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.dc()), PRF_CLIENT | PRF_ERASEBKGND);
    int hits = 0, total = 0;
    for (LONG y = std::max(bounds.top, 0L); y < std::min(bounds.bottom, client.bottom); ++y) {
        for (LONG x = std::max(bounds.left, 0L); x < std::min(bounds.right, client.right); ++x) {
            ++total;
            hits += dib.rgb(x, y) == (rgb & 0xFFFFFF);
        }
    }
    return total ? static_cast<double>(hits) / total : 0.0;
}

}  // namespace pm::test
