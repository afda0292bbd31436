#include "app/program.h"

#include "app/console_message.h"
#include "app/main_frame.h"
#include "app/main_window.h"
#include "app/program_internal.h"
#include "app/self_test_run.h"
#include "app/shell_globals.h"
#include "app/single_instance.h"
#include "ui/back_buffer.h"
#include "ui/key_repeat.h"
#include "ui/message_box.h"
#include "ui/shell_state.h"
#include "ui/text_list.h"
#include "ui/theme.h"
#include "ui/window_utils.h"

#include <commctrl.h>
#include <objbase.h>
#include <gdiplus.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace pm {

namespace {

void enableDpiAwareness() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC found = user32 ? GetProcAddress(user32, "SetProcessDpiAwarenessContext") : nullptr;
    auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(found));
    if (setContext) {
        setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));  // per-monitor aware, version 2
    } else {
        SetProcessDPIAware();
    }
}

float screenDpiScale() {
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    return static_cast<float>(dpi > 0 ? dpi : 96) / 96.0f;
}

// The secondary window that owns the message's window (itself or an ancestor), searched in the order
// preview windows, history windows, the widget, the large-files window.
HWND owningSecondaryWindow(HWND target) {
    std::vector<HWND> candidates(previewWindows);
    candidates.insert(candidates.end(), historyWindows.begin(), historyWindows.end());
    if (ui::widgetWindow) candidates.push_back(ui::widgetWindow);
    if (largeFilesWindow) candidates.push_back(largeFilesWindow);
    for (HWND candidate : candidates) {
        if (IsWindow(candidate) && (candidate == target || IsChild(candidate, target))) return candidate;
    }
    return nullptr;
}

// The key's window is a combo box of the window, or inside one, whose list is dropped down.
bool inDroppedCombo(HWND window, HWND target) {
    for (HWND w = target; w && w != window; w = GetParent(w)) {
        if (ui::hasWindowClass(w, L"ComboBox")) return SendMessageW(w, CB_GETDROPPEDSTATE, 0, 0) != 0;
    }
    return false;
}

// Keys the secondary windows take before dialog handling. True when the key was consumed.
bool handleSecondaryKey(HWND window, const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    // An open drop-down list takes Escape first and closes; the window stays.
    if (message.wParam == VK_ESCAPE && !inDroppedCombo(window, message.hwnd)) {
        SendMessageW(window, WM_CLOSE, 0, 0);
        return true;
    }
    if (window != ui::widgetWindow) return false;
    switch (message.wParam) {
    case VK_PRIOR:
    case VK_NEXT: {
        const short delta = message.wParam == VK_PRIOR ? WHEEL_DELTA : -WHEEL_DELTA;
        SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0);
        return true;
    }
    case VK_RETURN: {
        HWND focus = GetFocus();
        const int focusId = focus && IsChild(window, focus) ? GetDlgCtrlID(focus) : 0;
        const int id = focusId == 9102 || focusId == 9103 ? focusId : 9101;
        HWND control = id == focusId ? focus : GetDlgItem(window, id);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
        return true;
    }
    default:
        return false;
    }
}

void tearDown() {
    if (workerThread.joinable()) workerThread.join();
    ui::destroyBackBuffers(ui::childBackBuffers);
    ui::releaseBackBuffer(ui::mainBackBuffer);
    ui::clearFontCache(ui::fontCache);
    deleteMainFonts();
    ui::deleteThemeBrushes();
    Gdiplus::GdiplusShutdown(gdiplusToken);
    CoUninitialize();
}

}  // namespace

bool commandLineHas(const wchar_t* commandLine, const wchar_t* switchText) {
    return commandLine != nullptr && std::wcsstr(commandLine, switchText) != nullptr;
}

SIZE initialMainWindowSize(const RECT& workArea, float scale) {
    return SIZE{std::min(workArea.right - workArea.left - 24, ui::layoutPixels(1300.0f, scale)),
                std::min(workArea.bottom - workArea.top - 24, ui::layoutPixels(850.0f, scale))};
}

void routeMessage(MSG& message) {
    // One key press, one click or one closed window, however long the key is held.
    if (ui::isRepeatThatPressesOrCancels(message)) return;
    if (HWND owner = owningSecondaryWindow(message.hwnd)) {
        if (handleSecondaryKey(owner, message)) return;
        if (IsDialogMessageW(owner, &message)) return;
    } else if (IsDialogMessageW(ui::mainWindow, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int runMessageLoop() {
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        // A failed GetMessageW leaves the message undefined: end the loop with a plain 0.
        if (got == -1) return 0;
        routeMessage(message);
    }
}

int runProgram(HINSTANCE instance, const wchar_t* commandLine, int showCommand) {
    ui::appInstance = instance;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (commandLineHas(commandLine, L"--self-test")) {
        const int code = runSelfTestMode();
        CoUninitialize();
        return code;
    }
    smokeQuit = commandLineHas(commandLine, L"--smoke-quit");
    // Every other start meets the running instance first: one user's settings have one writer.
    if (!becomeRunningInstance()) {
        CoUninitialize();
        if (!smokeQuit) return 0;
        // A smoke run that opened nothing has tested nothing: a script must not read it as a pass.
        writeConsoleLine(SmokeRunRefusedText);
        return ExitSmokeRunRefused;
    }

    enableDpiAwareness();
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    Gdiplus::GdiplusStartupInput gdiplusInput;
    gdiplusInput.GdiplusVersion = 1;
    gdiplusInput.DebugEventCallback = nullptr;
    gdiplusInput.SuppressBackgroundThread = FALSE;
    gdiplusInput.SuppressExternalCodecs = FALSE;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    registerMainWindowClass();
    dpiScale = ui::layoutScale = screenDpiScale();
    RECT workArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");

    const SIZE size = initialMainWindowSize(workArea, dpiScale);
    const std::wstring title = ui::productTitle();
    HWND window = CreateWindowExW(0, MainWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) {
        Gdiplus::GdiplusShutdown(gdiplusToken);
        return ExitWindowFailed;
    }
    publishMainWindow(window);
    ShowWindow(window, showCommand);
    ui::updateAllWindows();

    const int code = runMessageLoop();
    tearDown();
    return code;
}

}  // namespace pm
