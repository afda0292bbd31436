#include "app/main_window.h"

#include "app/app_messages.h"
#include "app/commands.h"
#include "app/control_ids.h"
#include "app/desktop_widget.h"
#include "app/exit_and_tray.h"
#include "app/main_frame.h"
#include "app/main_layout.h"
#include "app/main_window_internal.h"
#include "app/secondary_windows.h"
#include "app/shell_globals.h"
#include "app/single_instance.h"
#include "app/status_line.h"
#include "app/worker_messages.h"
#include "engine/drives.h"
#include "services/i18n/language.h"
#include "services/state/state_file.h"
#include "ui/back_buffer.h"
#include "ui/combo_frame.h"
#include "ui/control_registry.h"
#include "ui/message_box.h"
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/tray_icon.h"
#include "ui/window_utils.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>
#include <cmath>

namespace pm {

namespace {

using ui::TrayIconId;
constexpr UINT_PTR TrayOpen = 9201;
constexpr UINT_PTR TrayToggleWidget = 9202;
constexpr UINT_PTR TrayExit = 9203;

RECT scaledRect(float left, float top, float right, float bottom) {
    return RECT{ui::layoutPixels(left), ui::layoutPixels(top), ui::layoutPixels(right), ui::layoutPixels(bottom)};
}

HWND controlWindow(int id) {
    const auto found = ui::controlRegistry.find(id);
    return found == ui::controlRegistry.end() ? nullptr : found->second;
}

// Part of WM_CREATE: loads the user's settings and applies their language and theme to the controls. An
// exception stops the loading where it arose; creation goes on with the settings already in place.
void loadSettingsAndApply() {
    const bool mayReplace = stateFileMayBeReplaced();
    ui::currentSettings = loadAppState();
    applyLanguageSetting(ui::currentSettings.language);
    SendMessageW(controlWindow(control::WidgetOpacity), TBM_SETPOS, TRUE, ui::currentSettings.widget_opacity);
    rebuildMainFonts();
    ui::applyTheme();
    ui::applyLanguageToControls();
    ui::fillLanguageCombo();
    if (mayReplace) {
        saveSettingsOrReport();
    } else {
        stateFileHeld = true;
    }
}

LRESULT onCreate(HWND window) {
    ui::mainWindow = window;
    dpiScale = ui::layoutScale = static_cast<float>(ui::getWindowDpi(window)) / 96.0f;
    rebuildMainFonts();
    for (const MainControl& spec : mainControlTable()) {
        ui::createControl(spec.id, spec.text, spec.className, spec.style);
    }
    if (HWND slider = controlWindow(control::WidgetOpacity)) {
        SetWindowSubclass(slider, opacitySliderProc, 1, 0);
        SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(20, 100));
    }
    if (HWND combo = controlWindow(control::LanguageCombo)) {
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), ui::layoutPixels(31.0f));
        SendMessageW(combo, CB_SETITEMHEIGHT, 0, ui::layoutPixels(30.0f));
        SetWindowSubclass(combo, ui::comboFrameProc, ui::ComboFrameSubclassId, 0);
    }
    driveList = listDrives();
    try {
        loadSettingsAndApply();
    } catch (...) {
        // Creation goes on with whatever settings are in place.
    }
    ui::applyTheme();
    syncDesktopWidget();
    ui::addTrayIcon();
    acceptLaterStarts(window);
    SetTimer(window, TIMER_REFRESH, 60000, nullptr);
    if (smokeQuit) SetTimer(window, TIMER_SMOKE_QUIT, 900, nullptr);
    layoutMainControls();
    return 0;
}

