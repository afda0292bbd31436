#include "tests/support/app_driver.h"

#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <objbase.h>
#include <gdiplus.h>

#include <cstdio>
#include <iterator>
#include <memory>


namespace pm::test {

namespace {

constexpr DWORD PollMs = 20;
constexpr UINT SendTimeoutMs = 5000;

std::wstring parentFolder(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool fileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK findOwnedDialog(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<OwnedSearch*>(parameter);
    if (GetWindow(window, GW_OWNER) == search->owner && className(window) == L"#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::wstring pelmirtExePath() {
    wchar_t buffer[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    std::wstring folder = parentFolder(std::wstring(buffer, length));
    while (!folder.empty()) {
        const std::wstring candidate = folder + L"\\app\\pelmirt.exe";
        if (fileExists(candidate)) return candidate;
        folder = parentFolder(folder);
    }
    return std::wstring();
}

AppProcess::~AppProcess() {
    if (info_.hProcess) {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hProcess);
    }
    if (info_.hThread) CloseHandle(info_.hThread);
}

bool AppProcess::start(const std::wstring& arguments, bool suspended, HANDLE standardError) {
    const std::wstring exe = pelmirtExePath();
    if (exe.empty() || info_.hProcess) return false;
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    if (standardError) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdError = standardError;
    }
    return CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, standardError ? TRUE : FALSE,
                          suspended ? CREATE_SUSPENDED : 0, nullptr, nullptr, &startup, &info_) != FALSE;
}

void AppProcess::resume() {
    if (info_.hThread) ResumeThread(info_.hThread);
}

std::optional<DWORD> AppProcess::waitForExit(DWORD timeoutMs) {
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(info_.hProcess, &code)) return std::nullopt;
    return code;
}

std::string AppProcess::state() {
    if (!info_.hProcess) return "not started";
    const std::optional<DWORD> code = waitForExit(0);
    if (!code) return "running";
    // A status the system ended it with (a crash, a failed start) reads as it is documented: in hex.
    char text[48];
    std::snprintf(text, sizeof(text), *code < 0x10000 ? "ended with exit code %lu" : "ended with exit code 0x%lX",
                  static_cast<unsigned long>(*code));
    return text;
}

std::vector<HWND> topLevelWindows(DWORD processId) {
    struct Search {
        DWORD processId;
        std::vector<HWND> windows;
    } search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->processId) s->windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

HWND waitForWindow(DWORD processId, const wchar_t* wantedClass, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        for (HWND window : topLevelWindows(processId)) {
            if (className(window) == wantedClass) return window;
        }
        if (GetTickCount64() >= deadline) return nullptr;
        Sleep(PollMs);
    }
}

bool waitUntilVisible(HWND window, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!IsWindowVisible(window)) {
        if (!IsWindow(window) || GetTickCount64() >= deadline) return false;
        Sleep(PollMs);
    }
    return true;
}

HWND startMainWindow(AppProcess& process, const std::wstring& arguments) {
    const ULONGLONG start = GetTickCount64();
    const auto after = [start] { return " after " + std::to_string(GetTickCount64() - start) + " ms"; };
    if (!process.start(arguments)) {
        const DWORD error = GetLastError();
        ADD_FAILURE() << "pelmirt.exe did not start: error " << error << after();
        return nullptr;
    }
    HWND window = waitForWindow(process.processId(), L"PelmirtReleaseWindow", 10000);
    if (!window) {
        ADD_FAILURE() << "no main window" << after() << "; the process: " << process.state();
        return nullptr;
    }
    if (!waitUntilVisible(window, 5000)) {
        ADD_FAILURE() << (IsWindow(window) ? "the main window never showed" : "the main window went before it showed")
                      << after() << "; the process: " << process.state();
        return nullptr;
    }
    return window;
}

std::wstring windowText(HWND window) {
    wchar_t buffer[1024] = {};
    const int length = GetWindowTextW(window, buffer, static_cast<int>(std::size(buffer)));
    return std::wstring(buffer, length > 0 ? length : 0);
}

std::wstring className(HWND window) {
    wchar_t buffer[256] = {};
    const int length = GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
    return std::wstring(buffer, length > 0 ? length : 0);
}

HWND findControl(HWND parent, int id) { return parent ? GetDlgItem(parent, id) : nullptr; }

bool clickControl(HWND parent, int id) {
    HWND control = findControl(parent, id);
    DWORD_PTR result = 0;
    return control && SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, SendTimeoutMs, &result) != 0;
}

HWND waitForDialog(HWND owner, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        OwnedSearch search{owner, nullptr};
        EnumWindows(findOwnedDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (GetTickCount64() >= deadline) return nullptr;
        Sleep(PollMs);
    }
}

bool pressTaskDialogButton(HWND dialog, int buttonId) {
    DWORD_PTR result = 0;
    return dialog && SendMessageTimeoutW(dialog, TDM_CLICK_BUTTON, static_cast<WPARAM>(buttonId), 0,
                                         SMTO_ABORTIFHUNG, SendTimeoutMs, &result) != 0;
}

bool saveScreenshot(const std::wstring& pngPath) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool saved = false;
    HDC screen = GetDC(nullptr);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    if (screen && memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        // The PNG encoder's class id, as GDI+ lists it.
        UINT count = 0, size = 0;
        Gdiplus::GetImageEncodersSize(&count, &size);
        std::unique_ptr<char[]> buffer(new char[size > 0 ? size : 1]);
        auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
        if (size > 0 && Gdiplus::GetImageEncoders(count, size, encoders) == Gdiplus::Ok) {
            for (UINT i = 0; i < count; ++i) {
                if (std::wstring(encoders[i].MimeType) != L"image/png") continue;
                Gdiplus::Bitmap image(bitmap, nullptr);
                saved = image.Save(pngPath.c_str(), &encoders[i].Clsid, nullptr) == Gdiplus::Ok;
                break;
            }
        }
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    if (screen) ReleaseDC(nullptr, screen);
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

std::wstring historyLogPath() { return localAppDataPath() + L"\\Pelmirt\\history.log"; }

std::vector<std::string> readHistoryLines() {
    std::vector<std::string> lines;
    HANDLE file = CreateFileW(historyLogPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) bytes.append(chunk, read);
    CloseHandle(file);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace pm::test
