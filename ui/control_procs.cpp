#include "ui/control_procs.h"

#include "ui/back_buffer.h"
#include "ui/control_registry.h"
#include "ui/widget_state.h"
#include "ui/window_utils.h"

#include <commctrl.h>

namespace pm::ui {

namespace {

void repaintButton(HWND button) {
    invalidateWindow(button, nullptr);
    startAnimationTimer();  // the eased hover and press amounts follow the new state
}

// Asks for one WM_MOUSELEAVE when the pointer leaves the button.
void trackMouseLeave(HWND button) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = button;
    track.dwHoverTime = 0;
    TrackMouseEvent(&track);
}

// The dialog manager of the message loop meets an owner-drawn button as the push button it looks like.
// True for WM_GETDLGCODE, with the answer: the focused button says it is the default one, so Enter presses
// it. Told it is a push button, the dialog manager restyles it as the default one when Tab reaches it and
// back when Tab leaves (Wine does, measured): BM_SETSTYLE is changed to keep it drawn by its owner.
bool answerAsPushButton(HWND button, UINT message, WPARAM& wParam, LRESULT& answer) {
    if (message == WM_GETDLGCODE) {
        answer = DLGC_BUTTON | (GetFocus() == button ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        return true;
    }
    if (message == BM_SETSTYLE) wParam = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
    return false;
}

}  // namespace

LRESULT CALLBACK customButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR) {
    if (LRESULT answer = 0; answerAsPushButton(button, message, wParam, answer)) return answer;
    const int id = GetDlgCtrlID(button);
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the owner-draw code paints the background
        case WM_MOUSEMOVE: {
            ButtonState& state = buttonStates[id];
            if (!state.hover) {
                state.hover = 1;
                trackMouseLeave(button);
                repaintButton(button);
            }
            break;
        }
        case WM_MOUSELEAVE: {
            ButtonState& state = buttonStates[id];
            state.hover = 0;
            state.pressed = 0;
            repaintButton(button);
            break;
        }
        case WM_LBUTTONDOWN:
            buttonStates[id].pressed = 1;
            repaintButton(button);
            break;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE || wParam == VK_RETURN) {
                buttonStates[id].pressed = 1;
                repaintButton(button);
            }
            break;
        case WM_KILLFOCUS:
        case WM_CANCELMODE:
        case WM_KEYUP:
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            buttonStates[id].pressed = 0;
            repaintButton(button);
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(button, customButtonProc, 1);
            buttonStates.erase(id);
            eraseBackBuffer(button);
            break;
        default:
            break;
    }
    // Clicks still become BN_CLICKED and owner drawing still sends WM_DRAWITEM.
    return DefSubclassProc(button, message, wParam, lParam);
}

LRESULT CALLBACK hoverRepaintProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR) {
    if (LRESULT answer = 0; answerAsPushButton(button, message, wParam, answer)) return answer;
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEMOVE:
        case WM_MOUSELEAVE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_CAPTURECHANGED:
            invalidateWindow(button, nullptr);
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(button, hoverRepaintProc, 1);
            break;
        default:
            break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

LRESULT CALLBACK widgetButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR) {
    if (LRESULT answer = 0; answerAsPushButton(button, message, wParam, answer)) return answer;
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PAINT) {
        // The widget renders its buttons into its own layered frame; the button's own surface is never seen.
        PAINTSTRUCT paint{};
        BeginPaint(button, &paint);
        EndPaint(button, &paint);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(button, widgetButtonProc, 1);
        return DefSubclassProc(button, message, wParam, lParam);
    }
    const HWND widget = GetParent(button);
    WidgetState* state = widget ? widgetStateOf(widget) : nullptr;
    if (!state) return DefSubclassProc(button, message, wParam, lParam);

    WidgetButtonSlot& slot = state->buttons[static_cast<size_t>(widgetButtonSlot(GetDlgCtrlID(button)))];
    bool repaint = false;
    switch (message) {
        case WM_MOUSEMOVE:
            if (!slot.hover) {
                slot.hover = 1;
                trackMouseLeave(button);
                repaint = true;
            }
            break;
        case WM_MOUSELEAVE:
            slot.hover = 0;
            slot.pressed = 0;
            repaint = true;
            break;
        case WM_LBUTTONDOWN:
            slot.pressed = 1;
            repaint = true;
            break;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE || wParam == VK_RETURN) {
                slot.pressed = 1;
                repaint = true;
            }
            break;
        case WM_KILLFOCUS:
        case WM_CANCELMODE:
        case WM_KEYUP:
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            slot.pressed = 0;
            repaint = true;
            break;
        case WM_SETFOCUS:
        case WM_ENABLE:
            repaint = true;
            break;
        default:
            break;
    }
    // The widget's frame carries every button: it is rendered again as a whole (no animation timer).
    if (repaint) invalidateWindow(widget, nullptr);
    return DefSubclassProc(button, message, wParam, lParam);
}

LRESULT CALLBACK listHeaderForwardProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR) {
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
            const HWND ownHeader = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
            if (ownHeader && header->hwndFrom == ownHeader) {
                return SendMessageW(GetParent(list), WM_NOTIFY, wParam, lParam);
            }
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(list, listHeaderForwardProc, 1);
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace pm::ui
