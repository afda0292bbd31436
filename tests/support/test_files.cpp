#include "tests/support/test_files.h"

#include "engine/file_info.h"
#include "engine/handle_holder.h"

#include <shlobj.h>

#include <atomic>
#include <stdexcept>

namespace pm::test {

namespace {

std::wstring longPath(const std::wstring& path) {
    return path.rfind(L"\\\\?\\", 0) == 0 ? path : L"\\\\?\\" + path;
}

std::wstring uniqueName() {
    static std::atomic<unsigned> counter{0};
    return L"pmtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) +
           L"-" + std::to_wstring(counter++);
}

}  // namespace

bool inPrivateTestPrefix() {
    wchar_t windows[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n < 3 || n >= MAX_PATH) return false;
    std::wstring marker = std::wstring(windows, 3) + L"pelmirt-test-prefix";
    DWORD attributes = GetFileAttributesW(marker.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

std::wstring environment(const wchar_t* name) {
    wchar_t buffer[4096] = {};
    DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

}  // namespace

bool recycleBinIsPrivate() {
    const std::wstring prefix = environment(L"WINEPREFIX");
    const std::size_t slash = prefix.find_last_of(L'/');
    if (prefix.empty() || slash == std::wstring::npos || slash == 0) return false;
    const std::wstring wineFolder = prefix.substr(0, slash + 1);
    // Wine hands HOME on as WINEHOMEDIR, in its NT form (\??\Z:\...).
    std::wstring home = environment(L"WINEHOMEDIR");
    for (wchar_t& c : home)
        if (c == L'\\') c = L'/';
    const std::wstring data = environment(L"XDG_DATA_HOME");
    return home.find(wineFolder) != std::wstring::npos && data.rfind(wineFolder, 0) == 0;
}

std::wstring tempPath() {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH) throw std::runtime_error("GetTempPathW");
    std::wstring path(buffer, n);
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

std::wstring localAppDataPath() {
    PWSTR raw = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &raw))) {
        CoTaskMemFree(raw);
        throw std::runtime_error("LocalAppData");
    }
    std::wstring path(raw);
    CoTaskMemFree(raw);
    return path;
}

void makeDirectories(const std::wstring& path) {
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == L'\\') {
            std::wstring part = path.substr(0, i);
            if (!CreateDirectoryW(longPath(part).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
                throw std::runtime_error("CreateDirectoryW");
        }
    }
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(longPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("CreateFileW");
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    if (!ok || written != bytes.size()) throw std::runtime_error("WriteFile");
}

std::string readFile(const std::wstring& path) {
    HANDLE h = CreateFileW(longPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(h, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(h);
    return bytes;
}

bool setLastWriteTime(const std::wstring& path, std::uint64_t fileTime) {
    HANDLE h = CreateFileW(longPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME ft{static_cast<DWORD>(fileTime & 0xFFFFFFFFu), static_cast<DWORD>(fileTime >> 32)};
    BOOL ok = SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    return ok != FALSE;
}

std::uint64_t nowFileTime() {
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

void removeTree(const std::wstring& path) {
    std::wstring lp = longPath(path);
    DWORD attributes = GetFileAttributesW(lp.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(lp.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(lp.c_str());
        return;
    }
    // A link to a folder is removed as a link; its target is never walked.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW data{};
        HANDLE find = FindFirstFileExW((lp + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                       nullptr, 0);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = data.cFileName;
                if (name != L"." && name != L"..") removeTree(path + L"\\" + name);
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
    }
    RemoveDirectoryW(lp.c_str());
}

TempFolder::TempFolder(const std::wstring& parent) {
    std::wstring base = parent.empty() ? tempPath() : parent;
    makeDirectories(base);
    path_ = base + L"\\" + uniqueName();
    if (!CreateDirectoryW(longPath(path_).c_str(), nullptr)) throw std::runtime_error("CreateDirectoryW");
}

TempFolder::~TempFolder() { removeTree(path_); }

}  // namespace pm::test

namespace pm::test {

namespace {

// A fixture set below C:\pelmirt-fixtures, when the runner laid it out: the folder `marker` inside it exists.
std::wstring fixtureSet(const std::wstring& name, const wchar_t* marker = L"scanned") {
    wchar_t windows[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n < 3 || n >= MAX_PATH) return std::wstring();
    std::wstring path = std::wstring(windows, 3) + L"pelmirt-fixtures\\" + name;
    DWORD attributes = GetFileAttributesW((path + L"\\" + marker).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::wstring();
    return path;
}

}  // namespace

std::wstring linkFixturesPath() { return fixtureSet(L"links"); }

std::wstring privateLinkFixturesPath(const std::wstring& set) { return fixtureSet(L"private\\" + set); }

std::wstring caseOnlyFoldersPath() {
    const std::wstring path = fixtureSet(L"case-only", L"Sub");
    if (path.empty()) return path;
    // Two folders only where the file system finds each under its own name.
    auto fileIndex = [&](const wchar_t* name) {
        BY_HANDLE_FILE_INFORMATION info{};
        const HandleHolder folder(CreateFileW((path + L"\\" + name).c_str(), FILE_READ_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return folder.valid() && GetFileInformationByHandle(folder.get(), &info) ? fileIndexOf(info)
                                                                                 : std::uint64_t{0};
    };
    const std::uint64_t upper = fileIndex(L"Sub");
    return upper != 0 && upper != fileIndex(L"sub") ? path : std::wstring();
}

}  // namespace pm::test
