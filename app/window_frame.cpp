#include "app/window_frame.h"

#include "services/i18n/translate.h"
#include "ui/gdi_objects.h"
#include "ui/line_icons.h"
#include "ui/shapes.h"
#include "ui/shell_state.h"
#include "ui/text_list.h"
#include "ui/theme.h"
#include "ui/ui_font.h"
#include "ui/window_utils.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace pm {

QueueText canvasText(ui::Canvas& canvas) {
    return [&canvas](const std::wstring& text, const TextBox& box, ui::Argb colour, bool bold) {
        canvas.queueText(text, box.x, box.y, box.w, box.h, box.size, ui::toColorRef(colour), bold, false, !box.wraps,
                         false);
    };
}

void fillFrameBackground(HDC dc, const RECT& client, float scale) {
    ui::fillSolid(dc, client, ui::theme.background);
    ui::fillSolid(dc, RECT{0, 0, lroundf(FrameBandWidthDip * scale), client.bottom}, ui::theme.navBackground);
}

void paintFrameBand(ui::Canvas& canvas) {
    paintProductMark(canvas.graphics, SecondaryProductMark, canvasText(canvas));
}

void paintWindowFrame(HWND window, ui::BackBuffer& frame, float scale, const FrameContent& content) {
    PAINTSTRUCT paint{};
    HDC target = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    if (!target || !ui::ensureBackBuffer(frame, client.right, client.bottom)) {
        EndPaint(window, &paint);
        return;
    }
    const int saved = SaveDC(frame.dc);
    if (saved) {
        IntersectClipRect(frame.dc, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom);
    }
    fillFrameBackground(frame.dc, client, scale);
    {
        ui::Canvas canvas(frame.dc, scale, ui::uiFontFace(), isRightToLeft(), nullptr);
        paintFrameBand(canvas);
        if (content) content(canvas, static_cast<float>(client.right) / scale, static_cast<float>(client.bottom) / scale);
    }
    if (saved) RestoreDC(frame.dc, saved);
    ui::blitRect(frame.dc, target, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom,
                 paint.rcPaint.left, paint.rcPaint.top);
    EndPaint(window, &paint);
}

void paintFramePage(ui::Canvas& canvas, float width, float height, const FramePage& page) {
    const ui::Theme& t = ui::theme;
    ui::fillRoundRect(canvas.graphics, 14, 166, 142, 51, 12, ui::mixColor(t.navBackground, t.accent, 0.29f), 0, 1.0f);
    ui::drawLineIcon(canvas.graphics, page.icon, 25, page.iconTop, 22, t.navText);
    const std::wstring name = translate(page.name);
    canvas.queueText(name, 55, 169, 92, 44, 14, ui::toColorRef(t.navText), true, true, false, false);
    canvas.queueText(translate(page.description), 20, 234, 130, page.descriptionHeight, page.descriptionSize,
                     ui::toColorRef(t.navMutedText), false, false, false, false);
    paintPageHeading(PageHeading{{194, 24, width - 218, page.titleHeight, 27},
                                 {194, page.noteTop, width - 218, page.noteHeight, 14, true}},
                     name, translate(page.note), canvasText(canvas));
    ui::fillRoundRect(canvas.graphics, 185, page.cardTop, width - 200, height - page.cardTop - page.cardBottomGap, 15,
                      t.card, t.border, 1.0f);
}

LRESULT storeWindowRecord(HWND window, WPARAM wParam, LPARAM lParam) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    DefWindowProcW(window, WM_NCCREATE, wParam, lParam);
    return TRUE;
}

LRESULT childControlColours(WPARAM dc, ui::Argb background, ui::Argb text, HBRUSH brush) {
    HDC target = reinterpret_cast<HDC>(dc);
    SetBkMode(target, OPAQUE);
    SetBkColor(target, ui::toColorRef(background));
    SetTextColor(target, ui::toColorRef(text));
    return reinterpret_cast<LRESULT>(brush);
}

void forgetWindow(std::vector<HWND>& windows, HWND window) {
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

HFONT newSecondaryWindowFont(HFONT current, float scale) {
    const int height = -std::max(static_cast<int>(lroundf(14.0f * scale)), 1);
    const BYTE quality = static_cast<BYTE>(ui::systemFontQuality());
    const wchar_t* face = ui::uiFontFace();
    LOGFONTW now{};
    if (current && GetObjectW(current, sizeof(now), &now) == sizeof(now) && now.lfHeight == height &&
        now.lfQuality == quality && wcscmp(now.lfFaceName, face) == 0) {
        return nullptr;
    }
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH, face);
}

float windowScale(HWND window) {
    const UINT dpi = ui::getWindowDpi(window);
    return dpi == 0 ? 1.0f : static_cast<float>(dpi) / 96.0f;
}

void setProgramIcon(HWND window) {
    HICON icon = LoadIconW(ui::appInstance, MAKEINTRESOURCEW(1));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

}  // namespace pm
