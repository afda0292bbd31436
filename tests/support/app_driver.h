// Drives pelmirt.exe from a test, as a second process would on a real desktop: starts it, finds its
// windows, clicks its controls, answers its task dialogs and reads the history it wrote.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace pm::test {

// pelmirt.exe of this build: looked up as app\pelmirt.exe in the folders above the test program.
std::wstring pelmirtExePath();

// One run of pelmirt.exe. Still running when destroyed: it is terminated (a test never leaves it behind).
class AppProcess {
public:
    AppProcess() = default;
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    // Starts pelmirt.exe with the arguments (appended to its quoted path). False when it did not start.
    // Suspended: its main thread waits for resume(), so a watcher can be set up for its process id first.
    // standardError, when given, is an inheritable handle that the process gets as its standard error.
    bool start(const std::wstring& arguments, bool suspended = false, HANDLE standardError = nullptr);
    void resume();
    // The exit code, or nothing when the process is still running after timeoutMs.
    std::optional<DWORD> waitForExit(DWORD timeoutMs);
    DWORD processId() const { return info_.dwProcessId; }
    HANDLE process() const { return info_.hProcess; }
    // What a failure message says of it: "not started", "running" or "ended with exit code N".
    std::string state();

private:
    PROCESS_INFORMATION info_{};
};

// Top-level windows of a process (visible or not), in Z order.
std::vector<HWND> topLevelWindows(DWORD processId);
// The first top-level window of the process with this class, waiting up to timeoutMs; null when none came.
HWND waitForWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs);

// True once the window is visible, waiting up to timeoutMs.
bool waitUntilVisible(HWND window, DWORD timeoutMs);

// Starts pelmirt.exe with the arguments and waits until its main window shows: the window, or null after a
// test failure that names the step that failed and what was seen of the process, so that a rare failure can
// be told apart (the start refused, no window, or a window gone before it showed, with the exit code).
HWND startMainWindow(AppProcess& process, const std::wstring& arguments);

std::wstring windowText(HWND window);   // GetWindowTextW: never blocks on a busy window
std::wstring className(HWND window);

// The child control with the id, or null.
HWND findControl(HWND parent, int id);
// BM_CLICK on the control, sent with a time-out so a busy program cannot hang the test.
bool clickControl(HWND parent, int id);

// A task dialog or message box ("#32770") owned by the window, waiting up to timeoutMs.
HWND waitForDialog(HWND owner, DWORD timeoutMs);
// Presses a task dialog's button by its id (TDM_CLICK_BUTTON); the dialog closes with that result.
bool pressTaskDialogButton(HWND dialog, int buttonId);

// The whole screen (under Wine: the virtual desktop) as a PNG file. False when it could not be written.
bool saveScreenshot(const std::wstring& pngPath);

// history.log in the program's folder under LocalAppData.
std::wstring historyLogPath();
// Its lines without CR LF; empty when the file is missing.
std::vector<std::string> readHistoryLines();

}  // namespace pm::test
