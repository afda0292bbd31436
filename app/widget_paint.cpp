// The desktop widget's frame: card, texts, state, drive rings, scroll mark and buttons rendered into
// one 32-bit buffer, cut round with per-pixel alpha and handed to the system with UpdateLayeredWindow.
#include "app/desktop_widget_internal.h"
#include "app/drive_label.h"
#include "app/format_bytes.h"
#include "app/operations.h"
#include "app/shell_globals.h"
#include "services/i18n/translate.h"
#include "ui/canvas.h"
#include "ui/line_icons.h"
#include "ui/shapes.h"
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/ui_font.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <string>

namespace pm {

namespace {

using ui::theme;

COLORREF gdi(ui::Argb colour) {
    return ui::toColorRef(colour);
}

void drawStateTexts(ui::Canvas& canvas, float w) {
    if (busy && progressTotal != 0) {
        const double fraction = std::min(static_cast<double>(progressDone) / static_cast<double>(progressTotal), 1.0);
        ui::drawProgressBar(canvas.graphics, 20.0f, 181.0f, w - 40.0f, static_cast<float>(fraction));
    }
    const auto [headline, subline] = widgetStateLines();
    canvas.queueText(headline, 20.0f, 108.0f, w - 40.0f, 42.0f, 27.0f, gdi(theme.text), true, true, false, false);
    canvas.queueText(subline, 20.0f, 153.0f, w - 40.0f, 25.0f, 13.0f, gdi(theme.mutedText), false, false, false, false);
}

void drawDriveRow(ui::Canvas& canvas, const DriveInfo& drive, float top, float w) {
    const uint64_t total = drive.totalBytes;
    const uint64_t available = drive.availableBytes;
    const uint64_t used = available < total ? total - available : 0;
    const double u = used != 0 ? std::min(static_cast<double>(used) / static_cast<double>(total), 1.0) : 0.0;

    Gdiplus::Pen track(Gdiplus::Color(theme.border), 3.0f);
    canvas.graphics->DrawEllipse(&track, 22.0f, top + 5.0f, 35.0f, 35.0f);
    Gdiplus::Pen gauge(Gdiplus::Color(theme.accent), 3.0f);
    gauge.SetStartCap(Gdiplus::LineCapRound);
    gauge.SetEndCap(Gdiplus::LineCapRound);
    if (u >= 1.0) {
        canvas.graphics->DrawEllipse(&gauge, 22.0f, top + 5.0f, 35.0f, 35.0f);
    } else if (u > 0.0) {
        canvas.graphics->DrawArc(&gauge, 22.0f, top + 5.0f, 35.0f, 35.0f, -90.0f, static_cast<float>(360.0 * u));
    }

    wchar_t percent[16] = {};
    std::swprintf(percent, 16, L"%d%%", static_cast<int>(std::lround(100.0 * u)));
    canvas.queueText(percent, 21.0f, top + 5.0f, 37.0f, 35.0f, 10.0f, gdi(theme.text), true, true, true, true);
    const auto [label, usage] = widgetDriveLines(drive);
    canvas.queueText(label, 72.0f, top + 1.0f, w - 96.0f, 21.0f, 14.0f, gdi(theme.text), true, false, false, false);
    canvas.queueText(usage, 72.0f, top + 23.0f, w - 96.0f, 27.0f, 11.0f, gdi(theme.mutedText), false, false, false,
                     false);
}

void drawDrives(ui::Canvas& canvas, ui::WidgetState& state, float w) {
    const std::size_t count = driveList.size();
    state.scrollOffset = std::clamp(state.scrollOffset, 0, maxScrollOffset(count, state.rows));
    if (count == 0) {
        canvas.queueText(translate(L"Локальные диски недоступны."), 20.0f, 230.0f, w - 40.0f, 40.0f, 12.0f,
                         gdi(theme.mutedText), false, false, false, false);
        return;
    }
    for (int32_t i = 0; i < state.rows && static_cast<std::size_t>(state.scrollOffset + i) < count; ++i) {
        const float top = static_cast<float>(WidgetFirstRowDip + WidgetRowDip * i);
        drawDriveRow(canvas, driveList[static_cast<std::size_t>(state.scrollOffset + i)], top, w);
    }
    if (static_cast<std::size_t>(state.rows) < count) {
        const float trackHeight = static_cast<float>(state.rows * WidgetRowDip - 8);
        ui::fillRoundRect(canvas.graphics, w - 9.0f, 230.0f, 3.0f, trackHeight, 1.5f, theme.border, 0, 1.0f);
        ui::fillRoundRect(canvas.graphics, w - 9.0f, scrollThumbTopDip(state.scrollOffset, state.rows, count), 3.0f,
                          18.0f, 1.5f, theme.accent, 0, 1.0f);
    }
}

// Everything but the buttons, in DIP.
void drawCard(ui::WidgetState& state, float w, float h) {
    ui::Canvas canvas(state.frame.dc, state.contentScale, ui::uiFontFace(), isRightToLeft(), nullptr);
    Gdiplus::Graphics* g = canvas.graphics;
    ui::fillRoundRect(g, 0.5f, 0.5f, w - 1.0f, h - 1.0f, 17.0f, theme.card, theme.border, 1.0f);
    ui::fillRoundRect(g, 20.0f, 19.0f, 33.0f, 33.0f, 10.0f, theme.accentSoft, 0, 1.0f);
    ui::drawBroomIcon(g, 26.0f, 24.0f, 23.0f, theme.accent);

    canvas.queueText(L"Pelmirt", 64.0f, 19.0f, w - 84.0f, 31.0f, 22.0f, gdi(theme.text), true, false, false, false);
    canvas.queueText(translate(L"Работает, пока открыто приложение"), 20.0f, 64.0f, w - 40.0f, 29.0f, 12.0f,
                     gdi(theme.mutedText), false, false, false, false);
    Gdiplus::Pen rule(Gdiplus::Color(theme.border), 1.0f);
    g->DrawLine(&rule, 20.0f, 96.0f, w - 20.0f, 96.0f);

    drawStateTexts(canvas, w);
    canvas.queueText(translate(L"Все локальные диски"), 20.0f, 195.0f, w - 40.0f, 25.0f, 14.0f, gdi(theme.text), true,
                     false, false, false);
    drawDrives(canvas, state, w);
}

void drawButton(HWND window, ui::WidgetState& state, int id) {
    HWND button = GetDlgItem(window, id);
    if (!button) return;
    RECT r{};
    if (!GetWindowRect(button, &r)) return;
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
    const int slot = ui::widgetButtonSlot(id);
    ui::BackBuffer& buffer = state.buttonBuffers[static_cast<std::size_t>(slot)];
    if (!ui::ensureBackBuffer(buffer, r.right - r.left, r.bottom - r.top)) return;
    ui::blitBackgroundUnder(buffer, state.frame, r, gdi(theme.card));
    {
        const float s = state.contentScale;
        const float bw = static_cast<float>(r.right - r.left) / s;
        const float bh = static_cast<float>(r.bottom - r.top) / s;
        const ui::WidgetButtonSlot& flags = state.buttons[static_cast<std::size_t>(slot)];
        const float offset = flags.pressed ? 1.0f : 0.0f;

        ui::Argb fill = 0;
        ui::Argb border = theme.border;
        ui::Argb text = theme.text;
        bool bold = false;
        if (!IsWindowEnabled(button)) {
            fill = theme.surface;
            text = theme.mutedText;
        } else if (id == ui::WidgetScanButton) {
            fill = ui::mixColor(theme.accent, 0xFF000000, flags.pressed ? 0.12f : 0.0f);
            border = fill;
            text = theme.onAccent;
            bold = true;
        } else {
            fill = ui::mixColor(theme.card, theme.accentSoft, flags.hover ? 0.8f : 0.0f);
        }

        ui::Canvas canvas(buffer.dc, s, ui::uiFontFace(), isRightToLeft(), nullptr);
        ui::fillRoundRect(canvas.graphics, 1.0f, 1.0f + offset, bw - 2.0f, bh - 2.0f - offset, 10.0f, fill, border, 1.0f);
        wchar_t label[256] = {};
        GetWindowTextW(button, label, 256);
        canvas.queueText(label, 8.0f, 1.0f + offset, bw - 16.0f, bh - 2.0f - offset, 13.0f, gdi(text), bold, true, true,
                         true);
        if (GetFocus() == button) {
            Gdiplus::Pen focus(Gdiplus::Color(theme.highContrast ? theme.text : theme.accent), 1.5f);
            focus.SetDashStyle(Gdiplus::DashStyleDot);
            Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
            ui::addRoundRectPath(path, 4.0f, 4.0f, bw - 8.0f, bh - 8.0f, 8.0f);
            canvas.graphics->DrawPath(&focus, &path);
        }
    }
    ui::blitRect(buffer.dc, state.frame.dc, r.left, r.top, r.right, r.bottom, 0, 0);
}

}  // namespace

std::pair<std::wstring, std::wstring> widgetStateLines() {
    if (busy) {
        std::wstring headline = formatCount(progressDone);
        if (progressTotal != 0) headline += L" / " + formatCount(progressTotal);
        return {headline, translate(operationPhase == PhaseCleaning ? L"Очистка файлов…" : L"Проверено файлов:")};
    }
    if (analysisPresent) return {formatBytes(selectedCategoryBytes()), translate(L"к очистке")};
    if (lastOperationKind == 2) return {formatBytes(lastBytes), translate(L"Удалено")};
    return {translate(L"Готов к анализу"), translate(L"Начните с анализа")};
}

std::pair<std::wstring, std::wstring> widgetDriveLines(const DriveInfo& drive) {
    const uint64_t used = drive.availableBytes < drive.totalBytes ? drive.totalBytes - drive.availableBytes : 0;
    return {driveLabel(drive), translate(L"Занято") + L" " + formatBytes(used) + L" · " + translate(L"Свободно") +
                                   L" " + formatBytes(drive.availableBytes)};
}

bool renderWidgetFrame(HWND window, ui::WidgetState& state) {
    RECT client{};
    if (!GetClientRect(window, &client) || !ui::ensureBackBuffer(state.frame, client.right, client.bottom)) return false;
    if (!(state.contentScale > 0.0f)) return false;
    const int width = client.right;
    const int height = client.bottom;

    const COLORREF previous = SetDCBrushColor(state.frame.dc, gdi(theme.card));
    FillRect(state.frame.dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(state.frame.dc, previous);

    const float w = static_cast<float>(width) / state.contentScale;
    const float h = static_cast<float>(height) / state.contentScale;
    drawCard(state, w, h);
    for (const int id : {ui::WidgetScanButton, ui::WidgetOpenButton, ui::WidgetHideButton}) drawButton(window, state, id);

    GdiFlush();
    applyWidgetAlpha(state.frame.bits, width, height,
                     widgetCornerRadius(width, height, state.contentScale, theme.highContrast),
                     widgetOpacity(ui::currentSettings.widget_opacity));
    return true;
}

void paintWidget(HWND window, ui::WidgetState& state) {
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    if (renderWidgetFrame(window, state)) {
        RECT placed{};
        GetWindowRect(window, &placed);
        POINT target{placed.left, placed.top};
        SIZE size{state.frame.width, state.frame.height};
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        HDC screen = GetDC(nullptr);
        UpdateLayeredWindow(window, screen, &target, &size, state.frame.dc, &source, 0, &blend, ULW_ALPHA);
        if (screen) ReleaseDC(nullptr, screen);
    }
    EndPaint(window, &paint);
}

}  // namespace pm
