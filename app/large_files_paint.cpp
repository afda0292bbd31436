// The large-files window's drawing: the frame with its side band and status line, the owner-drawn
// buttons over it, and the list's themed header.
#include "app/format_bytes.h"
#include "app/large_files_data.h"
#include "app/large_files_internal.h"
#include "app/large_files_window.h"

#include "app/shell_globals.h"
#include "app/window_frame.h"
#include "services/i18n/translate.h"
#include "ui/canvas.h"
#include "ui/text_list.h"
#include "ui/list_theming.h"
#include "ui/shapes.h"
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/ui_font.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace pm {

namespace detail {

std::wstring largeFilesStatusText(HWND window, const LargeFilesData& data, uint64_t selectedCount) {
    std::wstring state;
    if (busy && operationOwner == window) {
        state = translate(operationPhase == PhaseRecyclingLarge ? L"Перемещение в корзину…" : L"Поиск файлов…") +
                L" · " + formatCount(progressDone);
        if (progressTotal != 0) state += L" / " + formatCount(progressTotal);
    } else if (!data.searched) {
        state = translate(L"Поиск ещё не выполнялся");
    } else if (!data.result.message.empty()) {
        state = translate(data.result.message);
    } else {
        state = translate(data.result.cancelled ? L"Поиск отменён" : L"Поиск завершён") + L" · " +
                translate(L"Найдено файлов:") + L" " + formatCount(data.rows.size()) + L" · " +
                translate(L"Пропущено:") + L" " + formatCount(data.result.skipped) + L" · " +
                translate(L"Ошибки:") + L" " + formatCount(data.result.errors);
        if (data.result.truncated)
            state += L"\n" + translate(L"Список ограничен. Увеличьте минимальный размер и повторите поиск.");
    }
    return state + L" · " + translate(L"Выбрано файлов:") + L" " + formatCount(selectedCount);
}

MinimumSizeRow minimumSizeRow(float scale) {
    constexpr float EditWidthFloor = 80;  // seven digits at 14 DIP with the edit's margins
    // The unit on one line at its full size, measured as the canvas measures it.
    ui::TextItem unit;
    unit.text = translate(L"МБ");
    unit.fontFace = ui::uiFontFace();
    unit.rect = RECT{0, 0, 0x7FFF, 0x7FFF};
    unit.pixelSize = unit.minPixelSize = std::max(static_cast<int32_t>(lroundf(MinimumSizeUnitTextSize * scale)), 1);
    unit.singleLine = 1;
    unit.format = isRightToLeft() ? (DT_RIGHT | DT_RTLREADING) : DT_LEFT;
    // One DIP more, for the rounding of the box's edges to pixels.
    const float needed = std::ceil(static_cast<float>(ui::fitTextItem(ui::fontCache, unit).cx) / scale) + 1.0f;
    MinimumSizeRow row;
    const float taken = std::min(needed - row.unitWidth, row.editWidth - EditWidthFloor);
    if (taken > 0) {
        row.editWidth -= taken;
        row.unitX -= taken;
        row.unitWidth += taken;
    }
    return row;
}

}  // namespace detail

namespace {

using ui::theme;
using ui::toColorRef;

uint64_t selectedCount(HWND window) {
    HWND list = GetDlgItem(window, FileListId);
    return list ? static_cast<uint64_t>(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
}

void renderFrame(HWND window, LargeFilesData& data) {
    const RECT client{0, 0, data.frame.width, data.frame.height};
    fillFrameBackground(data.frame.dc, client, data.scale);
    const float W = static_cast<float>(client.right) / data.scale;
    const float H = static_cast<float>(client.bottom) / data.scale;
    ui::Canvas canvas(data.frame.dc, data.scale, ui::uiFontFace(), isRightToLeft(), nullptr);
    paintFrameBand(canvas);
    paintFramePage(canvas, W, H,
                   FramePage{.name = L"Большие файлы",
                             .description = L"Файлы можно восстановить из системной корзины. Постоянное удаление "
                                            L"не используется.",
                             .descriptionHeight = 120,
                             .titleHeight = 40,
                             .note = L"Выберите папку или диск",
                             .noteTop = 76,
                             .noteHeight = 27,
                             .cardTop = 228,
                             .icon = 1,
                             .iconTop = 181,
                             .descriptionSize = 12,
                             .cardBottomGap = 98});
    canvas.queueText(translate(L"Минимальный размер"), 194, 165, 160, 19, 12, toColorRef(theme.mutedText), false,
                     false, false, false);
    const detail::MinimumSizeRow row = detail::minimumSizeRow(data.scale);
    canvas.queueText(translate(L"МБ"), row.unitX, 187, row.unitWidth, 25, detail::MinimumSizeUnitTextSize,
                     toColorRef(theme.mutedText), false, true, true, false);
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
