#include "win_fixture.h"

#include <commctrl.h>

#include <chrono>

namespace pm::test {

namespace {

LRESULT CALLBACK standInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case QueryModalDepth:
            return static_cast<LRESULT>(ui::modalDepth);
        case RunOnUiThread:
            (*reinterpret_cast<std::function<void()>*>(lParam))();
            return 0;
        case WM_COMMAND:
            MainWindowFixture::commands.push_back(wParam);
            return 0;
        case WM_NOTIFY:
            if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
                MainWindowFixture::customDraws.push_back(reinterpret_cast<const NMHDR*>(lParam)->hwndFrom);
                return CDRF_NOTIFYITEMDRAW;
            }
            return 0;
        case ui::WM_APP_MODAL_DONE:
            ++MainWindowFixture::modalDoneDispatched;
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void resetShellState() {
    ui::mainWindow = nullptr;
    ui::modalDepth = 0;
    ui::destroying = ui::exitPending = ui::hidePending = ui::hiddenToTray = false;
    ui::trayIconAdded = ui::trayVersion4 = ui::animationTimerRunning = false;
    ui::hiddenWithMain.clear();
    currentLanguage = EnglishLanguage;
}

struct DialogSearch {
    HWND owner;
    const std::wstring* content;
    HWND found;
};

BOOL CALLBACK matchContent(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    if (windowText(child) == *search->content) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK matchDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") != 0 || GetWindow(window, GW_OWNER) != search->owner ||
        !IsWindowVisible(window)) {
        return TRUE;
    }
    DialogSearch inner{search->owner, search->content, nullptr};
    EnumChildWindows(window, matchContent, reinterpret_cast<LPARAM>(&inner));
    if (!inner.found) return TRUE;
    search->found = window;
    return FALSE;
}

struct ButtonList {
    std::vector<std::wstring> texts;
    std::wstring defaultText;
};

BOOL CALLBACK collectButton(HWND child, LPARAM data) {
    auto* list = reinterpret_cast<ButtonList*>(data);
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
    if (_wcsicmp(className, L"Button") != 0 || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)) return TRUE;
    list->texts.push_back(windowText(child));
    if (type == BS_DEFPUSHBUTTON) list->defaultText = list->texts.back();
    return TRUE;
}

}  // namespace

void MainWindowFixture::SetUp() {
    resetShellState();
    modalDoneDispatched = 0;
    commands.clear();
    customDraws.clear();
    ui::appInstance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = standInProc;
    wc.hInstance = ui::appInstance;
    wc.lpszClassName = L"PelmirtTestMain";
    RegisterClassExW(&wc);  // a repeat registration fails harmlessly
    ui::mainWindow = CreateWindowExW(0, L"PelmirtTestMain", L"stand-in", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                     100, 100, 640, 480, nullptr, nullptr, ui::appInstance, nullptr);
    ASSERT_NE(ui::mainWindow, nullptr);
    ShowWindow(ui::mainWindow, SW_SHOW);
}

void MainWindowFixture::TearDown() {
    if (ui::mainWindow) DestroyWindow(ui::mainWindow);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    resetShellState();
}

int MainWindowFixture::takeModalDoneMessages() {
    int count = modalDoneDispatched;
    MSG message;
    while (PeekMessageW(&message, ui::mainWindow, ui::WM_APP_MODAL_DONE, ui::WM_APP_MODAL_DONE, PM_REMOVE)) ++count;
    modalDoneDispatched = 0;
    return count;
}

std::wstring windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

HWND findDialog(HWND owner, const std::wstring& content) {
    DialogSearch search{owner, &content, nullptr};
    EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForDialog(HWND owner, const std::wstring& content) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        if (HWND dialog = findDialog(owner, content)) return dialog;
        Sleep(10);
    }
    return nullptr;
}

std::vector<std::wstring> buttonTexts(HWND dialog, std::wstring* defaultButton) {
    ButtonList list;
    EnumChildWindows(dialog, collectButton, reinterpret_cast<LPARAM>(&list));
    if (defaultButton) *defaultButton = list.defaultText;
    return list.texts;
}

}  // namespace pm::test
