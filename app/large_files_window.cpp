#include "app/large_files_window.h"

#include "app/large_files_data.h"
#include "app/large_files_internal.h"
#include "app/main_layout.h"
#include "app/shell_globals.h"
#include "app/window_frame.h"
#include "services/i18n/translate.h"
#include "ui/combo_frame.h"
#include "ui/control_procs.h"
#include "ui/control_registry.h"
#include "ui/report_list.h"
#include "ui/shell_state.h"
#include "ui/text_list.h"
#include "ui/theme.h"
#include "ui/ui_font.h"
#include "ui/window_focus.h"
#include "ui/window_utils.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace pm {

namespace {

constexpr DWORD ButtonStyle = 0x5001000B;  // WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW
constexpr DWORD ComboStyle = 0x50210042;   // WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL
constexpr DWORD EditStyle = 0x50012080;    // WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL
constexpr DWORD ListStyle = 0x50011009;    // WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA

struct ButtonText {
    int id;
    const wchar_t* text;
};

// The owner-drawn buttons in creation (and tab) order.
constexpr ButtonText Buttons[] = {
    {ChooseFolderButtonId, L"Выбрать папку"},
    {SearchButtonId, L"Начать поиск"},
    {CancelButtonId, L"Отменить"},
    {RecycleButtonId, L"Переместить выбранные в корзину"},
    {OpenFolderButtonId, L"Открыть папку"},
};

int px(float dip, float scale) { return static_cast<int>(lroundf(dip * scale)); }

HWND createChild(HWND window, int id, const wchar_t* className, const std::wstring& text, DWORD style) {
    return CreateWindowExW(0, className, text.c_str(), style, 0, 0, 0, 0, window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ui::appInstance, nullptr);
}

void createControls(HWND window, const LargeFilesData& data) {
    for (const ButtonText& b : Buttons) {
        if (HWND button = createChild(window, b.id, L"BUTTON", translate(b.text), ButtonStyle))
            SetWindowSubclass(button, ui::hoverRepaintProc, 1, 0);
    }
    if (HWND combo = createChild(window, FolderComboId, L"COMBOBOX", L"", ComboStyle)) {
        SetWindowSubclass(combo, ui::comboFrameProc, ui::ComboFrameSubclassId, 0);
        for (const DriveInfo& drive : driveList)
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.root.c_str()));
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
    }
    if (HWND edit = createChild(window, MinimumEditId, L"EDIT", L"100", EditStyle))
        SendMessageW(edit, EM_SETLIMITTEXT, 7, 0);
    HWND list = createChild(window, FileListId, WC_LISTVIEWW, L"", ListStyle);
    if (!list) return;
    ui::installReportListTheming(list);
    const wchar_t* titles[2] = {L"Полный путь", L"Размер"};
    const float widths[2] = {705.0f, 120.0f};
    for (int column = 0; column < 2; ++column) {
        std::wstring title = translate(titles[column]);
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.pszText = title.data();
        c.cx = px(widths[column], data.scale);
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
    }
}

HFONT createControlFont(float scale) {
    return CreateFontW(-std::max(px(14.0f, scale), 1), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, static_cast<DWORD>(ui::systemFontQuality()),
                       DEFAULT_PITCH, ui::uiFontFace());
}

void onSize(HWND window, LargeFilesData& data, int width, int height) {
    const float candidate = std::min({static_cast<float>(width) / 900.0f, static_cast<float>(height) / 560.0f,
                                      data.dpiScale});
    if (candidate > 0.1f && std::fabs(candidate - data.scale) > 0.001f) {
        data.scale = candidate;
        if (GetDlgItem(window, FileListId)) applyLargeFilesTheme(window);
    }
    layoutLargeFilesWindow(window);
    ui::invalidateWindow(window, nullptr);
}

void onDpiChanged(HWND window, LargeFilesData& data, WPARAM wParam, const RECT* suggested) {
    const float oldScale = data.scale;
    data.dpiScale = static_cast<float>(HIWORD(wParam)) / 96.0f;
    if (suggested) ui::moveWindowClamped(window, *suggested);  // its WM_SIZE sets the new scale
    if (HWND list = GetDlgItem(window, FileListId); list && oldScale > 0.0f) {
        const float factor = data.scale / oldScale;
        for (int column = 0; column < 2; ++column) {
            const auto width = static_cast<float>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
            SendMessageW(list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(lroundf(width * factor), 0));
        }
    }
    applyLargeFilesTheme(window);
}

void onMinMaxInfo(HWND window, const LargeFilesData& data, MINMAXINFO& info) {
    RECT r{};
    GetWindowRect(window, &r);
    const RECT wanted{r.left, r.top, r.left + static_cast<LONG>(900.0f * data.dpiScale),
                      r.top + static_cast<LONG>(560.0f * data.dpiScale)};
    const RECT fitted = ui::clampRectToMonitor(wanted);
    info.ptMinTrackSize.x = fitted.right - fitted.left;
    info.ptMinTrackSize.y = fitted.bottom - fitted.top;
}

