// The desktop widget's window: creation to match the setting, fitting to the monitor, texts, button
// layout, and its window procedure. The frame itself is drawn in widget_paint.cpp.
#include "app/desktop_widget.h"

#include "app/app_messages.h"
#include "app/desktop_widget_internal.h"
#include "app/exit_and_tray.h"
#include "app/main_layout.h"
#include "app/operations.h"
#include "app/shell_globals.h"
#include "app/window_frame.h"
#include "services/i18n/translate.h"
#include "ui/control_procs.h"
#include "ui/message_box.h"
#include "ui/shell_state.h"
#include "ui/text_list.h"
#include "ui/theme.h"
#include "ui/tray_icon.h"
#include "ui/ui_font.h"
#include "ui/window_focus.h"
#include "ui/window_utils.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace pm {

namespace {

constexpr DWORD WidgetButtonStyle = 0x5001000B;  // WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW

int px(float dip, float scale) {
    return static_cast<int>(std::lround(dip * scale));
}

RECT nearestWorkArea(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

bool scanAllowed() {
    return !busy && ui::modalDepth == 0 && !exitAfterOperation;
}

// Text and enabled state of the scan button, which follow the analysis and the shell's state.
void applyScanButtonState(HWND window) {
    HWND scan = GetDlgItem(window, ui::WidgetScanButton);
    if (!scan) return;
    ui::setWindowTextIfChanged(scan, translate(analysisPresent ? L"Повторить анализ" : L"Начать анализ"));
    const bool enable = scanAllowed();
    const HWND focus = GetFocus();  // disabling the focused button drops the focus
    if ((IsWindowEnabled(scan) != 0) != enable) EnableWindow(scan, enable);
    if (ui::WidgetState* state = ui::widgetStateOf(window)) {
        if (!busy) ui::restoreFocusAfterOperation(window, state->focus, focus);
        ui::keepFocusOnAControl(window, state->focus, focus, busy);
    }
}

// The content scale from the client size; true when it changed (the texts and layout then follow).
bool adoptContentScale(HWND window, ui::WidgetState& state) {
    RECT client{};
    if (!GetClientRect(window, &client)) return false;
    const float s = std::min({static_cast<float>(client.bottom) / static_cast<float>(state.heightDip),
                              static_cast<float>(client.right) / static_cast<float>(WidgetWidthDip), state.dpiScale});
    if (!(s > 0.2f) || std::fabs(s - state.contentScale) <= 0.001f) return false;
    state.contentScale = s;
    if (GetDlgItem(window, ui::WidgetOpenButton)) {
        applyWidgetTexts(window);
    } else {
        layoutWidget(window);
    }
    return true;
}

void hideWidget(HWND window) {
    ui::currentSettings.widget_enabled = false;
    saveSettingsOrReport();
    DestroyWindow(window);
    layoutMainControls();
}

// Back on the monitor after a move or a display change, sized for it, and remembered.
void settleWidget(HWND window, ui::WidgetState& state, bool texts) {
    RECT r{};
    if (GetWindowRect(window, &r)) ui::moveWindowClamped(window, r);
    fitWidgetToMonitor(window, state);
    if (texts) applyWidgetTexts(window);
    saveWidgetPosition(window);
}

void createWidgetButtons(HWND window) {
    for (const int id : {ui::WidgetScanButton, ui::WidgetOpenButton, ui::WidgetHideButton}) {
        HWND button = CreateWindowExW(0, L"BUTTON", L"", WidgetButtonStyle, 0, 0, 0, 0, window,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ui::appInstance, nullptr);
        if (button) SetWindowSubclass(button, ui::widgetButtonProc, 1, 0);
    }
}

LRESULT onCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) != 0) return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
    switch (LOWORD(wParam)) {
        case ui::WidgetOpenButton:
            ui::restoreMainWindow();
            return 0;
        case ui::WidgetHideButton:
            hideWidget(window);
            return 0;
        case ui::WidgetScanButton:
            if (scanAllowed()) startScan();
            return 0;
        default:
            return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
    }
}

}  // namespace

