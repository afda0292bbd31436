#include "ui/report_list.h"

#include "ui/control_procs.h"
#include "ui/list_theming.h"
#include "ui/theme.h"

namespace pm::ui {

namespace {

constexpr DWORD ReportListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
constexpr LONG_PTR MirroredReading = WS_EX_LAYOUTRTL | WS_EX_RTLREADING;

void setMirrored(HWND window, bool mirrored) {
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    const LONG_PTR wanted = mirrored ? (exStyle | MirroredReading) : (exStyle & ~MirroredReading);
    if (wanted == exStyle) return;
    SetWindowLongPtrW(window, GWL_EXSTYLE, wanted);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

HWND headerOf(HWND list) { return reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)); }

}  // namespace

void installReportListTheming(HWND list) {
    SetWindowSubclass(list, listHeaderForwardProc, 1, 0);
    SetWindowSubclass(list, darkScrollBarProc, DarkScrollBarSubclassId, 0);
    if (HWND header = headerOf(list)) SetWindowSubclass(header, surfaceEraseProc, SurfaceEraseSubclassId, 0);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ReportListExStyle, ReportListExStyle);
}

void setListReadingLayout(HWND list, bool rightToLeft) {
    setMirrored(list, rightToLeft);
    if (HWND header = headerOf(list)) setMirrored(header, rightToLeft);
}

LRESULT drawThemedListRow(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return theme.highContrast ? CDRF_DODEFAULT : CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT || theme.highContrast) return CDRF_DODEFAULT;
    HWND list = draw.nmcd.hdr.hwndFrom;
    const auto item = static_cast<WPARAM>(draw.nmcd.dwItemSpec);
    if (!(SendMessageW(list, LVM_GETITEMSTATE, item, LVIS_SELECTED) & LVIS_SELECTED)) return CDRF_DODEFAULT;
    // Without the selected state the list paints the row in the colours given here; it would otherwise
    // replace them by the system's highlight (focused) or button face (unfocused) colours.
    draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
    const bool focused = GetFocus() == list;
    draw.clrTextBk = toColorRef(focused ? theme.accent : theme.accentSoft);
    draw.clrText = toColorRef(focused ? theme.onAccent : theme.text);
    return CDRF_NEWFONT;
}

}  // namespace pm::ui