LRESULT onDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    dpiScale = static_cast<float>(HIWORD(wParam)) / 96.0f;
    const RECT suggested = *reinterpret_cast<const RECT*>(lParam);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    RECT work = suggested;
    if (GetMonitorInfoW(MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST), &monitor)) work = monitor.rcWork;
    const LONG width = std::min(suggested.right - suggested.left, work.right - work.left);
    const LONG height = std::min(suggested.bottom - suggested.top, work.bottom - work.top);
    const LONG x = std::max(std::min(work.right - width, suggested.left), work.left);
    const LONG y = std::max(std::min(work.bottom - height, suggested.top), work.top);
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER);
    layoutMainControls();
    return 0;
}

void applyLanguageChange() {
    applyLanguageSetting(ui::currentSettings.language);
    ui::applyLanguageToControls();
    ui::fillLanguageCombo();
    rebuildMainFonts();
    updateStatusLine();
    broadcastSettingsChanged();
}

LRESULT onSettingChange() {
    rebuildMainFonts();
    ui::applyTheme();
    if (ui::currentSettings.language == "system") {
        applyLanguageChange();  // the interface language is detected again
    } else {
        broadcastSettingsChanged();
    }
    layoutMainControls();
    return 0;
}

void onLanguageSelected() {
    const LRESULT index = SendMessageW(controlWindow(control::LanguageCombo), CB_GETCURSEL, 0, 0);
    const auto& options = languageOptions();
    if (index < 0 || static_cast<size_t>(index) >= options.size()) return;
    ui::currentSettings.language = options[static_cast<size_t>(index)].code;
    applyLanguageChange();
    saveSettingsOrReport();
    layoutMainControls();
}

LRESULT onOpacitySlider(HWND window, WPARAM wParam) {
    HWND slider = controlWindow(control::WidgetOpacity);
    ui::currentSettings.widget_opacity = static_cast<int32_t>(SendMessageW(slider, TBM_GETPOS, 0, 0));
    // Every position change is saved; the closing TB_ENDTRACK repeats the last one and is not.
    if (LOWORD(wParam) != TB_ENDTRACK) saveSettingsOrReport();
    const MainLayout layout = computeMainLayout();
    RECT row = scaledRect(layout.contentX + 25.0f, 506.0f, 0.0f, 538.0f);
    row.right = clientWidth - ui::layoutPixels(30.0f);
    ui::invalidateWindow(window, &row);
    ui::invalidateWindow(slider, nullptr);
    refreshWidget();
    return 0;
}

LRESULT onTimer(HWND window, UINT_PTR id) {
    switch (id) {
    case TIMER_REFRESH:
        driveList = listDrives();
        saveSettingsAutomatically();
        ui::invalidateWindow(window, nullptr);
        refreshWidget();
        break;
    case TIMER_SMOKE_QUIT:
        KillTimer(window, TIMER_SMOKE_QUIT);
        requestExit(true);
        break;
    case TIMER_ANIMATION:
        animationStep();
        break;
    case TIMER_TRAY_RETRY:
        if (ui::addTrayIcon()) {
            KillTimer(window, TIMER_TRAY_RETRY);
        } else if (ui::hiddenToTray) {
            ui::restoreMainWindow();
        }
        break;
    default:
        break;
    }
    return 0;
}

LRESULT onPaint(HWND window) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    renderMainFrame();
    // The paint DC is clipped to the update region: of the bounds, only the invalidated areas are copied.
    if (dc && ui::mainBackBuffer.dc) {
        ui::blitRect(ui::mainBackBuffer.dc, dc, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right,
                     paint.rcPaint.bottom, paint.rcPaint.left, paint.rcPaint.top);
    }
    EndPaint(window, &paint);
    return 0;
}

LRESULT onDestroy(HWND window) {
    ui::destroying = true;
    ui::deleteTrayIcon();
    for (UINT_PTR timer : {TIMER_TRAY_RETRY, TIMER_REFRESH, TIMER_SMOKE_QUIT, TIMER_ANIMATION}) KillTimer(window, timer);
    ui::animationTimerRunning = false;
    destroySecondaryWindows();
    PostQuitMessage(0);
    return 0;
}

