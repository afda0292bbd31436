#include "app/main_frame.h"

#include "app/main_frame_internal.h"
#include "app/main_pages.h"
#include "app/owner_buttons.h"
#include "app/shell_globals.h"
#include "ui/back_buffer.h"
#include "ui/control_registry.h"
#include "ui/frame_texts.h"
#include "ui/shapes.h"
#include "ui/shell_state.h"
#include "ui/text_list.h"
#include "ui/theme.h"
#include "ui/ui_font.h"
#include "ui/window_utils.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <memory>
#include <vector>

namespace pm {

HFONT mainFontBold = nullptr;
HFONT mainFontSmall = nullptr;
uint64_t lastRenderedGeneration = 0;
uint64_t frameRenderCount = 0;
uint64_t frameAreaRenderCount = 0;

namespace {

constexpr DWORD CopyUnmirrored = SRCCOPY | NOMIRRORBITMAP;

bool frameRendering = false;
// Areas of the frame to render again although the UI generation did not move.
std::vector<RECT> pendingAreas;

// Paints the frame only inside the pending areas: the page painter runs clipped to them, and texts outside
// them are neither measured nor drawn. False, with nothing painted, when GDI cannot make the clip region.
bool renderPendingAreas(HDC dc) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (const RECT& area : pendingAreas) {
        HRGN part = region ? CreateRectRgnIndirect(&area) : nullptr;
        if (!part) {
            if (region) DeleteObject(region);
            return false;
        }
        CombineRgn(region, region, part, RGN_OR);
        DeleteObject(part);
    }
    pendingAreas.clear();
    SelectClipRgn(dc, region);
    ui::paintWithFrameTexts(dc, [&] { paintMainContent(dc); });
    SelectClipRgn(dc, nullptr);
    DeleteObject(region);
    ++frameAreaRenderCount;
    return true;
}

// The control's buffer in childBackBuffers, created empty on first use.
ui::BackBuffer& childBuffer(HWND control) {
    std::unique_ptr<ui::BackBuffer>& entry = ui::childBackBuffers[control];
    if (!entry) entry = std::make_unique<ui::BackBuffer>();
    return *entry;
}

// Sizes the control's buffer to w x h and gives it the current frame under the control as background.
ui::BackBuffer* bufferOverFrame(HWND control, int w, int h) {
    ui::BackBuffer& buffer = childBuffer(control);
    if (!ui::ensureBackBuffer(buffer, w, h)) return nullptr;
    renderMainFrame();
    RECT under{};
    GetClientRect(control, &under);
    MapWindowPoints(control, ui::mainWindow, reinterpret_cast<POINT*>(&under), 2);
    ui::blitBackgroundUnder(buffer, ui::mainBackBuffer, under, ui::toColorRef(ui::theme.background));
    return &buffer;
}

void paintOpacitySlider(HWND slider, const ui::BackBuffer& buffer, const RECT& client) {
    const float scale = ui::layoutScale;
    Gdiplus::Graphics graphics(buffer.dc);
    graphics.ScaleTransform(scale, scale);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);

    const float w = static_cast<float>(client.right - client.left) / scale;
    const float cy = static_cast<float>(client.bottom - client.top) / scale / 2.0f;
    const auto pos = static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0));
    const float thumbX = static_cast<float>(pos - 20) / 80.0f * (w - 20.0f) + 10.0f;

    ui::fillRoundRect(&graphics, 10, cy - 3, w - 20, 6, 3, ui::theme.border, 0, 0);
    if (thumbX > 10) ui::fillRoundRect(&graphics, 10, cy - 3, thumbX - 10, 6, 3, ui::theme.accent, 0, 0);
    Gdiplus::SolidBrush thumb(Gdiplus::Color(ui::theme.accent));
    graphics.FillEllipse(&thumb, thumbX - 8, cy - 8, 16.0f, 16.0f);
    if (GetFocus() == slider) {
        Gdiplus::Pen ring(Gdiplus::Color(ui::theme.text), 1.0f);
        ring.SetDashStyle(Gdiplus::DashStyleDot);
        graphics.DrawEllipse(&ring, thumbX - 10, cy - 10, 20.0f, 20.0f);
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
}

LRESULT paintSliderMessage(HWND slider) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(slider, &paint);
    RECT client{};
    GetClientRect(slider, &client);
    if (const ui::BackBuffer* buffer = bufferOverFrame(slider, client.right - client.left, client.bottom - client.top)) {
        paintOpacitySlider(slider, *buffer, client);
        if (dc) {
            ui::blitRect(buffer->dc, dc, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right,
                         paint.rcPaint.bottom, paint.rcPaint.left, paint.rcPaint.top);
        }
    }
    EndPaint(slider, &paint);
    return 0;
}

