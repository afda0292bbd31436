// For tests: the message box with the task dialog entry given explicitly.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace pm::ui::detail {

using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// showMessageBox with taskDialog as TaskDialogIndirect; null stands for a comctl32 without it.
int showMessageBoxWith(TaskDialogIndirectFn taskDialog, const std::wstring& text,
                       const std::wstring& caption, UINT flags);

}  // namespace pm::ui::detail