POINT trayMenuPoint(WPARAM wParam) {
    POINT point{};
    if (ui::trayVersion4) {
        point = POINT{static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam))};
    } else {
        GetCursorPos(&point);
    }
    if (point.x == -1 && point.y == -1) {  // opened from the keyboard
        NOTIFYICONIDENTIFIER icon{};
        icon.cbSize = sizeof(icon);
        icon.hWnd = ui::mainWindow;
        icon.uID = TrayIconId;
        RECT rect{};
        if (SUCCEEDED(Shell_NotifyIconGetRect(&icon, &rect))) {
            point = POINT{(rect.left + rect.right) / 2, rect.bottom};
        } else {
            GetCursorPos(&point);
        }
    }
    return point;
}

void showTrayMenu(WPARAM wParam) {
    const POINT point = trayMenuPoint(wParam);
    if (ui::destroying) return;
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    const std::wstring open = translate(L"Открыть Pelmirt");
    const std::wstring widget =
        translate(ui::currentSettings.widget_enabled ? L"Скрыть виджет" : L"Показать виджет");
    const std::wstring exit = translate(L"Выход");
    AppendMenuW(menu, MF_STRING, TrayOpen, open.c_str());
    AppendMenuW(menu, MF_STRING, TrayToggleWidget, widget.c_str());
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, TrayExit, exit.c_str());
    SetMenuDefaultItem(menu, TrayOpen, FALSE);

    // The menu closes on a click elsewhere only while a window of this thread is in front. While a box is
    // open that window is the box: the main window it disables would be left active, the box behind it.
    SetForegroundWindow(ui::activationTarget());
    UINT_PTR command = 0;
    {
        ui::ModalScope scope;  // an exit or hide asked for meanwhile waits for the menu to close
        UINT flags = TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON;
        if (isRightToLeft()) flags |= TPM_LAYOUTRTL;
        command = static_cast<UINT_PTR>(TrackPopupMenuEx(menu, flags, point.x, point.y, ui::mainWindow, nullptr));
        DestroyMenu(menu);
    }
    PostMessageW(ui::mainWindow, WM_NULL, 0, 0);

    if (ui::destroying || !IsWindow(ui::mainWindow)) return;
    switch (command) {
    case TrayOpen:
        ui::restoreMainWindow();
        break;
    case TrayToggleWidget:
        ui::currentSettings.widget_enabled = !ui::currentSettings.widget_enabled;
        saveSettingsOrReport();
        syncDesktopWidget();
        layoutMainControls();
        break;
    case TrayExit:
        requestExit(false);
        break;
    default:
        break;
    }
}

// The target of an eased amount: move by factor, or snap when within 0.01. True when it moved.
bool easeToward(float& amount, float target, float factor) {
    if (amount == target) return false;
    if (std::fabs(target - amount) >= 0.01f) {
        amount += (target - amount) * factor;
    } else {
        amount = target;
    }
    return true;
}

float switchTarget(int id) {
    switch (id) {
    case control::SkipLocked: return ui::currentSettings.skip_locked ? 1.0f : 0.0f;
    case control::DesktopWidget: return ui::currentSettings.widget_enabled ? 1.0f : 0.0f;
    case control::CloseBrowsers: return ui::currentSettings.close_browsers ? 1.0f : 0.0f;
    default: return 0.0f;
    }
}

}  // namespace

