// What the screenshot tools that make the program's windows in their own process set up first.
#pragma once

#include "services/state/app_settings.h"
#include "services/state/state_file.h"
#include "tools/shot_support.h"
#include "ui/shell_state.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace pm::shots {

// COM (single-threaded), the common controls and GDI+ for the holder's lifetime, with the program's
// instance handle set.
class InProcessSession {
public:
    InProcessSession() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        ui::appInstance = GetModuleHandleW(nullptr);
    }
    ~InProcessSession() { CoUninitialize(); }
    InProcessSession(const InProcessSession&) = delete;
    InProcessSession& operator=(const InProcessSession&) = delete;

private:
    GdiplusSession gdiplus_;
};

// Stores the theme and the language in the state file, as the user would have chosen them; the main window
// applies them when it is created. False, with a line on stderr, when they cannot be stored.
inline bool storeLook(const wchar_t* theme, const wchar_t* language) {
    AppSettings settings;
    settings.theme = std::string(theme, theme + std::wcslen(theme));
    settings.language = std::string(language, language + std::wcslen(language));
    try {
        saveAppState(settings);
        return true;
    } catch (...) {
        std::fwprintf(stderr, L"cannot store the settings\n");
        return false;
    }
}

}  // namespace pm::shots
