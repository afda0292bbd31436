#include "ui/list_theming.h"

#include "ui/list_theming_internal.h"
#include "services/i18n/translate.h"
#include "ui/back_buffer.h"
#include "ui/gdi_objects.h"
#include "ui/text_list.h"
#include "ui/theme.h"
#include "ui/ui_font.h"
#include "ui/window_utils.h"

#include <commctrl.h>

#include <algorithm>

namespace pm::ui {

namespace detail {

ScrollBarShapes scrollBarShapes(const RECT& bar, bool horizontal, int thumbTop, int thumbBottom, int lineButton) {
    ScrollBarShapes s;
    const int thickness = horizontal ? bar.bottom - bar.top : bar.right - bar.left;
    const int inset = thickness < 12 ? 2 : thickness >> 2;
    if (horizontal) {
        s.thumb = RECT{bar.left + thumbTop, bar.top + inset, bar.left + thumbBottom, bar.bottom - inset};
    } else {
        s.thumb = RECT{bar.left + inset, bar.top + thumbTop, bar.right - inset, bar.top + thumbBottom};
    }
    s.corner = thickness < 6 ? 2 : thickness / 2;
    const int h = lineButton / 2;
    const int a = thickness > 14 ? thickness / 5 : 2;
    const int b = thickness > 14 ? a / 2 : 1;
    if (horizontal) {
        const LONG y = (bar.top + bar.bottom) / 2;
        const LONG left = bar.left + h;
        const LONG right = bar.right - h;
        s.chevrons[0] = {POINT{left + b, y - a}, POINT{left - b, y}, POINT{left + b, y + a}};
        s.chevrons[1] = {POINT{right - b, y - a}, POINT{right + b, y}, POINT{right - b, y + a}};
    } else {
        const LONG x = (bar.left + bar.right) / 2;
        const LONG top = bar.top + h;
        const LONG bottom = bar.bottom - h;
        s.chevrons[0] = {POINT{x - a, top + b}, POINT{x, top - b}, POINT{x + a, top + b}};
        s.chevrons[1] = {POINT{x - a, bottom - b}, POINT{x, bottom + b}, POINT{x + a, bottom - b}};
    }
    return s;
}

}  // namespace detail

namespace {

// The GDI objects of one paint, deleted on every path.
struct ScrollBarTools {
    SolidBrush track{CreateSolidBrush(RGB(0, 0, 0))};
    SolidBrush thumb;
    Pen arrows;
    ScrollBarTools(COLORREF thumbColour, COLORREF arrowColour)
        : thumb(CreateSolidBrush(thumbColour)), arrows(CreatePen(PS_SOLID, 1, arrowColour)) {}
};

bool isScrollBarThemeActive() {
    return theme.dark && !theme.highContrast;
}

// The length of a scroll bar's arrow button at the window's DPI. SCROLLBARINFO's dxyLineButton would
// be the documented source, but Wine answers it with the thumb's length. A bar shorter than two
// buttons shares its length between them, as the system draws it.
int scrollArrowSize(HWND window, const RECT& bar, bool horizontal) {
    const int length = horizontal ? bar.right - bar.left : bar.bottom - bar.top;
    return std::min(systemMetricForWindow(horizontal ? SM_CXHSCROLL : SM_CYVSCROLL, window), length / 2);
}

bool paintOneBar(HWND window, HDC dc, const RECT& windowRect, LONG objectId, bool horizontal,
                 const ScrollBarTools& tools, RECT& drawn) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    if (!GetScrollBarInfo(window, objectId, &info)) return false;
    if (info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) return false;
    RECT bar = info.rcScrollBar;
    OffsetRect(&bar, -windowRect.left, -windowRect.top);
    if (IsRectEmpty(&bar)) return false;
    drawn = bar;
    FillRect(dc, &bar, tools.track.get());

    const detail::ScrollBarShapes shapes =
        detail::scrollBarShapes(bar, horizontal, info.xyThumbTop, info.xyThumbBottom,
                                scrollArrowSize(window, bar, horizontal));
    // rgstate[3] is the thumb's state.
    if (!(info.rgstate[3] & STATE_SYSTEM_INVISIBLE) && !IsRectEmpty(&shapes.thumb)) {
        HGDIOBJ oldBrush = SelectObject(dc, tools.thumb.get());
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        RoundRect(dc, shapes.thumb.left, shapes.thumb.top, shapes.thumb.right, shapes.thumb.bottom, shapes.corner,
                  shapes.corner);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
    }
    HGDIOBJ oldPen = SelectObject(dc, tools.arrows.get());
    for (const auto& chevron : shapes.chevrons) {
        MoveToEx(dc, chevron[0].x, chevron[0].y, nullptr);
        LineTo(dc, chevron[1].x, chevron[1].y);
        LineTo(dc, chevron[2].x, chevron[2].y);
    }
    SelectObject(dc, oldPen);
    return true;
}

// Both bars on dc, whose origin is the window's top-left corner (a window DC, or the DC of WM_PRINT).
void paintScrollBarsOn(HWND window, HDC dc, COLORREF thumb, COLORREF arrows) {
    RECT windowRect{};
    if (!GetWindowRect(window, &windowRect)) return;
    const ScrollBarTools tools(thumb, arrows);
    const SavedDcState saved(dc);
    RECT hbar{}, vbar{};
    const bool horizontal = paintOneBar(window, dc, windowRect, OBJID_HSCROLL, true, tools, hbar);
    const bool vertical = paintOneBar(window, dc, windowRect, OBJID_VSCROLL, false, tools, vbar);
    if (horizontal && vertical) {
        const RECT corner{vbar.left, hbar.top, vbar.right, hbar.bottom};
        FillRect(dc, &corner, tools.track.get());
    }
}

// The strip of a header right of its last column (in display order), which the header paints itself.
void paintHeaderTail(HWND header, HDC dc) {
    RECT tail{};
    GetClientRect(header, &tail);
    const auto count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    if (count > 0) {
        const auto last = static_cast<int>(SendMessageW(header, HDM_ORDERTOINDEX, count - 1, 0));
        RECT item{};
        if (!SendMessageW(header, HDM_GETITEMRECT, last, reinterpret_cast<LPARAM>(&item))) return;
        tail.left = item.right;
    }
    fillSolid(dc, tail, theme.surface);
}

}  // namespace