const std::vector<MainControl>& mainControlTable() {
    static const std::vector<MainControl> table = {
        {control::NavCleanPc, L"Очистка ПК", L"BUTTON", BS_OWNERDRAW},
        {control::NavDiskSpace, L"Место на диске", L"BUTTON", BS_OWNERDRAW},
        {control::NavHelp, L"Справка", L"BUTTON", BS_OWNERDRAW},
        {control::NavWebSite, L"Наш сайт", L"BUTTON", BS_OWNERDRAW},
        {control::NavSettings, L"Настройки", L"BUTTON", BS_OWNERDRAW},
        {control::StartScan, L"Начать анализ", L"BUTTON", BS_OWNERDRAW},
        {control::Clean, L"Очистить", L"BUTTON", BS_OWNERDRAW},
        {control::Cancel, L"Отменить", L"BUTTON", BS_OWNERDRAW},
        {control::ViewFiles, L"Просмотреть файлы  ›", L"BUTTON", BS_OWNERDRAW},
        {control::Details, L"Подробнее", L"BUTTON", BS_OWNERDRAW},
        {control::CategoryTemp, L"Временные файлы", L"BUTTON", BS_OWNERDRAW},
        {control::CategoryBrowser, L"Кэш браузеров", L"BUTTON", BS_OWNERDRAW},
        {control::CategoryRecycleBin, L"Корзина", L"BUTTON", BS_OWNERDRAW},
        {control::CloseBrowsers, L"Закрывать браузеры", L"BUTTON", BS_OWNERDRAW},
        {control::SkipLocked, L"Пропускать занятые файлы", L"BUTTON", BS_OWNERDRAW},
        {control::DesktopWidget, L"Виджет на рабочем столе", L"BUTTON", BS_OWNERDRAW},
        {control::OpenHistory, L"Открыть историю операций", L"BUTTON", BS_OWNERDRAW},
        {control::FindLargeFiles, L"Найти большие файлы", L"BUTTON", BS_OWNERDRAW},
        {control::WidgetOpacity, L"Непрозрачность виджета", TRACKBAR_CLASSW, TBS_NOTICKS},
        {control::ThemeSystem, L"Как в системе", L"BUTTON", BS_OWNERDRAW},
        {control::ThemeLight, L"Светлая", L"BUTTON", BS_OWNERDRAW},
        {control::ThemeDark, L"Тёмная", L"BUTTON", BS_OWNERDRAW},
        {control::AccentFirst, L"Изумрудный", L"BUTTON", BS_OWNERDRAW},
        {control::AccentFirst + 1, L"Синий", L"BUTTON", BS_OWNERDRAW},
        {control::AccentFirst + 2, L"Фиолетовый", L"BUTTON", BS_OWNERDRAW},
        {control::AccentFirst + 3, L"Янтарный", L"BUTTON", BS_OWNERDRAW},
        {control::AccentFirst + 4, L"Розовый", L"BUTTON", BS_OWNERDRAW},
        {control::AccentLast, L"Бирюзовый", L"BUTTON", BS_OWNERDRAW},
        {control::LanguageCombo, L"", L"COMBOBOX",
         CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL},
    };
    return table;
}

bool updateLayoutScale(int width, int height) {
    const float candidate = std::min({static_cast<float>(height) / 790.0f, static_cast<float>(width) / 1100.0f,
                                      dpiScale});
    if (!(candidate > 0.1f) || std::fabs(candidate - ui::layoutScale) <= 0.01f) return false;
    ui::layoutScale = candidate;
    rebuildMainFonts();
    return true;
}

bool stateFileMayBeReplaced() {
    const std::wstring path = appDataDir() + L"\\state.dat";
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    }
    const std::vector<uint8_t> bytes = readWholeFile(path);
    if (bytes.empty()) return false;
    try {
        return unprotectJson(bytes).at("close_browsers").kind == JsonKind::Bool;
    } catch (...) {
        return false;
    }
}

