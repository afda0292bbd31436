// The preview window "PelmirtPreview": every file of the analysis (category, size, full path) and the
// Recycle Bin as one row, in a virtual report list under a header card, in the secondary-window frame.
#include "app/preview_window.h"

#include "app/app_messages.h"
#include "app/drive_label.h"
#include "app/format_bytes.h"
#include "app/preview_window_internal.h"
#include "app/shell_globals.h"
#include "app/window_frame.h"
#include "services/i18n/translate.h"
#include "ui/list_theming.h"
#include "ui/message_box.h"
#include "ui/report_list.h"
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/window_focus.h"
#include "ui/window_utils.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace pm {

namespace {

constexpr DWORD PreviewListStyle = 0x50011009;  // visible tab-stop child, report, owner data, selection always shown

constexpr const wchar_t* CategoryNames[3] = {L"Временные файлы", L"Кэш браузеров", L"Корзина"};
constexpr const wchar_t* ColumnTitles[3] = {L"Категория", L"Размер", L"Полный путь"};
constexpr float ColumnWidthsDip[3] = {160.0f, 115.0f, 690.0f};

RECT nearestWorkArea(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (!monitor || !GetMonitorInfoW(monitor, &info)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    return info.rcWork;
}

void setColumnText(HWND list, int column, const std::wstring& text) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
}

void onGetDispInfo(PreviewData& data, NMLVDISPINFOW& info) {
    if (!(info.item.mask & LVIF_TEXT) || info.item.iItem < 0) return;
    data.displayText = previewCellText(data, static_cast<std::size_t>(info.item.iItem), info.item.iSubItem);
    info.item.pszText = data.displayText.data();
}

// Draws one column title of the list's header in the theme; CDRF_SKIPDEFAULT when it did.
LRESULT onHeaderCustomDraw(PreviewData& data, NMCUSTOMDRAW& draw) {
    if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.dwDrawStage != CDDS_ITEMPREPAINT || draw.dwItemSpec > 2) return 0;
    return ui::drawThemedHeaderItem(draw, data.headerBuffers[draw.dwItemSpec], data.scale);
}

void onDpiChanged(HWND window, PreviewData* data, WPARAM wParam, const RECT& suggested) {
    const float oldScale = data ? data->scale : 1.0f;
    const float newScale = static_cast<float>(HIWORD(wParam)) / 96.0f;
    if (data) data->scale = newScale;
    if (HWND list = GetDlgItem(window, PreviewListId); list && oldScale > 0) {
        for (int column = 0; column < 3; ++column) {
            const int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
            SendMessageW(list, LVM_SETCOLUMNWIDTH, column, lroundf(static_cast<float>(width) * newScale / oldScale));
        }
    }
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    RECT work = suggested;
    if (HMONITOR monitor = MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST); monitor && GetMonitorInfoW(monitor, &info)) {
        work = info.rcWork;
    }
    const LONG width = std::min(suggested.right - suggested.left, work.right - work.left);
    const LONG height = std::min(suggested.bottom - suggested.top, work.bottom - work.top);
    const LONG x = std::max(std::min(work.right - width, suggested.left), work.left);
    const LONG y = std::max(std::min(work.bottom - height, suggested.top), work.top);
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    applyPreviewTheme(window);
}

}  // namespace

int previewRowCount(const PreviewData& data) {
    const std::uint64_t rows = data.rows.size() + (data.recycleBinItems > 0 ? 1u : 0u);
    return static_cast<int>(std::min<std::uint64_t>(rows, 0x7FFFFFFF));
}

std::wstring previewCellText(const PreviewData& data, std::size_t item, int column) {
    if (item < data.rows.size()) {
        const FileEntry& e = data.rows[item];
        switch (column) {
        case 0: {
            const std::size_t category = categoryIndex(e.category);
            return category < 3 ? translate(CategoryNames[category]) : std::wstring();
        }
        case 1: return formatBytes(e.size);
        case 2: return listedPath(e.path);
        default: return std::wstring();
        }
    }
    if (item != data.rows.size() || data.recycleBinItems == 0) return std::wstring();
    switch (column) {
    case 0: return translate(L"Корзина");
    case 1: return formatBytes(data.recycleBinBytes);
    case 2:
        return translate(L"Корзина текущего пользователя:") + L" " + formatCount(data.recycleBinItems) + L" " +
               translate(L"файлов") + L". " + translate(L"Просмотр содержимого — в системной корзине.");
    default: return std::wstring();
    }
}

PreviewData* previewData(HWND window) {
    return reinterpret_cast<PreviewData*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void layoutPreviewWindow(HWND window) {
    PreviewData* data = previewData(window);
    HWND list = GetDlgItem(window, PreviewListId);
    if (!data || !list) return;
    RECT client{};
    GetClientRect(window, &client);
    const int x = ui::scalePx(194, data->scale);
    const int y = ui::scalePx(129, data->scale);
    const int margin = ui::scalePx(24, data->scale);
    ui::setWindowRectIfChanged(list, x, y, std::max(static_cast<int>(client.right) - x - margin, 1),
                               std::max(static_cast<int>(client.bottom) - y - margin, 1));
}

void applyPreviewTheme(HWND window) {
    PreviewData* data = previewData(window);
    if (!data) return;
    ui::applyTitleBarTheme(window);
    ui::setWindowTextIfChanged(window, translate(L"Pelmirt — просмотр файлов"));
    HWND list = GetDlgItem(window, PreviewListId);
    HWND header = list ? reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)) : nullptr;
    if (list) {
        if (HFONT font = newSecondaryWindowFont(data->font, data->scale)) {
            SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            if (header) SendMessageW(header, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            if (data->font) DeleteObject(data->font);
            data->font = font;
        }
        SendMessageW(list, LVM_SETBKCOLOR, 0, ui::toColorRef(ui::theme.card));
        SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, ui::toColorRef(ui::theme.card));
        SendMessageW(list, LVM_SETTEXTCOLOR, 0, ui::toColorRef(ui::theme.text));
        for (int column = 0; column < 3; ++column) setColumnText(list, column, translate(ColumnTitles[column]));
        ui::setListReadingLayout(list, isRightToLeft());
    }
    layoutPreviewWindow(window);
    ui::invalidateWindow(window, nullptr);
    if (list) InvalidateRect(list, nullptr, TRUE);
}

