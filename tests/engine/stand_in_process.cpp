#include "tests/engine/stand_in_process.h"

#include <vector>

namespace pm::test {

namespace {

// The stand-in program is built beside the test executable.
std::wstring standInProgram() {
    std::wstring path(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"browser_stand_in.exe";
}

struct WindowCount {
    DWORD pid;
    int count;
};

BOOL CALLBACK countWindows(HWND window, LPARAM context) {
    auto* counted = reinterpret_cast<WindowCount*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (pid == counted->pid && std::wstring(className) == L"PelmirtBrowserStandIn") ++counted->count;
    return TRUE;
}

}  // namespace

StandIn::StandIn(const std::wstring& executableName, const std::wstring& mode) : mode_(mode) {
    const std::wstring program = folder_ / executableName;
    if (!CopyFileW(standInProgram().c_str(), program.c_str(), TRUE)) return;
    std::wstring commandLine = L"\"" + program + L"\" " + mode;
    // Under Wine the first windowed process starts the desktop process (explorer.exe /desktop), which inherits
    // that process's output and outlives it; holding the test's output pipe it would keep CTest waiting. So the
    // stand-in gets NUL for its standard handles, and the test waits until it is idle (its windows made, the
    // desktop started by it) before touching any window itself.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process_))
        process_ = PROCESS_INFORMATION{};
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    if (started()) WaitForInputIdle(process_.hProcess, 5000);
}

StandIn::~StandIn() {
    if (!started()) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool StandIn::waitForWindows() const {
    const int expected = mode_ == L"owned" ? 2 : 1;
    for (int i = 0; started() && i < 500; ++i) {
        WindowCount counted{pid(), 0};
        EnumWindows(countWindows, reinterpret_cast<LPARAM>(&counted));
        if (counted.count >= expected) return true;
        Sleep(10);
    }
    return false;
}

bool StandIn::exitsWithin(DWORD milliseconds) const {
    return started() && WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_OBJECT_0;
}

}  // namespace pm::test
