// The history window "PelmirtHistory": the operation history as text in a read-only EDIT under a
// header card, in the secondary-window frame.
#include "app/history_window.h"

#include "app/history_window_internal.h"
#include "app/shell_globals.h"
#include "app/app_messages.h"
#include "app/window_frame.h"
#include "services/i18n/translate.h"
#include "ui/list_theming.h"
#include "ui/shapes.h"
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/window_utils.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

namespace pm {

namespace {

constexpr DWORD HistoryEditStyle = 0x503108C4;  // child, visible, both scroll bars, tab stop, multi-line read-only

void forgetHistoryWindow(HWND window) {
    historyWindows.erase(std::remove(historyWindows.begin(), historyWindows.end(), window), historyWindows.end());
}

HWND firstOpenHistoryWindow() {
    for (HWND window : historyWindows) {
        if (IsWindow(window)) return window;
    }
    return nullptr;
}

}  // namespace

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
        const ui::Theme& t = ui::theme;
        paintFrameBandTile(canvas, L"История операций", L"Последние операции", 54);
        canvas.queueText(translate(L"История операций"), 194, 24, w - 218, 40, 27, ui::toColorRef(t.text), true, false,
                         true, false);
        canvas.queueText(translate(tail ? L"Показаны последние записи журнала" : L"Записи сохраняются на этом компьютере"),
                         194, 74, w - 218, 33, 14, ui::toColorRef(t.mutedText), false, false, false, false);
        ui::fillRoundRect(canvas.graphics, 185, 116, w - 200, h - 131, 15, t.card, t.border, 1.0f);
    });
}

LRESULT CALLBACK historyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        // The default handling still sets the title given to CreateWindowExW.
        DefWindowProcW(window, message, wParam, lParam);
        return TRUE;
    }
    HistoryData* data = historyData(window);
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
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, ui::toColorRef(ui::theme.card));
        SetTextColor(dc, ui::toColorRef(ui::theme.text));
        return reinterpret_cast<LRESULT>(ui::theme.cardBrush);
    }
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
        if (data) {
            if (data->font) DeleteObject(data->font);
            data->font = nullptr;
            if (data->created) delete data;
        }
        forgetHistoryWindow(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
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

    HWND edit = CreateWindowExW(0, L"EDIT", L"", HistoryEditStyle, 0, 0, 0, 0, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(HistoryEditId)), ui::appInstance, nullptr);
    if (edit) {
        SetWindowSubclass(edit, ui::darkScrollBarProc, ui::DarkScrollBarSubclassId, 0);
        SendMessageW(edit, EM_SETLIMITTEXT, HistoryTextLimit, 0);
    }
    loadHistoryView(window);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    if (edit) UpdateWindow(edit);
}

}  // namespace pm
