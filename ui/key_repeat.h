// Held keys: the keyboard repeats a held key as WM_KEYDOWN messages with bit 30 of lParam set (the key
// was already down). A push button answers one press with one click, and Escape closes one window, however
// long the key is held; the program's message routing and the filter of its boxes' own loops ask here
// before the dialog manager or a window sees a key, so every window of the program, its own owner-drawn
// buttons included, behaves so.
#pragma once

#include <windows.h>

namespace pm::ui {

// True for an auto-repeat that would press a button or cancel: Space on a button (which clicks on the
// release), Enter on any control that does not take Enter itself (the dialog manager makes it a click of
// the focused or default button, or IDOK), Escape wherever it comes (it closes the window, the box or the
// dropped list that has it, and its repeats would close each window that becomes active next). Such a
// message is dropped. Other repeats, such as arrows in a list, Space typed into a text box or Enter in a
// control that wants it, pass.
bool isRepeatThatPressesOrCancels(const MSG& message);

}  // namespace pm::ui
