#include "ui/combo_frame.h"

#include "ui/gdi_objects.h"
#include "ui/list_theming.h"
#include "ui/theme.h"

#include <commctrl.h>

#include <algorithm>

namespace pm::ui {

namespace {

void paintComboFrame(HWND combo, HDC dc) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (!GetComboBoxInfo(combo, &info)) return;
    RECT client{};
    GetClientRect(combo, &client);
    if (IsRectEmpty(&client)) return;
    // Made before the DC's state is saved, so it is deleted only after that state, which deselects it,
    // is back.
    const Pen chevron(CreatePen(PS_SOLID, 1, toColorRef(theme.mutedText)));
    const SavedDcState saved(dc);
    if (!saved) return;
    // The edit field paints itself; a combo has no WS_CLIPCHILDREN, so it is left out by hand. A drop-down
    // list has no edit field: its selection field is left out instead, where an owner-drawn combo's owner
    // has just drawn the entry.
    RECT field = info.rcItem;
    // Under Wine the selection field's outer pixel ring lies outside what the owner draws and stays in the
    // system's light window colour: it is painted over too.
    if (!info.hwndItem) InflateRect(&field, -1, -1);
    if (info.hwndItem) {
        GetWindowRect(info.hwndItem, &field);
        MapWindowPoints(HWND_DESKTOP, combo, reinterpret_cast<POINT*>(&field), 2);
    }
    ExcludeClipRect(dc, field.left, field.top, field.right, field.bottom);
    fillSolid(dc, client, theme.card);
    if (const SolidBrush border(CreateSolidBrush(toColorRef(theme.border))); border)
        FrameRect(dc, &client, border.get());
    const RECT& button = info.rcButton;
    if (chevron && !IsRectEmpty(&button)) {
        // A 45° chevron 4b + 1 pixels wide and 2b + 1 high at the button's centre.
        const int b = std::max<int>((button.right - button.left) / 8, 1);
        const int x = (button.left + button.right) / 2;
        const int y = (button.top + button.bottom) / 2;
        SelectObject(dc, chevron.get());
        MoveToEx(dc, x - 2 * b, y - b, nullptr);
        LineTo(dc, x, y + b);
        LineTo(dc, x + 2 * b + 1, y - b - 1);  // LineTo leaves out its last pixel
    }
}

}  // namespace

LRESULT CALLBACK comboFrameProc(HWND combo, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(combo, comboFrameProc, ComboFrameSubclassId);
        return DefSubclassProc(combo, message, wParam, lParam);
    }
    const LRESULT result = DefSubclassProc(combo, message, wParam, lParam);
    if ((message != WM_PAINT && message != WM_PRINTCLIENT) || !theme.dark || theme.highContrast) return result;
    paintOverControl(combo, wParam, paintComboFrame);
    return result;
}

}  // namespace pm::ui
