// Start-up of pelmirt.exe under Wine, run by bench/startup_bench.sh (see the README), with the program's
// default settings (the stored ones are put back afterwards):
//   1. wall time of "pelmirt.exe --smoke-quit" runs, process start to exit (the window lives ~900 ms);
//   2. time from process creation to the first WM_PAINT of the main window: this program starts itself
//      with "--first-paint", which runs the program's own start-up in-process and watches the messages
//      its UI thread handles (message hooks on that thread).
#include "app/main_window.h"
#include "app/program.h"
#include "services/state/state_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cwchar>
#include <exception>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int Runs = 10;

std::wstring ownPath() {
    wchar_t buffer[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    return std::wstring(buffer, length);
}

std::wstring pelmirtPath() {
    std::wstring folder = ownPath();
    folder = folder.substr(0, folder.find_last_of(L'\\'));  // bench
    folder = folder.substr(0, folder.find_last_of(L'\\'));  // build
    return folder + L"\\app\\pelmirt.exe";
}

// Runs the command line; returns its exit code and the elapsed milliseconds.
std::pair<DWORD, double> timedRun(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        return {0xFFFFFFFF, 0.0};
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return {code, static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart)};
}

void printFigures(const char* what, std::vector<double> values) {
    if (values.empty()) {
        std::printf("%s: no successful run\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    std::printf("%s over %zu runs: min %.1f ms, median %.1f ms, max %.1f ms\n", what, values.size(), values.front(),
                values[values.size() / 2], values.back());
}

// Child mode: milliseconds from this process's creation to the main window's first WM_PAINT. The first
// one is usually sent (UpdateWindow right after ShowWindow), later ones are taken from the queue: both
// hooks watch.
ULONGLONG firstPaintTime = 0;

void notePaint(HWND window, UINT message) {
    if (firstPaintTime || message != WM_PAINT) return;
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wcscmp(name, pm::MainWindowClass) != 0) return;
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    firstPaintTime = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

LRESULT CALLBACK watchQueued(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        notePaint(message->hwnd, message->message);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK watchSent(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        notePaint(message->hwnd, message->message);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

ULONGLONG preciseNow() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// Exit code: two 15-bit fields in 0.1 ms units (at most 3.2 s each): process creation to entry (low),
// entry to the first paint (high); -1 when no paint was seen.
int firstPaintChild() {
    const ULONGLONG entry = preciseNow();
    HHOOK queued = SetWindowsHookExW(WH_GETMESSAGE, watchQueued, nullptr, GetCurrentThreadId());
    HHOOK sent = SetWindowsHookExW(WH_CALLWNDPROC, watchSent, nullptr, GetCurrentThreadId());
    const int code = pm::runProgram(GetModuleHandleW(nullptr), L"--smoke-quit", SW_SHOWNORMAL);
    if (queued) UnhookWindowsHookEx(queued);
    if (sent) UnhookWindowsHookEx(sent);
    FILETIME created, exited, kernel, user;
    if (code != 0 || !firstPaintTime || !GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return -1;
    }
    const ULONGLONG start = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    const auto tenths = [](ULONGLONG from, ULONGLONG to) {
        return static_cast<int>(std::min<ULONGLONG>((to - from) / 1000, 0x7FFF));  // 0.1 ms units
    };
    return (tenths(entry, firstPaintTime) << 15) | tenths(start, entry);
}

// The default settings in the state file for the holder's lifetime, then the stored file back (or none):
// a desktop widget left switched on by the screenshots, for one, would add its window to every start.
class DefaultSettings {
public:
    DefaultSettings() : path_(pm::appDataDir() + L"\\state.dat"), kept_(pm::readWholeFile(path_)) {
        pm::saveAppState(pm::AppSettings{});
    }
    ~DefaultSettings() {
        if (kept_.empty()) {
            DeleteFileW(path_.c_str());
            return;
        }
        try {
            pm::writeFileAtomically(path_, kept_.data(), static_cast<std::uint32_t>(kept_.size()));
        } catch (const std::exception& e) {
            std::printf("the stored settings could not be put back: %s\n", e.what());
        }
    }
    DefaultSettings(const DefaultSettings&) = delete;
    DefaultSettings& operator=(const DefaultSettings&) = delete;

private:
    std::wstring path_;
    std::vector<std::uint8_t> kept_;
};

}  // namespace

int main() {
    if (std::wcsstr(GetCommandLineW(), L"--first-paint")) return firstPaintChild();

    std::optional<DefaultSettings> defaults;
    try {
        defaults.emplace();
    } catch (const std::exception& e) {
        std::printf("the default settings could not be stored: %s\n", e.what());
        return 1;
    }
    const std::wstring pelmirt = pelmirtPath();
    std::vector<double> wall;
    for (int i = 0; i < Runs; ++i) {
        const auto [code, ms] = timedRun(pelmirt, L"--smoke-quit");
        if (code == 0) wall.push_back(ms);
    }
    printFigures("pelmirt.exe --smoke-quit, start to exit", wall);

    std::vector<double> paint, toEntry, entryToPaint;
    for (int i = 0; i < Runs; ++i) {
        const auto [code, ms] = timedRun(ownPath(), L"--first-paint");
        (void)ms;
        if (static_cast<int>(code) <= 0) continue;
        const double before = (code & 0x7FFF) / 10.0;
        const double after = ((code >> 15) & 0x7FFF) / 10.0;
        toEntry.push_back(before);
        entryToPaint.push_back(after);
        paint.push_back(before + after);
    }
    printFigures("process creation to the main window's first WM_PAINT", paint);
    printFigures("  of which process creation to the program's entry (Wine's loader)", toEntry);
    printFigures("  of which program entry to the first WM_PAINT", entryToPaint);
    return wall.empty() || paint.empty() ? 1 : 0;
}