HFONT createMainFont(float size, int weight) {
    const int height = std::max(static_cast<int>(ui::layoutPixels(size)), 1);
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, static_cast<DWORD>(ui::systemFontQuality()), DEFAULT_PITCH,
                       ui::uiFontFace());
}

}  // namespace

void renderMainFrame() {
    if (frameRendering) return;
    ui::BackBuffer& frame = ui::mainBackBuffer;
    const bool rebuilt = frame.dc == nullptr || frame.width != clientWidth || frame.height != clientHeight;
    if (!ui::ensureBackBuffer(frame, clientWidth, clientHeight)) return;  // an empty client keeps the old frame
    const uint64_t generation = ui::uiGeneration;
    frameRendering = true;
    struct Done {
        ~Done() { frameRendering = false; }
    } done;
    // A buffer made just now holds nothing yet, whatever the generation says.
    // Without a clip region for the areas the whole frame is rendered instead.
    if (generation == lastRenderedGeneration && !rebuilt && (pendingAreas.empty() || renderPendingAreas(frame.dc))) {
        return;
    }
    pendingAreas.clear();  // the whole frame is rendered
    ui::paintWithFrameTexts(frame.dc, [&] { paintMainContent(frame.dc); });
    // The generation read before painting: a bump during the paint renders once more later.
    lastRenderedGeneration = generation;
    ++frameRenderCount;
}

void invalidateFrameArea(const RECT& area) {
    if (area.right <= area.left || area.bottom <= area.top) return;
    // The same few areas come again and again (also while the window is hidden and nothing paints).
    const bool known = std::any_of(pendingAreas.begin(), pendingAreas.end(),
                                   [&](const RECT& pending) { return EqualRect(&pending, &area) != FALSE; });
    if (!known) pendingAreas.push_back(area);
    InvalidateRect(ui::mainWindow, &area, FALSE);
}

void onDrawItem(const DRAWITEMSTRUCT* item) {
    if (!item) return;
    const RECT& r = item->rcItem;
    if (r.right <= r.left || r.bottom <= r.top) return;
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    const ui::BackBuffer* buffer = bufferOverFrame(item->hwndItem, w, h);
    if (!buffer) return;

    DRAWITEMSTRUCT local = *item;
    local.hDC = buffer->dc;
    local.rcItem = RECT{0, 0, w, h};
    ui::paintWithFrameTexts(buffer->dc, [&] { drawOwnerButton(local); });
    BitBlt(item->hDC, r.left, r.top, w, h, buffer->dc, 0, 0, CopyUnmirrored);
}

void rebuildMainFonts() {
    std::array<HFONT, 3> made = {createMainFont(16.0f, FW_NORMAL), createMainFont(17.0f, FW_SEMIBOLD),
                                 createMainFont(13.0f, FW_NORMAL)};
    if (std::find(made.begin(), made.end(), nullptr) != made.end()) {
        for (HFONT font : made) {
            if (font) DeleteObject(font);
        }
        return;
    }
    const std::array<HFONT, 3> old = {ui::mainFontRegular, mainFontBold, mainFontSmall};
    ui::mainFontRegular = made[0];
    mainFontBold = made[1];
    mainFontSmall = made[2];
    for (const auto& [id, control] : ui::controlRegistry) {
        if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ui::mainFontRegular), 0);
    }
    for (HFONT font : old) {
        if (font) DeleteObject(font);
    }
    ui::clearFontCache(ui::fontCache);

    const auto combo = ui::controlRegistry.find(ui::LanguageComboId);
    if (combo != ui::controlRegistry.end() && combo->second) {
        SendMessageW(combo->second, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), ui::layoutPixels(31.0f));
        SendMessageW(combo->second, CB_SETITEMHEIGHT, 0, ui::layoutPixels(30.0f));
    }
}

void deleteMainFonts() {
    for (HFONT* font : {&ui::mainFontRegular, &mainFontBold, &mainFontSmall}) {
        if (*font) DeleteObject(*font);
        *font = nullptr;
    }
}

LRESULT CALLBACK opacitySliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ui::invalidateWindow(window, nullptr);
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, opacitySliderProc, id);
        ui::eraseBackBuffer(window);
        break;
    case WM_PAINT:
        return paintSliderMessage(window);
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace pm