void fitWidgetToMonitor(HWND window, ui::WidgetState& state) {
    RECT current{};
    if (!GetWindowRect(window, &current)) return;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (!monitor || !GetMonitorInfoW(monitor, &info)) return;

    const WidgetRows fit = widgetRowRule(info.rcWork, state.dpiScale, driveList.size());
    state.rows = fit.rows;
    state.heightDip = fit.heightDip;
    state.scrollOffset = std::clamp(state.scrollOffset, 0, maxScrollOffset(driveList.size(), state.rows));

    RECT wanted{current.left, current.top, current.left + px(WidgetWidthDip, state.dpiScale),
                current.top + px(static_cast<float>(state.heightDip), state.dpiScale)};
    wanted = ui::clampRectToMonitor(wanted);
    if (!EqualRect(&wanted, &current)) {
        SetWindowPos(window, nullptr, wanted.left, wanted.top, wanted.right - wanted.left, wanted.bottom - wanted.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    adoptContentScale(window, state);
}

void applyWidgetTexts(HWND window) {
    ui::WidgetState* state = ui::widgetStateOf(window);
    if (!state) return;

    const int big = GetSystemMetrics(SM_CXICON);
    const int small = GetSystemMetrics(SM_CXSMICON);
    SendMessageW(window, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadImageW(ui::appInstance, MAKEINTRESOURCEW(1), IMAGE_ICON, big, big, LR_SHARED)));
    SendMessageW(window, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(
                     LoadImageW(ui::appInstance, MAKEINTRESOURCEW(1), IMAGE_ICON, small, small, LR_SHARED)));
    ui::setWindowTextIfChanged(window, ui::productTitle());
    ui::applyTitleBarTheme(window);

    const int height = -std::max(px(14.0f, state->contentScale), 1);
    HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, static_cast<DWORD>(ui::systemFontQuality()),
                             DEFAULT_PITCH | FF_DONTCARE, ui::uiFontFace());
    if (font) {
        for (const int id : {ui::WidgetOpenButton, ui::WidgetHideButton, ui::WidgetScanButton}) {
            if (HWND button = GetDlgItem(window, id)) SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
        if (state->font) DeleteObject(state->font);
        state->font = font;
    }
    if (HWND open = GetDlgItem(window, ui::WidgetOpenButton)) {
        ui::setWindowTextIfChanged(open, translate(L"Открыть Pelmirt"));
    }
    if (HWND hide = GetDlgItem(window, ui::WidgetHideButton)) {
        ui::setWindowTextIfChanged(hide, translate(L"Скрыть виджет"));
    }
    applyScanButtonState(window);
    layoutWidget(window);
    ui::invalidateWindow(window, nullptr);
    UpdateWindow(window);
}

void layoutWidget(HWND window) {
    ui::WidgetState* state = ui::widgetStateOf(window);
    RECT client{};
    if (!state || !(state->contentScale > 0.0f) || !GetClientRect(window, &client)) return;
    const float s = state->contentScale;
    const float w = static_cast<float>(client.right) / s;
    const float h = static_cast<float>(client.bottom) / s;
    const float half = (w - 50.0f) / 2.0f;
    const auto place = [window, s](int id, float x, float y, float width, float height) {
        if (HWND button = GetDlgItem(window, id)) {
            ui::setWindowRectIfChanged(button, px(x, s), px(y, s), px(width, s), px(height, s));
        }
    };
    const bool rtl = isRightToLeft();
    place(ui::WidgetScanButton, 20.0f, h - 83.0f, w - 40.0f, 33.0f);
    place(ui::WidgetOpenButton, rtl ? w - 20.0f - half : 20.0f, h - 43.0f, half, 32.0f);
    place(ui::WidgetHideButton, rtl ? 20.0f : 30.0f + half, h - 43.0f, half, 32.0f);
}

LRESULT CALLBACK widgetWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) return storeWindowRecord(window, wParam, lParam);
    ui::WidgetState* state = ui::widgetStateOf(window);
    if (state && ui::keepWindowFocus(window, state->focus, message, wParam, busy)) return 0;
    switch (message) {
        case WM_APP_SETTINGS_CHANGED:
            applyWidgetTexts(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            if (!state) break;
            paintWidget(window, *state);
            return 0;
        case WM_NCHITTEST: {
            if (!state) break;
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            RECT client{};
            if (!ScreenToClient(window, &point) || !GetClientRect(window, &client)) return HTTRANSPARENT;
            return widgetHitTest(point, client.right, client.bottom, state->contentScale, ui::theme.highContrast);
        }
        case WM_SIZE:
            if (!state) break;
            adoptContentScale(window, *state);
            layoutWidget(window);
            ui::invalidateWindow(window, nullptr);
            return 0;
        case WM_DPICHANGED:
            if (!state) break;
            state->dpiScale = static_cast<float>(HIWORD(wParam)) / 96.0f;
            ui::moveWindowClamped(window, *reinterpret_cast<const RECT*>(lParam));
            fitWidgetToMonitor(window, *state);
            applyWidgetTexts(window);
            saveWidgetPosition(window);
            return 0;
        case WM_EXITSIZEMOVE:
            if (!state) break;
            settleWidget(window, *state, false);
            return 0;
        case WM_DISPLAYCHANGE:
        case WM_SETTINGCHANGE:
            if (!state) break;
            settleWidget(window, *state, true);
            return 0;
        case WM_MOUSEWHEEL:
            if (!state) break;
            state->scrollOffset =
                wheelScrollOffset(state->scrollOffset, GET_WHEEL_DELTA_WPARAM(wParam), driveList.size(), state->rows);
            ui::invalidateWindow(window, nullptr);
            return 0;
        case WM_COMMAND:
            return onCommand(window, wParam, lParam);
        case WM_KEYDOWN:
            if (wParam != VK_ESCAPE) break;
            hideWidget(window);
            return 0;
        case WM_CLOSE:
            hideWidget(window);
            return 0;
        case WM_NCDESTROY:
            if (state) {
                if (state->font) DeleteObject(state->font);
                state->font = nullptr;
                // Until CreateWindowExW returned, the opener owns the record and frees it itself.
                if (state->created) delete state;
            }
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            if (ui::widgetWindow == window) ui::widgetWindow = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void syncDesktopWidget() {
    if (ui::widgetWindow && !IsWindow(ui::widgetWindow)) ui::widgetWindow = nullptr;
    if (!ui::currentSettings.widget_enabled) {
        if (ui::widgetWindow) DestroyWindow(ui::widgetWindow);
        return;
    }
    if (ui::widgetWindow) return;

    ui::registerWindowClass(WidgetClass, widgetWndProc);
    auto* state = new ui::WidgetState{};
    state->contentScale = state->dpiScale = static_cast<float>(ui::getWindowDpi(ui::mainWindow)) / 96.0f;
    state->heightDip = WidgetBaseHeightDip + WidgetRowDip;
    state->rows = 1;

    const RECT work = nearestWorkArea(ui::mainWindow ? MonitorFromWindow(ui::mainWindow, MONITOR_DEFAULTTONEAREST)
                                                     : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    const WidgetRows fit = widgetRowRule(work, state->dpiScale, driveList.size());
    state->rows = fit.rows;
    state->heightDip = fit.heightDip;

    const int w = px(WidgetWidthDip, state->dpiScale);
    const int h = px(static_cast<float>(state->heightDip), state->dpiScale);
    const AppSettings& settings = ui::currentSettings;
    // The default place is 20 device pixels in from the work area's top right corner, at any scale.
    const POINT at = settings.widget_position_saved ? POINT{settings.widget_x, settings.widget_y}
                                                    : POINT{work.right - w - 20, work.top + 20};
    const RECT r = ui::clampRectToMonitor(RECT{at.x, at.y, at.x + w, at.y + h});

    const std::wstring title = ui::productTitle();
    HWND window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, WidgetClass, title.c_str(), WS_POPUP, r.left,
                                  r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr, ui::appInstance, state);
    if (!window) {
        // No widget and no message: the setting stays on and a later call tries again.
        delete state;
        return;
    }
    state->created = 1;
    ui::widgetWindow = window;
    state->dpiScale = static_cast<float>(ui::getWindowDpi(window)) / 96.0f;
    ui::growWindow(window, state->dpiScale, WidgetWidthDip, static_cast<float>(state->heightDip));

    fitWidgetToMonitor(window, *state);
    createWidgetButtons(window);
    applyWidgetTexts(window);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    // Wine sends no WM_PAINT to a layered window that never had its first UpdateLayeredWindow unless it
    // is invalidated while shown.
    ui::invalidateWindow(window, nullptr);
    UpdateWindow(window);
}

void refreshWidget() {
    HWND window = ui::widgetWindow;
    if (!window || !IsWindow(window)) return;
    ui::WidgetState* state = ui::widgetStateOf(window);
    if (!state) return;
    fitWidgetToMonitor(window, *state);
    applyScanButtonState(window);
    ui::invalidateWindow(window, nullptr);
    UpdateWindow(window);
}

}  // namespace pm