LRESULT onNotify(HWND window, LargeFilesData& data, NMHDR& header) {
    HWND list = GetDlgItem(window, FileListId);
    if (header.code == static_cast<UINT>(NM_CUSTOMDRAW) && list &&
        header.hwndFrom == reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0))) {
        return drawLargeFilesHeader(window, data, reinterpret_cast<NMCUSTOMDRAW&>(header));
    }
    if (header.idFrom != FileListId) return 0;
    switch (header.code) {
        case NM_CUSTOMDRAW:
            return ui::drawThemedListRow(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
        case LVN_GETDISPINFOW:
            fillLargeListItem(data, reinterpret_cast<NMLVDISPINFOW&>(header));
            break;
        case LVN_COLUMNCLICK:
            onLargeListColumnClick(window, data, reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
            break;
        case LVN_ITEMCHANGED:
        case LVN_ODSTATECHANGED:
            if (!data.updatingList) updateLargeFilesControlsIfReady(window);
            break;
        case NM_DBLCLK:
            if (!busy) openSelectedFolder(window);
            break;
        default:
            break;
    }
    return 0;
}

void onCommand(HWND window, int id) {
    switch (id) {
        case ChooseFolderButtonId: chooseLargeSearchFolder(window); break;
        case SearchButtonId: onLargeSearchCommand(window); break;
        case CancelButtonId: onLargeCancelCommand(window); break;
        case RecycleButtonId: onLargeRecycleCommand(window); break;
        case OpenFolderButtonId: openSelectedFolder(window); break;
        case IDOK: {
            // Enter where no control takes it (the dialog handling's default button): in the folder box or
            // the size box it starts the search, as Start search would; the search checks that it may.
            const int focusId = GetDlgCtrlID(ui::focusedControl(window));
            if (focusId == FolderComboId || focusId == MinimumEditId) onLargeSearchCommand(window);
            break;
        }
        default: break;
    }
}

void onClose(HWND window, LargeFilesData* data) {
    if (data && busy && operationOwner == window) {
        // The record must outlive the worker's report: the completion handler destroys the window.
        data->closeWhenDone = true;
        cancelRequested.store(true);
        statusText = L"Отмена…";
        updateLargeFilesControlsIfReady(window);
        layoutMainControls();
        return;
    }
    DestroyWindow(window);
}

void onNcDestroy(HWND window, LargeFilesData* data) {
    if (data && data->created) destroyLargeFilesData(data);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (largeFilesWindow == window) largeFilesWindow = nullptr;
}

LRESULT onControlColour(HDC dc) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ui::toColorRef(ui::theme.card));
    SetTextColor(dc, ui::toColorRef(ui::theme.text));
    return reinterpret_cast<LRESULT>(ui::theme.cardBrush);
}

}  // namespace

LargeFilesData* largeFilesData(HWND window) {
    return window ? reinterpret_cast<LargeFilesData*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
}

void destroyLargeFilesData(LargeFilesData* data) {
    if (!data) return;
    if (data->font) DeleteObject(data->font);
    ui::destroyBackBuffers(data->controlBuffers);
    delete data;  // the frame and header buffers release themselves
}

void openLargeFilesWindow() {
    if (largeFilesWindow && IsWindow(largeFilesWindow)) {
        // Opened again while a close waits for its operation: the user wants it, so it stays.
        if (LargeFilesData* data = largeFilesData(largeFilesWindow)) data->closeWhenDone = false;
        applyLargeFilesTheme(largeFilesWindow);
        ShowWindow(largeFilesWindow, SW_RESTORE);
        SetForegroundWindow(largeFilesWindow);
        return;
    }
    ui::registerWindowClass(LargeFilesClass, largeFilesWndProc);
    auto data = std::make_unique<LargeFilesData>();
    const float mainScale = static_cast<float>(ui::getWindowDpi(ui::mainWindow)) / 96.0f;
    const std::wstring title = L"Pelmirt — " + translate(L"Большие файлы");
    HWND window = CreateWindowExW(0, LargeFilesClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  CW_USEDEFAULT, CW_USEDEFAULT, static_cast<int>(1160.0f * mainScale),
                                  static_cast<int>(780.0f * mainScale), ui::mainWindow, nullptr, ui::appInstance,
                                  data.get());
    if (!window) return;  // the record is freed here; nothing is reported
    LargeFilesData* d = data.release();
    d->created = true;
    largeFilesWindow = window;
    d->dpiScale = static_cast<float>(ui::getWindowDpi(window)) / 96.0f;
    ui::growWindow(window, d->dpiScale, 1160.0f, 780.0f);
    createControls(window, *d);
    applyLargeFilesTheme(window);
    ShowWindow(window, SW_SHOW);
    // The folder box: the first control of the layout (the buttons come first in the tab order).
    ui::focusFirstControl(window, d->focus, GetDlgItem(window, FolderComboId));
    UpdateWindow(window);
}

