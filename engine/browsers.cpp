#include "engine/browsers.h"

#include "engine/browsers_internal.h"
#include "engine/handle_holder.h"
#include "engine/process_user.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>

namespace pm {

namespace {

struct BrowserRow {
    const wchar_t* executable;
    const wchar_t* displayName;
};

constexpr BrowserRow kBrowsers[] = {
    {L"chrome.exe", L"Google Chrome"},
    {L"msedge.exe", L"Microsoft Edge"},
    {L"firefox.exe", L"Mozilla Firefox"},
};

static_assert(sizeof(PROCESSENTRY32W) == 568, "PROCESSENTRY32W is 568 bytes on x86-64");

// Whether a browser process belongs to this user and session; in doubt it does.
bool countsAsOurs(DWORD pid) {
    DWORD ownSession = 0;
    DWORD itsSession = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &ownSession) || !ProcessIdToSessionId(pid, &itsSession))
        return true;
    if (ownSession != itsSession) return false;
    HandleHolder process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process.valid()) return GetLastError() != ERROR_INVALID_PARAMETER;  // 87: the process is gone
    std::vector<BYTE> own;
    std::vector<BYTE> its;
    if (!readTokenUser(GetCurrentProcess(), own) || !readTokenUser(process.get(), its)) return true;
    return EqualSid(tokenUserSid(own), tokenUserSid(its)) != FALSE;
}

// The display name for an executable name (compared without regard to case), or null.
const wchar_t* browserDisplayName(const wchar_t* executable) {
    for (const BrowserRow& row : kBrowsers)
        if (_wcsicmp(executable, row.executable) == 0) return row.displayName;
    return nullptr;
}

// What closeBrowserWindowsProc works with: the browsers found and whether a close was posted.
struct BrowserCloseContext {
    const std::vector<BrowserProcess>* browsers = nullptr;
    bool posted = false;
};

// EnumWindows callback: posts WM_CLOSE to a visible, unowned window of a listed process. Never stops early.
BOOL CALLBACK closeBrowserWindowsProc(HWND window, LPARAM context) {
    auto* close = reinterpret_cast<BrowserCloseContext*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    bool listedProcess = false;
    for (const BrowserProcess& browser : *close->browsers) listedProcess = listedProcess || browser.pid == pid;
    if (listedProcess && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr &&
        PostMessageW(window, WM_CLOSE, 0, 0))
        close->posted = true;
    return TRUE;
}

}  // namespace

std::vector<BrowserProcess> findBrowserProcesses(bool& listed) {
    std::vector<BrowserProcess> browsers;
    HandleHolder snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    listed = snapshot.valid();
    if (!listed) return browsers;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!Process32FirstW(snapshot.get(), &entry)) {
        listed = false;
        return browsers;
    }
    do {
        const wchar_t* name = browserDisplayName(entry.szExeFile);
        if (name != nullptr && countsAsOurs(entry.th32ProcessID)) browsers.push_back({entry.th32ProcessID, name});
    } while (Process32NextW(snapshot.get(), &entry));
    if (GetLastError() != ERROR_NO_MORE_FILES) listed = false;  // what was gathered so far is still returned
    return browsers;
}

std::vector<std::wstring> runningBrowserNames() {
    bool listed = false;
    std::vector<BrowserProcess> browsers = findBrowserProcesses(listed);
    if (!listed) return {kBrowserStatusUnavailable};
    std::vector<std::wstring> names;
    for (const BrowserProcess& browser : browsers) {
        bool seen = false;
        for (const std::wstring& name : names) seen = seen || name == browser.displayName;
        if (!seen) names.push_back(browser.displayName);
    }
    return names;
}

bool requestBrowserClose() {
    bool listed = false;
    std::vector<BrowserProcess> browsers = findBrowserProcesses(listed);
    if (!listed) return false;
    if (browsers.empty()) return true;
    BrowserCloseContext context{&browsers, false};
    EnumWindows(closeBrowserWindowsProc, reinterpret_cast<LPARAM>(&context));
    return context.posted;
}

}  // namespace pm