void onTrayCallback(WPARAM wParam, LPARAM lParam) {
    const UINT event = ui::trayVersion4 ? LOWORD(lParam) : static_cast<UINT>(lParam);
    const UINT iconId = ui::trayVersion4 ? HIWORD(lParam) : static_cast<UINT>(wParam);
    if (iconId != TrayIconId) return;
    switch (event) {
    case NIN_SELECT:
    case NIN_KEYSELECT:
    case WM_LBUTTONDBLCLK:
    case NIN_BALLOONUSERCLICK:
        ui::restoreMainWindow();
        break;
    case WM_LBUTTONUP:
        if (!ui::trayVersion4) ui::restoreMainWindow();
        break;
    // With version 4 one right click brings both WM_RBUTTONUP and WM_CONTEXTMENU: open the menu on one.
    case WM_CONTEXTMENU:
        if (ui::trayVersion4) showTrayMenu(wParam);
        break;
    case WM_RBUTTONUP:
        if (!ui::trayVersion4) showTrayMenu(wParam);
        break;
    default:
        break;
    }
}

void animationStep() {
    const uint64_t now = GetTickCount64();
    const bool reduceMotion = ui::theme.reduceMotion;

    const float target = progressTotal == 0
                             ? 0.0f
                             : static_cast<float>(static_cast<double>(progressDone) / static_cast<double>(progressTotal));
    bool progressMoved = false;
    if (!reduceMotion) {
        if (std::fabs(shownProgress - target) > 0.001f) {
            shownProgress += (target - shownProgress) * 0.2f;
            progressMoved = true;
        } else if (shownProgress != target) {
            shownProgress = target;
            progressMoved = true;
        }
    } else {
        progressMoved = shownProgress != target;
        shownProgress = target;
    }
    if (busy && !reduceMotion) {
        ringAngle = static_cast<float>(std::fmod(ringAngle + 4.5f, 360.0f));
        progressMoved = true;
    }

    double value = gaugeTo;
    if (reduceMotion) {
        gaugeFrom = gaugeTo;
        gaugeDuration = 0;
    } else {
        value = gaugeValueAt(now);
    }
    const bool gaugeRunning = gaugeDuration > 0 && (now < gaugeStart || now - gaugeStart < gaugeDuration);
    const bool gaugeMoved = value != gaugeValue;
    gaugeValue = value;

    bool switchesMoving = false;
    const float factor = reduceMotion ? 1.0f : 0.23f;
    for (auto& [id, state] : ui::buttonStates) {
        const float hoverTarget = state.hover ? 1.0f : 0.0f;
        const float pressTarget = state.pressed ? 1.0f : 0.0f;
        const float positionTarget = switchTarget(id);
        if (state.hoverAmount == hoverTarget && state.pressAmount == pressTarget &&
            state.switchPosition == positionTarget) {
            continue;
        }
        easeToward(state.hoverAmount, hoverTarget, factor);
        easeToward(state.pressAmount, pressTarget, factor);
        easeToward(state.switchPosition, positionTarget, factor);
        if (HWND button = controlWindow(id)) InvalidateRect(button, nullptr, FALSE);
        switchesMoving = switchesMoving || state.hoverAmount != hoverTarget || state.pressAmount != pressTarget ||
                         state.switchPosition != positionTarget;
    }

    // Only what moved is rendered again: the ring when the gauge moved, the strip when the progress or the
    // busy segment did; the rest of the frame stays as it is.
    if (progressMoved || gaugeMoved) {
        const MainLayout layout = computeMainLayout();
        if (gaugeMoved && currentPage == 0) invalidateFrameArea(layoutRect(gaugeArea(layout)));
        if (progressMoved && busy) invalidateFrameArea(layoutRect(progressStripArea(layout)));
    }

    const bool keepRunning = progressMoved || switchesMoving || gaugeRunning || (busy && !reduceMotion);
    if (!ui::isMainWindowShown() || !keepRunning) {
        KillTimer(ui::mainWindow, TIMER_ANIMATION);
        ui::animationTimerRunning = false;
    }
}