void paintPreview(HWND window, PreviewData& data) {
    paintWindowFrame(window, data.frame, data.scale, [](ui::Canvas& canvas, float w, float h) {
        paintFramePage(canvas, w, h,
                       FramePage{L"Просмотр файлов", L"Что будет очищено", 56, 39,
                                 L"Полные пути и размеры. Состав корзины просмотрите в Проводнике: двойной щелчок "
                                 L"по значку корзины.",
                                 69, 47, 120});
    });
}

LRESULT CALLBACK previewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) return storeWindowRecord(window, wParam, lParam);
    PreviewData* data = previewData(window);
    if (data && ui::keepWindowFocus(window, data->focus, message, wParam, false)) return 0;
    switch (message) {
    case WM_APP_SETTINGS_CHANGED:
        applyPreviewTheme(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        if (!data) break;
        paintPreview(window, *data);
        return 0;
    case WM_CTLCOLORSTATIC:
        return childControlColours(wParam, ui::theme.background, ui::theme.mutedText, ui::theme.backgroundBrush);
    case WM_SIZE:
        layoutPreviewWindow(window);
        ui::invalidateWindow(window, nullptr);
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(window, data, wParam, *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_GETMINMAXINFO: {
        const float scale = data ? data->scale : 1.0f;
        const RECT work = nearestWorkArea(window);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = POINT{std::min<LONG>(ui::scalePx(640, scale), work.right - work.left),
                                     std::min<LONG>(ui::scalePx(360, scale), work.bottom - work.top)};
        return 0;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (!data || !header) break;
        HWND list = GetDlgItem(window, PreviewListId);
        if (header->code == NM_CUSTOMDRAW && list &&
            header->hwndFrom == reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0))) {
            return onHeaderCustomDraw(*data, *reinterpret_cast<NMCUSTOMDRAW*>(lParam));
        }
        if (header->code == NM_CUSTOMDRAW && header->hwndFrom == list) {
            return ui::drawThemedListRow(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        }
        if (header->code == LVN_GETDISPINFOW && header->hwndFrom == list) {
            onGetDispInfo(*data, *reinterpret_cast<NMLVDISPINFOW*>(lParam));
            return 0;
        }
        break;
    }
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_NCDESTROY:
        releaseWindowRecord(window, data, previewWindows);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void openPreviewWindow() {
    if (!analysisPresent) {
        ui::messageBox(L"Сначала выполните анализ.", MB_ICONINFORMATION);
        return;
    }
    ui::registerWindowClass(PreviewWindowClass, previewWndProc);
    PreviewData* data = nullptr;
    try {
        data = new PreviewData;
        data->rows = scanReport.entries;
    } catch (const std::bad_alloc&) {
        delete data;  // no memory for the window's copy of the analysis: no window, as when creation fails
        return;
    }
    data->recycleBinItems = static_cast<std::uint64_t>(std::max<std::int64_t>(scanReport.recycleBinItems, 0));
    data->recycleBinBytes = static_cast<std::uint64_t>(std::max<std::int64_t>(scanReport.recycleBinBytes, 0));
    const UINT mainDpi = ui::getWindowDpi(ui::mainWindow);
    data->scale = mainDpi == 0 ? 1.0f : static_cast<float>(mainDpi) / 96.0f;
    const RECT work = nearestWorkArea(ui::mainWindow);
    const std::wstring title = translate(L"Pelmirt — просмотр файлов");
    const int width = std::min(static_cast<int>(work.right - work.left) - 24,
                               std::max(static_cast<int>(lroundf(PreviewCreateWidthDip * data->scale)), 1));
    const int height = std::min(std::max(static_cast<int>(lroundf(PreviewCreateHeightDip * data->scale)), 1),
                                static_cast<int>(work.bottom - work.top) - 24);
    HWND window = CreateWindowExW(WS_EX_APPWINDOW, PreviewWindowClass, title.c_str(), SecondaryWindowStyle,
                                  CW_USEDEFAULT, CW_USEDEFAULT, width, height, ui::mainWindow, nullptr,
                                  ui::appInstance, data);
    if (!window) {
        delete data;
        return;
    }
    data->created = true;
    previewWindows.push_back(window);
    data->scale = windowScale(window);
    setProgramIcon(window);
    ui::growWindow(window, data->scale, PreviewWidthDip, PreviewHeightDip);

    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", PreviewListStyle, 0, 0, 0, 0, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(PreviewListId)), ui::appInstance, nullptr);
    if (list) {
        ui::installReportListTheming(list);
        for (int column = 0; column < 3; ++column) {
            const std::wstring text = translate(ColumnTitles[column]);
            LVCOLUMNW col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH;
            col.cx = ui::scalePx(ColumnWidthsDip[column], data->scale);
            col.pszText = const_cast<wchar_t*>(text.c_str());
            SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
        }
        SendMessageW(list, LVM_SETITEMCOUNT, previewRowCount(*data), LVSICF_NOINVALIDATEALL);
    }
    applyPreviewTheme(window);
    ShowWindow(window, SW_SHOW);
    ui::focusFirstControl(window, data->focus, list);
    UpdateWindow(window);
    if (list) UpdateWindow(list);
}

}  // namespace pm
