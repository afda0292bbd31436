// The history window "PelmirtHistory": the operation history as text in a read-only EDIT under a
// header card, in the secondary-window frame.
#include "app/history_window.h"

#include "app/history_window_internal.h"
#include "app/shell_globals.h"
#include "app/app_messages.h"
#include "app/window_frame.h"
#include "services/i18n/translate.h"
#include "ui/list_theming.h"
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/window_focus.h"
#include "ui/window_utils.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

namespace pm {

namespace {

constexpr DWORD HistoryEditStyle = 0x503108C4;  // child, visible, both scroll bars, tab stop, multi-line read-only

HWND firstOpenHistoryWindow() {
    for (HWND window : historyWindows) {
        if (IsWindow(window)) return window;
    }
    return nullptr;
}

}  // namespace

HWND createHistoryEdit(HWND window) {
    // An EDIT keeps the alignment it was created with, so the direction is chosen here, once per EDIT. A
    // right-aligned multi-line EDIT wraps its lines and never scrolls sideways (it leaves a horizontal
    // bar unmanaged), so it gets none.
    const bool rightToLeft = isRightToLeft();
    const DWORD style = rightToLeft ? (HistoryEditStyle & ~(WS_HSCROLL | ES_AUTOHSCROLL)) | ES_RIGHT : HistoryEditStyle;
    HWND edit = CreateWindowExW(rightToLeft ? WS_EX_RTLREADING : 0, L"EDIT", L"", style, 0, 0, 0, 0, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(HistoryEditId)), ui::appInstance, nullptr);
    if (edit) {
        SetWindowSubclass(edit, ui::darkScrollBarProc, ui::DarkScrollBarSubclassId, 0);
        SendMessageW(edit, EM_SETLIMITTEXT, HistoryTextLimit, 0);
        // At its real size before any text comes, so lines wrap and scroll as they will be shown.
        layoutHistoryWindow(window);
    }
    return edit;
}

bool historyEditIsRightToLeft(HWND edit) {
    return (GetWindowLongPtrW(edit, GWL_STYLE) & ES_RIGHT) != 0;
}

HistoryData* historyData(HWND window) {
    return reinterpret_cast<HistoryData*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void layoutHistoryWindow(HWND window) {
    HistoryData* data = historyData(window);
    HWND edit = GetDlgItem(window, HistoryEditId);
    if (!data || !edit) return;
    RECT client{};
    GetClientRect(window, &client);
    const int x = lroundf(198.0f * data->scale);
    const int y = lroundf(125.0f * data->scale);
    const int margin = lroundf(28.0f * data->scale);
    ui::setWindowRectIfChanged(edit, x, y, std::max(static_cast<int>(client.right) - x - margin, 1),
                               std::max(static_cast<int>(client.bottom) - y - margin, 1));
}

void paintHistory(HWND window, HistoryData& data) {
    const bool tail = data.tail;
    paintWindowFrame(window, data.frame, data.scale, [tail](ui::Canvas& canvas, float w, float h) {
        paintFramePage(canvas, w, h,
                       FramePage{L"История операций", L"Последние операции", 54, 40,
                                 tail ? L"Показаны последние записи журнала" : L"Записи сохраняются на этом компьютере",
                                 74, 33, 116});
    });
}

LRESULT CALLBACK historyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) return storeWindowRecord(window, wParam, lParam);
    HistoryData* data = historyData(window);
    if (data && ui::keepWindowFocus(window, data->focus, message, wParam, false)) return 0;
    switch (message) {
    case WM_APP_SETTINGS_CHANGED:
        loadHistoryView(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        if (!data) break;
        paintHistory(window, *data);
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return childControlColours(wParam, ui::theme.card, ui::theme.text, ui::theme.cardBrush);
    case WM_SIZE:
        layoutHistoryWindow(window);
        ui::invalidateWindow(window, nullptr);
        return 0;
    case WM_DPICHANGED:
        if (data) data->scale = static_cast<float>(HIWORD(wParam)) / 96.0f;
        ui::moveWindowClamped(window, *reinterpret_cast<const RECT*>(lParam));
        loadHistoryView(window);
        return 0;
    case WM_GETMINMAXINFO: {
        const float scale = data ? data->scale : 1.0f;
        RECT r{};
        GetWindowRect(window, &r);
        const RECT min = ui::clampRectToMonitor(
            RECT{r.left, r.top, r.left + lroundf(640.0f * scale), r.top + lroundf(360.0f * scale)});
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = POINT{min.right - min.left, min.bottom - min.top};
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam != VK_ESCAPE) break;
        DestroyWindow(window);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_NCDESTROY:
        releaseWindowRecord(window, data, historyWindows);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void openHistoryWindow() {
    if (HWND open = firstOpenHistoryWindow()) {
        SendMessageW(open, WM_APP_SETTINGS_CHANGED, 0, 0);
        ShowWindow(open, SW_RESTORE);
        SetForegroundWindow(open);
        return;
    }
    ui::registerWindowClass(HistoryWindowClass, historyWndProc);
    auto* data = new HistoryData;
    data->scale = windowScale(ui::mainWindow);
    const std::wstring title = L"Pelmirt — " + translate(L"История операций");
    HWND window = CreateWindowExW(0, HistoryWindowClass, title.c_str(), SecondaryWindowStyle, CW_USEDEFAULT,
                                  CW_USEDEFAULT, static_cast<int>(HistoryWidthDip * data->scale),
                                  static_cast<int>(HistoryHeightDip * data->scale), ui::mainWindow, nullptr,
                                  ui::appInstance, data);
    if (!window) {
        delete data;
        return;
    }
    data->created = true;
    historyWindows.push_back(window);
    data->scale = windowScale(window);
    ui::growWindow(window, data->scale, HistoryWidthDip, HistoryHeightDip);

    HWND edit = createHistoryEdit(window);
    loadHistoryView(window);
    ShowWindow(window, SW_SHOW);
    ui::focusFirstControl(window, data->focus, edit);
    UpdateWindow(window);
    if (edit) UpdateWindow(edit);
}

}  // namespace pm
