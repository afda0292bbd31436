// The large-files window's drawing: the frame with its side band and status line, the owner-drawn
// buttons over it, and the list's themed header.
#include "app/large_files_data.h"
#include "app/large_files_internal.h"
#include "app/large_files_window.h"

#include "app/shell_globals.h"
#include "services/i18n/translate.h"
#include "ui/canvas.h"
#include "ui/line_icons.h"
#include "ui/list_theming.h"
#include "ui/shapes.h"
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/ui_font.h"

#include <commctrl.h>

#include <cmath>
#include <memory>

namespace pm {

namespace detail {

std::wstring largeFilesStatusText(HWND window, const LargeFilesData& data, uint64_t selectedCount) {
    std::wstring state;
    if (busy && operationOwner == window) {
        state = translate(operationPhase == PhaseRecyclingLarge ? L"Перемещение в корзину…" : L"Поиск файлов…") +
                L" · " + std::to_wstring(progressDone);
        if (progressTotal != 0) state += L" / " + std::to_wstring(progressTotal);
    } else if (!data.searched) {
        state = translate(L"Поиск ещё не выполнялся");
    } else if (!data.result.message.empty()) {
        state = translate(data.result.message);
    } else {
        state = translate(data.result.cancelled ? L"Поиск отменён" : L"Поиск завершён") + L" · " +
                translate(L"Найдено файлов:") + L" " + std::to_wstring(data.rows.size()) + L" · " +
                translate(L"Пропущено:") + L" " + std::to_wstring(data.result.skipped) + L" · " +
                translate(L"Ошибки:") + L" " + std::to_wstring(data.result.errors);
        if (data.result.truncated)
            state += L"\n" + translate(L"Список ограничен. Увеличьте минимальный размер и повторите поиск.");
    }
    return state + L" · " + translate(L"Выбрано файлов:") + L" " + std::to_wstring(selectedCount);
}

}  // namespace detail

namespace {

using ui::theme;
using ui::toColorRef;

void fillPixels(HDC dc, const RECT& rect, ui::Argb colour) {
    if (HBRUSH brush = CreateSolidBrush(toColorRef(colour))) {
        FillRect(dc, &rect, brush);
        DeleteObject(brush);
    }
}

uint64_t selectedCount(HWND window) {
    HWND list = GetDlgItem(window, FileListId);
    return list ? static_cast<uint64_t>(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
}

void renderFrame(HWND window, LargeFilesData& data) {
    const int width = data.frame.width;
    const int height = data.frame.height;
    fillPixels(data.frame.dc, RECT{0, 0, width, height}, theme.background);
    fillPixels(data.frame.dc, RECT{0, 0, static_cast<LONG>(lroundf(170.0f * data.scale)), height}, theme.navBackground);

    const float W = static_cast<float>(width) / data.scale;
    const float H = static_cast<float>(height) / data.scale;
    ui::Canvas canvas(data.frame.dc, data.scale, ui::uiFontFace(), isRightToLeft(), nullptr);
    Gdiplus::Graphics* g = canvas.graphics;

    ui::fillRoundRect(g, 20, 25, 42, 42, 12, ui::mixColor(theme.navBackground, theme.accent, 0.3f), 0, 0);
    ui::drawBroomIcon(g, 28, 32, 28, theme.navText);
    canvas.queueText(L"Pelmirt", 20, 81, 135, 29, 20, toColorRef(theme.navText), true, false, false, false);
    canvas.queueText(L"1.2.0 · Windows", 20, 114, 135, 24, 12, toColorRef(theme.navMutedText), false, false, false,
                     false);

    ui::fillRoundRect(g, 14, 166, 142, 51, 12, ui::mixColor(theme.navBackground, theme.accent, 0.29f), 0, 0);
    ui::drawLineIcon(g, 1, 25, 181, 22, theme.navText);
    canvas.queueText(translate(L"Большие файлы"), 55, 169, 92, 44, 14, toColorRef(theme.navText), true, true, false,
                     false);
    canvas.queueText(translate(L"Файлы можно восстановить из системной корзины. Постоянное удаление не используется."),
                     20, 234, 130, 120, 12, toColorRef(theme.navMutedText), false, false, false, false);

    canvas.queueText(translate(L"Большие файлы"), 194, 24, W - 218, 40, 27, toColorRef(theme.text), true, false,
                     false, false);
    canvas.queueText(translate(L"Выберите папку или диск"), 194, 76, W - 218, 27, 14, toColorRef(theme.mutedText),
                     false, false, false, false);
    canvas.queueText(translate(L"Минимальный размер"), 194, 165, 160, 19, 12, toColorRef(theme.mutedText), false,
                     false, false, false);
    canvas.queueText(translate(L"МБ"), 315, 187, 40, 25, 13, toColorRef(theme.mutedText), false, true, true, false);

    ui::fillRoundRect(g, 185, 228, W - 200, H - 326, 15, theme.card, theme.border, 1);
    canvas.queueText(detail::largeFilesStatusText(window, data, selectedCount(window)), 194, H - 95, W - 218, 34, 12,
                     toColorRef(theme.mutedText), false, false, false, false);
}

}  // namespace

void paintLargeFiles(HWND window, LargeFilesData& data) {
    if (data.painting) return;
    RECT client{};
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return;
    const bool rebuilt = data.frame.width != client.right || data.frame.height != client.bottom;
    if (!ui::ensureBackBuffer(data.frame, client.right, client.bottom)) return;
    // A new buffer holds nothing yet, whether or not the generation moved.
    if (!rebuilt && data.lastGeneration == ui::uiGeneration) return;
    data.painting = true;
    renderFrame(window, data);
    data.painting = false;
    data.lastGeneration = ui::uiGeneration;
}

void invalidateLargeFilesFrame(HWND window) {
    if (LargeFilesData* data = largeFilesData(window)) data->lastGeneration = 0;  // no generation is 0
    InvalidateRect(window, nullptr, FALSE);
}

LRESULT drawLargeFilesButton(HWND window, LargeFilesData& data, const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_BUTTON) return FALSE;
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    std::unique_ptr<ui::BackBuffer>& slot = data.controlBuffers[item.hwndItem];
    if (!slot) slot = std::make_unique<ui::BackBuffer>();
    if (width <= 0 || height <= 0 || !ui::ensureBackBuffer(*slot, width, height)) return TRUE;
    paintLargeFiles(window, data);
    RECT inParent{};
    GetWindowRect(item.hwndItem, &inParent);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&inParent), 2);
    ui::blitBackgroundUnder(*slot, data.frame, inParent, toColorRef(theme.background));
    {
        ui::Canvas canvas(slot->dc, data.scale, ui::uiFontFace(), isRightToLeft(), nullptr);
        const float bw = static_cast<float>(width) / data.scale;
        const float bh = static_cast<float>(height) / data.scale;
        const bool pressed = (item.itemState & ODS_SELECTED) != 0;
        const float offset = pressed ? 1.0f : 0.0f;
        const bool primary = item.CtlID == SearchButtonId || item.CtlID == RecycleButtonId;
        ui::Argb fill = theme.card, border = theme.border, text = theme.text;
        if (item.itemState & ODS_DISABLED) {
            fill = theme.surface;
            text = theme.mutedText;
        } else if (primary) {
            fill = border = ui::mixColor(theme.accent, 0xFF000000, pressed ? 0.12f : 0.0f);
            text = theme.onAccent;
        }
        ui::fillRoundRect(canvas.graphics, 1, 1 + offset, bw - 2, bh - 2 - offset, 10, fill, border, 1);
        wchar_t label[256] = {};
        GetWindowTextW(item.hwndItem, label, 256);
        canvas.queueText(label, 9, 1 + offset, bw - 18, bh - 2 - offset, 13, toColorRef(text), primary, true, true,
                         true);
        if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
            Gdiplus::GraphicsPath path;
            ui::addRoundRectPath(path, 4, 4, bw - 8, bh - 8, 8);
            Gdiplus::Pen pen(Gdiplus::Color(text), 1.0f);
            pen.SetDashStyle(Gdiplus::DashStyleDot);
            canvas.graphics->DrawPath(&pen, &path);
        }
    }
    ui::blitRect(slot->dc, item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom, 0, 0);
    return TRUE;
}

LRESULT drawLargeFilesHeader(HWND, LargeFilesData& data, NMCUSTOMDRAW& draw) {
    if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.dwDrawStage != CDDS_ITEMPREPAINT || draw.dwItemSpec > 1) return 0;
    return ui::drawThemedHeaderItem(draw, data.headerBuffers[draw.dwItemSpec], data.scale);
}

}  // namespace pm