void registerMainWindowClass() { ui::registerWindowClass(MainWindowClass, mainWndProc); }

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A failed registration leaves the id 0, which must not turn WM_NULL into a tray re-add.
    if (taskbarCreatedMessage != 0 && message == taskbarCreatedMessage) {
        ui::trayIconAdded = false;
        ui::trayVersion4 = false;
        if (!ui::addTrayIcon() && ui::hiddenToTray) ui::restoreMainWindow();
        return 0;
    }
    if (message == WM_DPICHANGED) return onDpiChanged(window, wParam, lParam);
    if (message == WM_ACTIVATE) ui::startAnimationTimer();
    if (keepMainFocus(window, message, wParam)) return 0;
    if (message >= WM_APP && message <= 0xBFFF) {
        switch (message) {
        case WM_APP_PROGRESS: onProgressMessage(lParam); return 0;
        case WM_APP_SCAN_DONE: onScanDone(lParam); return 0;
        case WM_APP_CLEAN_DONE: onCleanDone(lParam); return 0;
        case WM_APP_WORKER_ERROR: onWorkerError(lParam); return 0;
        case WM_APP_LARGE_SEARCH_DONE: onLargeSearchDone(lParam); return 0;
        case WM_APP_LARGE_RECYCLE_DONE: onLargeRecycleDone(lParam); return 0;
        case WM_APP_TRAY: onTrayCallback(wParam, lParam); return 0;
        case WM_APP_CONTINUE_EXIT: requestExit(false); return 0;
        case WM_APP_SHOW_RUNNING: return onAnotherStart();
        case WM_APP_MODAL_DONE:
            if (ui::modalDepth != 0) return 0;
            if (ui::exitPending) {
                requestExit(false);
            } else if (ui::hidePending) {
                hideToTray();
            }
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
        }
    }
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == control::LanguageCombo && HIWORD(wParam) == CBN_SELCHANGE) {
            onLanguageSelected();
        } else if (HIWORD(wParam) == 0) {
            onCommand(LOWORD(wParam));
        }
        return 0;
    case WM_TIMER:
        return onTimer(window, wParam);
    case WM_HSCROLL:
        if (!lParam || reinterpret_cast<HWND>(lParam) != controlWindow(control::WidgetOpacity)) break;
        return onOpacitySlider(window, wParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, OPAQUE);
        SetTextColor(dc, ui::toColorRef(ui::theme.text));
        SetBkColor(dc, ui::toColorRef(ui::theme.card));
        return reinterpret_cast<LRESULT>(ui::theme.cardBrush);
    }
    case WM_CREATE:
        return onCreate(window);
    case WM_SIZE: {
        if (wParam == SIZE_MINIMIZED) {
            KillTimer(window, TIMER_ANIMATION);
            ui::animationTimerRunning = false;
            return 0;
        }
        RECT client{};
        GetClientRect(window, &client);
        updateLayoutScale(client.right - client.left, client.bottom - client.top);
        layoutMainControls();
        return 0;
    }
    case WM_PAINT:
        return onPaint(window);
    case WM_ERASEBKGND:
        return 1;
    case WM_CLOSE:
        hideToTray();  // closing never destroys the main window
        return 0;
    case WM_SHOWWINDOW:
        if (!wParam) {
            KillTimer(window, TIMER_ANIMATION);
            ui::animationTimerRunning = false;
        } else {
            ui::uiGeneration += 1;
            ui::invalidateWindow(window, nullptr);
            ui::startAnimationTimer();
        }
        break;
    case WM_SETTINGCHANGE:
    case WM_FONTCHANGE:
        return onSettingChange();
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{900, 640};
        return 0;
    case WM_DRAWITEM:
        onDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_COMBOBOX) break;
        item->itemHeight = static_cast<UINT>(ui::layoutPixels(30.0f));
        return TRUE;
    }
    case WM_QUERYENDSESSION:
        return TRUE;  // never holds the session up: what must be kept is kept on WM_ENDSESSION
    case WM_ENDSESSION:
        if (wParam) endSession();
        return 0;
    case WM_DESTROY:
        return onDestroy(window);
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace pm