void applyLargeFilesTheme(HWND window) {
    LargeFilesData* data = largeFilesData(window);
    if (!data) return;
    ++ui::uiGeneration;
    if (HICON icon = LoadIconW(ui::appInstance, MAKEINTRESOURCEW(1))) {
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    ui::applyTitleBarTheme(window);
    ui::setWindowTextIfChanged(window, L"Pelmirt — " + translate(L"Большие файлы"));

    HWND list = GetDlgItem(window, FileListId);
    if (HFONT font = createControlFont(data->scale)) {
        const int ids[] = {FolderComboId, MinimumEditId, FileListId, ChooseFolderButtonId, SearchButtonId,
                           CancelButtonId, RecycleButtonId, OpenFolderButtonId};
        for (int id : ids) {
            if (HWND control = GetDlgItem(window, id))
                SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
        if (list) {
            if (HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)))
                SendMessageW(header, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
        if (data->font) DeleteObject(data->font);
        data->font = font;
    }
    for (const ButtonText& b : Buttons) {
        if (HWND button = GetDlgItem(window, b.id)) ui::setWindowTextIfChanged(button, translate(b.text));
    }
    if (list) {
        const COLORREF card = ui::toColorRef(ui::theme.card);
        SendMessageW(list, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(card));
        SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(card));
        SendMessageW(list, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ui::toColorRef(ui::theme.text)));
        ui::setListReadingLayout(list, isRightToLeft());
    }
    if (HWND combo = GetDlgItem(window, FolderComboId))
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), px(27.0f, data->scale));
    ui::setLargeListColumns(window, data->sortColumn, data->ascending);
    layoutLargeFilesWindow(window);
    updateLargeFilesControls(window);
    if (list) InvalidateRect(list, nullptr, FALSE);
}

void layoutLargeFilesWindow(HWND window) {
    LargeFilesData* data = largeFilesData(window);
    if (!data) return;
    RECT client{};
    GetClientRect(window, &client);
    const float s = data->scale;
    const float W = static_cast<float>(client.right) / s;
    const float H = static_cast<float>(client.bottom) / s;
    const float a = std::min(0.65f * (W - 228.0f), 375.0f);
    struct Place {
        int id;
        float x, y, w, h;
    };
    const Place places[] = {
        {FolderComboId, 194, 130, W - 360, 280},
        {ChooseFolderButtonId, W - 156, 130, 132, 35},
        {MinimumEditId, 194, 185, detail::minimumSizeRow(s).editWidth, 31},
        {SearchButtonId, 365, 181, 178, 37},
        {CancelButtonId, 553, 181, 135, 37},
        {FileListId, 194, 237, W - 218, std::max(H - 345, 1.0f)},
        {RecycleButtonId, 194, H - 56, a, 37},
        {OpenFolderButtonId, a + 204, H - 56, W - 228 - a, 37},
    };
    for (const Place& p : places) {
        if (HWND control = GetDlgItem(window, p.id))
            ui::setWindowRectIfChanged(control, px(p.x, s), px(p.y, s), px(p.w, s), px(p.h, s));
    }
}

LRESULT CALLBACK largeFilesWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) return storeWindowRecord(window, wParam, lParam);
    LargeFilesData* data = largeFilesData(window);
    if (data && ui::keepWindowFocus(window, data->focus, message, wParam, busy && operationOwner == window))
        return 0;
    switch (message) {
        case WM_APP + 20:
            applyLargeFilesTheme(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(window, &ps);
            if (data) {
                paintLargeFiles(window, *data);
                if (data->frame.dc)
                    ui::blitRect(data->frame.dc, dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right,
                                 ps.rcPaint.bottom, ps.rcPaint.left, ps.rcPaint.top);
            }
            EndPaint(window, &ps);
            return 0;
        }
        case WM_DRAWITEM:
            if (data && lParam) return drawLargeFilesButton(window, *data, *reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC:
            return onControlColour(reinterpret_cast<HDC>(wParam));
        case WM_SIZE:
            if (!data) break;
            onSize(window, *data, LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_DPICHANGED:
            if (!data) break;
            onDpiChanged(window, *data, wParam, reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_GETMINMAXINFO:
            // Also sent before WM_NCCREATE, when there is no record yet.
            if (!data || !lParam) break;
            onMinMaxInfo(window, *data, *reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_NOTIFY:
            if (!data || !lParam) break;
            return onNotify(window, *data, *reinterpret_cast<NMHDR*>(lParam));
        case WM_COMMAND:
            if (HIWORD(wParam) == 0) {
                onCommand(window, LOWORD(wParam));
                return 0;
            }
            break;
        case WM_CLOSE:
            onClose(window, data);
            return 0;
        case WM_NCDESTROY:
            onNcDestroy(window, data);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace pm
