#include "ui/control_registry.h"

#include "services/i18n/language.h"
#include "services/i18n/translate.h"
#include "ui/control_procs.h"
#include "ui/shell_state.h"
#include "ui/tray_icon.h"
#include "ui/window_utils.h"

#include <commctrl.h>

namespace pm::ui {

std::map<int, HWND> controlRegistry;
std::map<int, std::wstring> controlTexts;
std::map<int, RECT> controlBounds;
std::map<int, ButtonState> buttonStates;

namespace {

HWND registeredControl(int id) {
    const auto it = controlRegistry.find(id);
    return it == controlRegistry.end() ? nullptr : it->second;
}

}  // namespace

void createControl(int id, const wchar_t* text, const wchar_t* className, DWORD style) {
    // Every caller passes a literal; a null one is kept as an empty text rather than a crash.
    const std::wstring source = text ? text : L"";
    controlTexts[id] = source;
    HWND control = CreateWindowExW(0, className, translate(source).c_str(),
                                   style | WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0, mainWindow,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), appInstance, nullptr);
    controlRegistry[id] = control;
    if (!control) return;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(mainFontRegular), FALSE);
    if (wcscmp(className, L"BUTTON") == 0) SetWindowSubclass(control, customButtonProc, 1, 0);
}

void setControlBounds(int id, float x, float y, float w, float h) {
    if (!controlRegistry.contains(id)) return;
    RECT r{};
    r.left = layoutPixels(x);
    r.top = layoutPixels(y);
    r.right = r.left + layoutPixels(w);
    r.bottom = r.top + layoutPixels(h);
    controlBounds[id] = r;
}

void setControlEnabled(int id, bool enabled) {
    HWND control = registeredControl(id);
    if (!control) return;
    if ((IsWindowEnabled(control) != FALSE) != enabled) EnableWindow(control, enabled ? TRUE : FALSE);
}

void fillLanguageCombo() {
    HWND combo = registeredControl(LanguageComboId);
    if (!combo) return;
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    WPARAM selected = 0;
    WPARAM index = 0;
    for (const LanguageOption& option : languageOptions()) {
        const std::wstring label =
            option.code == "system" ? translate(L"Определять автоматически") : option.nativeName;
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
        if (option.code == currentSettings.language) selected = index;
        ++index;
    }
    SendMessageW(combo, CB_SETCURSEL, selected, 0);
}

void applyLanguageToControls() {
    updateTrayTip();
    for (const auto& [id, text] : controlTexts) {
        if (id == LanguageComboId) continue;
        if (HWND control = registeredControl(id)) setWindowTextIfChanged(control, translate(text));
    }
}

void setLargeListColumns(HWND window, int sortColumn, bool ascending) {
    HWND list = GetDlgItem(window, LargeFilesListId);
    if (!list) return;
    const wchar_t* titles[2] = {L"Полный путь", L"Размер"};
    for (int column = 0; column < 2; ++column) {
        std::wstring title = translate(titles[column]);
        if (column == sortColumn) title += ascending ? L" \u2191" : L" \u2193";
        LVCOLUMNW item{};
        item.mask = LVCF_TEXT;
        item.pszText = title.data();
        SendMessageW(list, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
}

}  // namespace pm::ui
