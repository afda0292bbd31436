#include "app/main_layout.h"

#include "app/control_ids.h"
#include "app/desktop_widget.h"
#include "app/format_bytes.h"
#include "app/large_files_window.h"
#include "app/main_layout_internal.h"
#include "app/operations.h"
#include "app/shell_globals.h"
#include "services/i18n/translate.h"
#include "ui/control_registry.h"
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/window_focus.h"
#include "ui/window_utils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace pm {

std::map<int, RECT> appliedBounds;

namespace {

constexpr const wchar_t* Separator = L" \u00B7 ";
constexpr uint64_t GaugeEaseMs = 300;

// Where the main window's keyboard focus goes while its controls come and go and the window is away.
ui::FocusMemory mainFocus{control::Cancel};

// SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOCOPYBITS: the batch moves without drawing, and
// each moved control is redrawn once afterwards.
constexpr UINT MoveFlags = SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOCOPYBITS;
constexpr UINT ShowInPlaceFlags = MoveFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW;

struct QueuedMove {
    HWND window;
    RECT rect;
    UINT flags;
};

HWND registered(int id) {
    const auto found = ui::controlRegistry.find(id);
    return found == ui::controlRegistry.end() ? nullptr : found->second;
}

void setText(int id, const std::wstring& text) {
    if (HWND control = registered(id)) ui::setWindowTextIfChanged(control, text);
}

// The three byte totals of the analysis in CleanCategory order; a negative Recycle Bin size counts as 0.
std::array<uint64_t, 3> categoryTotals() {
    return {scanReport.categoryBytes[0], scanReport.categoryBytes[1],
            static_cast<uint64_t>(std::max<int64_t>(scanReport.recycleBinBytes, 0))};
}

void recordPageBounds(const MainLayout& l) {
    using namespace control;
    const float cx = l.contentX;
    const float H = l.height;
    const float W = l.width;
    const float navW = l.navWidth - 28.0f;
    ui::setControlBounds(NavCleanPc, 14, 152, navW, 52);
    ui::setControlBounds(NavDiskSpace, 14, 214, navW, 52);
    ui::setControlBounds(NavHelp, 14, 276, navW, 52);
    ui::setControlBounds(NavWebSite, 14, 338, navW, 52);
    ui::setControlBounds(NavSettings, 14, H - 156, navW, 50);

    switch (currentPage) {
    case 0: {
        const float b = l.top + l.cardHeight + 20.0f;
        const float buttonX = cx + 0.42f * l.mainWidth;
        const float buttonW = 0.53f * l.mainWidth;
        const float cardW = l.mainWidth - 36.0f;
        ui::setControlBounds(Clean, buttonX, l.top + 148, buttonW, 48);
        ui::setControlBounds(StartScan, buttonX, l.top + 205, buttonW, 40);
        ui::setControlBounds(CategoryTemp, cx + 18, b + 64, cardW, 51);
        ui::setControlBounds(CategoryBrowser, cx + 18, b + 121, cardW, 51);
        ui::setControlBounds(CategoryRecycleBin, cx + 18, b + 178, cardW, 51);
        ui::setControlBounds(ViewFiles, cx + 18, b + 238, cardW, 33);
        ui::setControlBounds(Details, l.sideX + 20, l.top + 221, l.sideWidth - 40, 33);
        ui::setControlBounds(SkipLocked, l.sideX + 18, b + 61, l.sideWidth - 36, 54);
        ui::setControlBounds(CloseBrowsers, l.sideX + 18, b + 120, l.sideWidth - 36, 54);
        break;
    }
    case 1:
        // At the foot of the page's card, inside it.
        ui::setControlBounds(FindLargeFiles, cx + CardInset, pageCardButtonTop(l, 40), W - cx - 77, 40);
        break;
    case 2:
        ui::setControlBounds(OpenHistory, cx + CardInset, pageCardButtonTop(l, 42), 280, 42);
        break;
    case 3: {
        const float a = W - cx - 80.0f;
        const float sx = cx + 192.0f;
        const float sw = std::min((a - 192.0f) / 3.0f, 168.0f);
        const float r = W - cx - 65.0f;
        for (int i = 0; i < 3; ++i) {
            ui::setControlBounds(ThemeSystem + i, sx + static_cast<float>(i) * (sw + 8), 179, sw, 41);
        }
        for (int i = 0; i < 6; ++i) ui::setControlBounds(AccentFirst + i, sx + 53.0f * static_cast<float>(i), 239, 45, 42);
        // The combo box's height includes its drop-down list.
        ui::setControlBounds(LanguageCombo, sx, 303, std::max(a - 169.0f, 280.0f), 360);
        ui::setControlBounds(DesktopWidget, cx + 20, 462, r, 44);
        ui::setControlBounds(WidgetOpacity, cx + 228, 508, std::max(r - 288.0f, 130.0f), 28);
        ui::setControlBounds(CloseBrowsers, cx + 20, 542, r, 44);
        ui::setControlBounds(SkipLocked, cx + 20, 638, r, 44);
        ui::setControlBounds(OpenHistory, cx + 26, 690, std::min(a, 360.0f), 36);
        break;
    }
    default:
        break;
    }
    if (busy) ui::setControlBounds(Cancel, W - 189, 77, 155, 35);
}

void applyEnabledStates(uint64_t selectedBytes) {
    using namespace control;
    const bool idle = !busy;
    ui::setControlEnabled(StartScan, idle);
    ui::setControlEnabled(Clean, idle && analysisPresent && selectedBytes != 0);
    for (int id : {CategoryTemp, CategoryBrowser, CategoryRecycleBin, CloseBrowsers, LanguageCombo, SkipLocked}) {
        ui::setControlEnabled(id, idle);
    }
    ui::setControlEnabled(DesktopWidget, true);
}

void applyStateTexts(uint64_t selectedBytes) {
    using namespace control;
    setText(StartScan, translate(analysisPresent ? L"Повторить анализ" : L"Начать анализ"));
    setText(Clean, analysisPresent ? translate(L"Очистить") + L" " + formatBytes(selectedBytes)
                                   : translate(L"Сначала выполните анализ"));

    static constexpr const wchar_t* CategoryNames[3] = {L"Временные файлы", L"Кэш браузеров", L"Корзина"};
    const std::array<uint64_t, 3> totals = categoryTotals();
    for (int i = 0; i < 3; ++i) {
        setText(CategoryTemp + i, translate(CategoryNames[i]) + Separator +
                                      formatBytes(totals[static_cast<size_t>(i)]) + Separator +
                                      translate(cleanSelection[static_cast<size_t>(i)] ? L"Выбрано" : L"Не выбрано"));
    }

    const std::pair<int, bool> options[3] = {{CloseBrowsers, ui::currentSettings.close_browsers},
                                             {SkipLocked, ui::currentSettings.skip_locked},
                                             {DesktopWidget, ui::currentSettings.widget_enabled}};
    for (const auto& [id, on] : options) {
        const auto source = ui::controlTexts.find(id);
        if (source == ui::controlTexts.end()) continue;
        setText(id, translate(source->second) + Separator + translate(on ? L"Включено" : L"Выключено"));
    }

    static constexpr const char* PaletteKeys[6] = {"emerald", "blue", "violet", "amber", "rose", "teal"};
    static constexpr const wchar_t* PaletteNames[6] = {L"Изумрудный", L"Синий",   L"Фиолетовый",
                                                       L"Янтарный",   L"Розовый", L"Бирюзовый"};
    for (int i = 0; i < 6; ++i) {
        std::wstring text = translate(PaletteNames[i]);
        if (ui::currentSettings.palette == PaletteKeys[i]) text += Separator + translate(L"Выбрано");
        setText(AccentFirst + i, text);
    }
}

bool isOwnerDrawnButton(HWND window) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    return ui::hasWindowClass(window, L"BUTTON") && (style & BS_TYPEMASK) == BS_OWNERDRAW;
}