void paintOverControl(HWND control, WPARAM givenDc, void (*paint)(HWND, HDC)) {
    if (givenDc) {
        paint(control, reinterpret_cast<HDC>(givenDc));
        return;
    }
    const WindowDc dc(control, WindowDc::Client);
    if (dc.get()) paint(control, dc.get());
}

void paintScrollBars(HWND window, COLORREF thumb, COLORREF arrows) {
    if (!IsWindowVisible(window)) return;
    const WindowDc dc(window, WindowDc::Whole);
    if (dc.get()) paintScrollBarsOn(window, dc.get(), thumb, arrows);
}

LRESULT CALLBACK surfaceEraseProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(window, &client);
        fillSolid(reinterpret_cast<HDC>(wParam), client, theme.surface);
        return 1;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        // A header paints the area past its last column in its own WM_PAINT, never through an erase:
        // that strip is painted over afterwards.
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        paintOverControl(window, wParam, paintHeaderTail);
        return result;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, surfaceEraseProc, SurfaceEraseSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK darkScrollBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (!isScrollBarThemeActive()) {
        // The system draws the bars; only a timer left from a dark period is cleaned up.
        if (message == WM_TIMER && wParam == ScrollBarRepaintTimerId) return 0;
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        if (message == WM_NCLBUTTONDOWN) KillTimer(window, ScrollBarRepaintTimerId);
        if (message == WM_NCDESTROY) {
            KillTimer(window, ScrollBarRepaintTimerId);
            RemoveWindowSubclass(window, darkScrollBarProc, DarkScrollBarSubclassId);
        }
        return result;
    }
    auto paint = [window] { paintScrollBars(window, toColorRef(theme.border), toColorRef(theme.mutedText)); };
    switch (message) {
    case WM_TIMER:
        if (wParam != ScrollBarRepaintTimerId) break;
        [[fallthrough]];
    case WM_NCPAINT:
        paint();
        return 0;
    case WM_NCLBUTTONDOWN: {
        // The system's modal scroll loop runs inside the default handling and repaints the bars in its
        // own colours; the timer paints them over every 16 ms meanwhile.
        SetTimer(window, ScrollBarRepaintTimerId, 16, nullptr);
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        KillTimer(window, ScrollBarRepaintTimerId);
        paint();
        return result;
    }
    case WM_SIZE:
    case WM_SETTEXT:
    case WM_PAINT:
    case WM_STYLECHANGED:
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONUP:
    case WM_KEYDOWN:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL: {
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        paint();
        return result;
    }
    case WM_PRINT: {
        // A printed copy of the frame gets the dark bars too, not only the screen.
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        paint();
        if (wParam && (lParam & PRF_NONCLIENT))
            paintScrollBarsOn(window, reinterpret_cast<HDC>(wParam), toColorRef(theme.border),
                              toColorRef(theme.mutedText));
        return result;
    }
    case WM_NCDESTROY: {
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        KillTimer(window, ScrollBarRepaintTimerId);
        RemoveWindowSubclass(window, darkScrollBarProc, DarkScrollBarSubclassId);
        return result;
    }
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT drawThemedHeaderItem(const NMCUSTOMDRAW& draw, BackBuffer& buffer, float scale) {
    const RECT r = draw.rc;
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0 || !ensureBackBuffer(buffer, width, height)) return 0;
    const RECT all{0, 0, width, height};
    fillSolid(buffer.dc, all, theme.surface);
    wchar_t text[257] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(draw.hdr.hwndFrom, HDM_GETITEMW, draw.dwItemSpec, reinterpret_cast<LPARAM>(&item));
    TextItem label;
    label.text = text;
    label.fontFace = uiFontFace();
    const int inset = scalePx(10.0f, scale);
    label.rect = RECT{inset, 0, width - inset, height};
    label.pixelSize = scalePx(14.0f, scale);
    label.minPixelSize = scalePx(12.0f, scale);
    label.colour = toColorRef(theme.text);
    label.singleLine = 1;
    label.vCentre = 1;
    label.format = isRightToLeft() ? (DT_RIGHT | DT_RTLREADING) : DT_LEFT;
    drawTextItem(fontCache, buffer.dc, label);
    blitRect(buffer.dc, draw.hdc, r.left, r.top, r.right, r.bottom, 0, 0);
    return CDRF_SKIPDEFAULT;
}

}  // namespace pm::ui
