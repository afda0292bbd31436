// Questions and notices: translated task dialogs centred on the main window, and the modal scopes
// that keep an exit or a hide from pulling the window away while modal UI is open.
#pragma once

#include <windows.h>

#include <string>

namespace pm::ui {

// Posted to the main window when the last modal scope closed while an exit or a hide waits.
inline constexpr UINT WM_APP_MODAL_DONE = WM_APP + 32;

// "Pelmirt 1.2.0": the caption of every message box and the notification icon's tip.
std::wstring productTitle();

// Shows text with the caption (both translated) and buttons, default and icon chosen by MB_ flags
// (MB_YESNO or OK only; MB_DEFBUTTON2 for yes/no; MB_ICONWARNING, MB_ICONERROR, else information).
// Returns IDOK, IDYES, IDNO, or IDCANCEL when the box was closed. Runs in a modal scope.
int showMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);
int messageBox(const std::wstring& text, UINT flags);

// Posts WM_APP_MODAL_DONE to the main window when it exists, is not being destroyed, and an exit or
// a hide is pending.
void postDeferredRequest();
// Closes one modal scope; the one that brings modalDepth back to 0 calls postDeferredRequest.
void leaveModal();

// One modal scope: modalDepth is raised for the holder's lifetime and lowered through leaveModal on
// every way out, exceptions included. A scope that shows a dialog names the dialog's owner (a box: the main
// window; the folder picker: its window), so the program can bring that dialog forward while it is open;
// while it is open the keyboard's repeats of a held key press none of the dialog's buttons and close
// nothing (Escape: neither the dialog nor a window its loop serves).
class ModalScope {
public:
    ModalScope();  // modal UI with no dialog to bring forward (the tray menu)
    explicit ModalScope(HWND dialogOwner);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    HHOOK repeatFilter_ = nullptr;
};

// The dialog of the innermost open scope that shows one on screen (a message box or the folder picker),
// found from the owner its scope named, or null. While it is open its owner is disabled, so it is the
// window that must come forward; GetLastActivePopup stops knowing it once the disabled owner was activated.
HWND openModalDialog();

// For a window of the program activated while an open dialog disables it: the taskbar's button, Alt+Tab or
// another program can activate a disabled window, and once it was active it counts as its own last active
// popup, so nothing of the system brings the dialog back. The dialog is activated in its place once this
// activation has run its course (changing the activation inside it would nest one in the other).
void passActivationToOpenDialog();

}  // namespace pm::ui