// Hides what the page does not show and queues every move and show, in ascending id order.
std::vector<QueuedMove> planMoves() {
    std::vector<QueuedMove> queue;
    for (const auto& [id, window] : ui::controlRegistry) {
        if (!window) continue;
        const bool visible = (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
        const auto wanted = ui::controlBounds.find(id);
        if (wanted == ui::controlBounds.end()) {
            if (visible) {
                ShowWindow(window, SW_HIDE);
                appliedBounds.erase(id);
            }
            continue;
        }
        const auto applied = appliedBounds.find(id);
        if (applied != appliedBounds.end() && EqualRect(&applied->second, &wanted->second)) {
            if (visible) continue;
            queue.push_back({window, wanted->second, ShowInPlaceFlags});
        } else {
            queue.push_back({window, wanted->second, visible ? MoveFlags : MoveFlags | SWP_SHOWWINDOW});
        }
        appliedBounds[id] = wanted->second;
    }
    return queue;
}

void applyMoves(const std::vector<QueuedMove>& queue) {
    if (queue.empty()) return;
    bool batched = false;
    if (HDWP batch = BeginDeferWindowPos(static_cast<int>(queue.size()))) {
        for (const QueuedMove& move : queue) {
            // A failing DeferWindowPos has already freed the batch.
            batch = DeferWindowPos(batch, move.window, nullptr, move.rect.left, move.rect.top,
                                   move.rect.right - move.rect.left, move.rect.bottom - move.rect.top, move.flags);
            if (!batch) break;
        }
        batched = batch && EndDeferWindowPos(batch);
    }
    if (!batched) {
        for (const QueuedMove& move : queue) {
            SetWindowPos(move.window, nullptr, move.rect.left, move.rect.top, move.rect.right - move.rect.left,
                         move.rect.bottom - move.rect.top, move.flags);
        }
    }
    for (const QueuedMove& move : queue) {
        const UINT redraw = isOwnerDrawnButton(move.window)
                                ? RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN
                                : RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_FRAME;
        RedrawWindow(move.window, nullptr, nullptr, redraw);
    }
}

void requestRepaints() {
    ui::invalidateWindow(ui::mainWindow, nullptr);
    for (const auto& [id, window] : ui::controlRegistry) {
        if (window && (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0) ui::invalidateWindow(window, nullptr);
    }
    ui::updateAllWindows();
    ui::startAnimationTimer();
    updateLargeFilesControlsIfReady(largeFilesWindow);
    refreshWidget();
}

}  // namespace

bool keepMainFocus(HWND window, UINT message, WPARAM wParam) {
    return ui::keepWindowFocus(window, mainFocus, message, wParam, busy);
}

MainLayout computeMainLayout() {
    MainLayout layout;
    layout.width = static_cast<float>(clientWidth) / ui::layoutScale;
    layout.height = static_cast<float>(clientHeight) / ui::layoutScale;
    const float side = (layout.width - 230.0f - 80.0f) * 0.34f;
    layout.sideWidth = std::isnan(side) ? 290.0f : std::max(side, 290.0f);
    layout.mainWidth = layout.width - 230.0f - 60.0f - layout.sideWidth;
    layout.sideX = layout.contentX + layout.mainWidth + 20.0f;
    const float bottom = layout.height - 134.0f - 268.0f - 94.0f;
    layout.bottomHeight = std::isnan(bottom) ? 280.0f : std::max(bottom, 280.0f);
    return layout;
}

std::vector<DipRect> pageCards(const MainLayout& l, int page) {
    const float below = l.top + l.cardHeight + 20.0f;
    switch (page) {
    case 0:
        return {{l.contentX, l.top, l.mainWidth, l.cardHeight},
                {l.contentX, below, l.mainWidth, l.bottomHeight},
                {l.sideX, l.top, l.sideWidth, l.cardHeight},
                {l.sideX, below, l.sideWidth, l.bottomHeight}};
    case 1:
    case 2:
        return {pageCard(l)};
    case 3:
        return {{l.contentX, 136, l.width - l.contentX - 25, 250}, {l.contentX, 404, l.width - l.contentX - 25, 334}};
    default:
        return {};
    }
}

DipRect pageCard(const MainLayout& l) { return {l.contentX, 136, l.width - l.contentX - 25, l.height - 208}; }

float pageCardButtonTop(const MainLayout& l, float height) {
    const DipRect card = pageCard(l);
    return card.y + card.h - CardInset - height;
}

RECT layoutRect(const DipRect& r) {
    return RECT{ui::layoutPixels(r.x), ui::layoutPixels(r.y), ui::layoutPixels(r.x + r.w), ui::layoutPixels(r.y + r.h)};
}

DipRect gaugeArea(const MainLayout& l) {
    return {l.contentX + 8, l.top + 22, 0.42f * l.mainWidth - 8, l.cardHeight - 34};
}

DipRect statusArea(const MainLayout& l) {
    return {l.contentX, l.height - 64, l.width - l.contentX - 25, 52};
}

DipRect progressStripArea(const MainLayout& l) {
    return {l.contentX, l.height - 28, l.width - l.contentX - 25, 16};
}

double gaugeValueAt(uint64_t now) {
    double eased = 1.0;
    if (gaugeDuration != 0 && now <= gaugeStart) {
        eased = 0.0;
    } else if (gaugeDuration != 0 && now - gaugeStart < gaugeDuration) {
        const double t = static_cast<double>(now - gaugeStart) / static_cast<double>(gaugeDuration);
        eased = t * t * (3.0 - 2.0 * t);
    }
    return gaugeFrom + (gaugeTo - gaugeFrom) * eased;
}

double selectedGaugeFraction() {
    const std::array<uint64_t, 3> totals = categoryTotals();
    double total = 0;
    double selected = 0;
    for (size_t i = 0; i < totals.size(); ++i) {
        total += static_cast<double>(totals[i]);
        if (cleanSelection[i]) selected += static_cast<double>(totals[i]);
    }
    if (total == 0) return 0.0;
    const double fraction = selected / total;
    return std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
}

void retargetGauge(double fraction, uint64_t now, bool reduceMotion) {
    const double current = gaugeValueAt(now);
    if (reduceMotion) {
        gaugeStart = now;
        gaugeDuration = 0;
        gaugeFrom = gaugeTo = fraction;
    } else if (fraction != gaugeTo) {
        gaugeStart = now;
        gaugeFrom = current;
        gaugeTo = fraction;
        gaugeDuration = current == fraction ? 0 : GaugeEaseMs;
    }
}

void clearControlBounds() {
    ui::controlBounds.clear();
}

void layoutMainControls() {
    ui::uiGeneration += 1;
    retargetGauge(selectedGaugeFraction(), GetTickCount64(), ui::theme.reduceMotion);
    if (!ui::mainWindow) return;

    RECT client{};
    if (GetClientRect(ui::mainWindow, &client)) {
        clientWidth = client.right - client.left;
        clientHeight = client.bottom - client.top;
    }
    clearControlBounds();
    recordPageBounds(computeMainLayout());

    // Disabling the focused control drops the focus: which one had it is read first.
    const HWND focus = GetFocus();
    const uint64_t selectedBytes = selectedCategoryBytes();
    applyEnabledStates(selectedBytes);
    applyStateTexts(selectedBytes);
    // Before Cancel, which may hold the focus, is hidden.
    if (!busy) ui::restoreFocusAfterOperation(ui::mainWindow, mainFocus, focus);
    applyMoves(planMoves());
    ui::keepFocusOnAControl(ui::mainWindow, mainFocus, focus, busy);
    requestRepaints();
}

}  // namespace pm
