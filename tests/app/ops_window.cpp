#include "tests/app/ops_window.h"

#include "app/operations.h"

namespace pm::test {

namespace {

OpsWindow* current = nullptr;

LRESULT CALLBACK opsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_APP_PROGRESS: onProgressMessage(lParam); return 0;
    case WM_APP_SCAN_DONE: onScanDone(lParam); return 0;
    case WM_APP_CLEAN_DONE: onCleanDone(lParam); return 0;
    case WM_APP_WORKER_ERROR: onWorkerError(lParam); return 0;
    case WM_APP_CONTINUE_EXIT:
        if (current) ++current->exitContinuations;
        return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

BOOL CALLBACK appendControlText(HWND control, LPARAM texts) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    *reinterpret_cast<std::wstring*>(texts) += text + L"\n";
    return TRUE;
}

BOOL CALLBACK answerDialog(HWND dialog, LPARAM) {
    if (!current || GetWindow(dialog, GW_OWNER) != current->window) return TRUE;
    wchar_t name[32] = {};
    GetClassNameW(dialog, name, 32);
    if (std::wstring(name) != L"#32770" || !IsWindowVisible(dialog)) return TRUE;
    wchar_t caption[256] = {};
    GetWindowTextW(dialog, caption, 256);
    current->dialogCaptions.push_back(caption);
    std::wstring texts;
    EnumChildWindows(dialog, appendControlText, reinterpret_cast<LPARAM>(&texts));
    current->dialogTexts.push_back(texts);
    int button = IDNO;
    if (!current->answers.empty()) {
        button = current->answers.front();
        current->answers.erase(current->answers.begin());
    }
    // A box with OK only takes IDOK; a question takes the planned answer.
    if (!GetDlgItem(dialog, IDNO) && button == IDNO) button = IDOK;
    PostMessageW(dialog, TDM_CLICK_BUTTON, static_cast<WPARAM>(button), 0);
    return FALSE;
}

// Runs inside the boxes' own message loops too, so a box shown by a handler is seen and answered.
void CALLBACK watchDialogs(HWND, UINT, UINT_PTR, DWORD) { EnumWindows(answerDialog, 0); }

}  // namespace

OpsWindow::OpsWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = opsWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PelmirtOpsTestWindow";
    RegisterClassW(&windowClass);
    window = CreateWindowExW(0, L"PelmirtOpsTestWindow", L"ops", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr,
                             nullptr, windowClass.hInstance, nullptr);
    current = this;
    resetShellState(window);
    SetTimer(window, 77, 50, watchDialogs);
}

OpsWindow::~OpsWindow() {
    joinWorker();
    if (window) DestroyWindow(window);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) DispatchMessageW(&message);
    }
    current = nullptr;
    ui::mainWindow = nullptr;
}

bool OpsWindow::pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return true;
}

void resetShellState(HWND mainWindow) {
    ui::mainWindow = mainWindow;
    ui::modalDepth = 0;
    ui::exitPending = ui::hidePending = ui::hiddenToTray = ui::destroying = false;
    ui::currentSettings = AppSettings{};
    busy = false;
    operationPhase = PhaseIdle;
    cancelRequested = false;
    exitAfterOperation = false;
    analysisPresent = false;
    scanReport = ScanReport{};
    cleanSelection = {true, true, false};
    lastOperationKind = 0;
    statusText = L"Готов к анализу";
    progressText.clear();
    lastResultText.clear();
}

}  // namespace pm::test
