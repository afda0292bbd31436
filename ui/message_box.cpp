#include "ui/message_box.h"

#include "services/i18n/translate.h"
#include "ui/key_repeat.h"
#include "ui/message_box_internal.h"
#include "ui/shell_state.h"
#include "ui/window_utils.h"

#include <mutex>
#include <vector>

namespace pm::ui {

namespace {

// Looked up, not linked: where common controls 6 are missing (no manifest, an old system) comctl32
// has no TaskDialogIndirect, and an import of it would stop the program from starting at all.
detail::TaskDialogIndirectFn taskDialogEntry() {
    static std::once_flag once;
    static detail::TaskDialogIndirectFn entry = nullptr;
    std::call_once(once, [] {
        // LoadLibraryW follows the activation context, so the manifest's version 6 is the one found.
        if (HMODULE comctl = LoadLibraryW(L"comctl32.dll")) {
            entry = reinterpret_cast<detail::TaskDialogIndirectFn>(
                reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")));
        }
    });
    return entry;
}

PCWSTR iconFor(UINT flags) {
    switch (flags & MB_ICONMASK) {
        case MB_ICONWARNING: return TD_WARNING_ICON;
        case MB_ICONERROR: return TD_ERROR_ICON;
        default: return TD_INFORMATION_ICON;  // also MB_ICONQUESTION: task dialogs have no question icon
    }
}

// The box is owned by the main window, which is activated when the box closes (Windows and Wine do). A box
// asked by another window of the program gives the activation back to that window, so the keyboard goes on
// where it was, not in the main window.
void activateAgain(HWND window) {
    if (window && window != mainWindow && IsWindow(window) && IsWindowVisible(window) && IsWindowEnabled(window) &&
        GetActiveWindow() != window) {
        SetActiveWindow(window);
    }
}

// The owners named by the open scopes, outermost first; null for a scope without a dialog.
std::vector<HWND> scopeOwners;

struct DialogSearch {
    HWND owner;
    HWND found;
};

// A dialog ("#32770": task dialogs, classic boxes and the picker alike) of this thread, on screen, owned by
// the owner and not disabled by a dialog of its own. Windows come in z-order, so the top one wins.
BOOL CALLBACK findOwnedDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    if (!hasWindowClass(window, L"#32770")) return TRUE;
    if (GetWindow(window, GW_OWNER) != search->owner || !IsWindowVisible(window) || !IsWindowEnabled(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

// A box or the picker runs its own modal loop, which the program's routing never sees: the key press that
// opened it (Enter held on a button that asks a question) would answer it with its repeats, and a held
// Escape would close it and then the windows its loop still serves (those the box does not disable). The
// loop hands each message to this thread's message filter first (MSGF_DIALOGBOX, Wine's too); a repeat
// that would press a button or cancel stops there.
LRESULT CALLBACK dropPressingOrCancellingRepeats(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && isRepeatThatPressesOrCancels(*reinterpret_cast<const MSG*>(lParam))) return TRUE;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The thread timer that activates the open dialog after a disabled window was activated, or 0.
UINT_PTR passActivationTimer = 0;

void CALLBACK activateOpenDialog(HWND, UINT, UINT_PTR, DWORD) {
    KillTimer(nullptr, passActivationTimer);
    passActivationTimer = 0;
    // The user may have gone on meanwhile: to another program (nothing of ours is active) or the dialog.
    const HWND active = GetActiveWindow();
    if (!active || IsWindowEnabled(active)) return;
    if (HWND dialog = openModalDialog()) SetForegroundWindow(dialog);
}

}  // namespace

namespace detail {

int showMessageBoxWith(TaskDialogIndirectFn taskDialog, const std::wstring& text, const std::wstring& caption,
                       UINT flags) {
    ModalScope scope(mainWindow);
    const std::wstring content = translate(text);
    const std::wstring title = translate(caption);
    const bool yesNo = (flags & MB_TYPEMASK) == MB_YESNO;
    const bool rtl = isRightToLeft();

    const std::wstring yes = translate(L"Да");
    const std::wstring no = translate(L"Нет");
    const std::wstring ok = translate(L"ОК");
    TASKDIALOG_BUTTON buttons[2] = {};
    UINT buttonCount = 1;
    if (yesNo) {
        buttons[0] = {IDYES, yes.c_str()};
        buttons[1] = {IDNO, no.c_str()};
        buttonCount = 2;
    } else {
        buttons[0] = {IDOK, ok.c_str()};
    }

    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = mainWindow;
    config.hInstance = appInstance;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    if (rtl) config.dwFlags |= TDF_RTL_LAYOUT;
    config.pszWindowTitle = title.c_str();
    config.pszMainIcon = iconFor(flags);
    config.pszContent = content.c_str();
    config.cButtons = buttonCount;
    config.pButtons = buttons;
    config.nDefaultButton = (yesNo && (flags & MB_DEFMASK) == MB_DEFBUTTON2) ? IDNO : buttons[0].nButtonID;
    config.cxWidth = 360;

    const HWND active = GetActiveWindow();
    int chosen = IDCANCEL;  // what Escape and the close box leave
    const HRESULT result = taskDialog ? taskDialog(&config, &chosen, nullptr, nullptr) : E_NOTIMPL;
    if (FAILED(result)) {
        const UINT classicFlags = rtl ? flags | MB_RTLREADING | MB_RIGHT : flags;
        chosen = MessageBoxW(mainWindow, content.c_str(), title.c_str(), classicFlags);
    }
    activateAgain(active);
    return chosen;
}

}  // namespace detail

std::wstring productTitle() {
    return L"Pelmirt 1.2.0";
}

int showMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags) {
    return detail::showMessageBoxWith(taskDialogEntry(), text, caption, flags);
}

int messageBox(const std::wstring& text, UINT flags) {
    return showMessageBox(text, productTitle(), flags);
}

void postDeferredRequest() {
    if (mainWindow && !destroying && (exitPending || hidePending)) {
        PostMessageW(mainWindow, WM_APP_MODAL_DONE, 0, 0);
    }
}

void leaveModal() {
    if (modalDepth == 0) return;  // an unbalanced leave must not wrap the counter around
    if (--modalDepth == 0) postDeferredRequest();
}

ModalScope::ModalScope() {
    scopeOwners.push_back(nullptr);
    ++modalDepth;
}

ModalScope::ModalScope(HWND dialogOwner) : ModalScope() {
    scopeOwners.back() = dialogOwner;
    repeatFilter_ = SetWindowsHookExW(WH_MSGFILTER, dropPressingOrCancellingRepeats, nullptr, GetCurrentThreadId());
}

ModalScope::~ModalScope() {
    if (repeatFilter_) UnhookWindowsHookEx(repeatFilter_);
    if (!scopeOwners.empty()) scopeOwners.pop_back();
    leaveModal();
}

HWND openModalDialog() {
    for (auto owner = scopeOwners.rbegin(); owner != scopeOwners.rend(); ++owner) {
        if (!*owner || !IsWindow(*owner)) continue;
        DialogSearch search{*owner, nullptr};
        EnumThreadWindows(GetCurrentThreadId(), findOwnedDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
    }
    return nullptr;
}

void passActivationToOpenDialog() {
    if (passActivationTimer == 0 && openModalDialog()) {
        passActivationTimer = SetTimer(nullptr, 0, 0, activateOpenDialog);
    }
}

}  // namespace pm::ui
