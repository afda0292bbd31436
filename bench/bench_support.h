// What the benchmarks share: timing, memory figures and a tree of aged files built and removed around a run.
#pragma once

#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <functional>
#include <string>

namespace bench {

// The trees have 200 folders of 100 files; PELMIRT_BENCH_FOLDERS (1 to 200) asks for fewer folders, for a
// short trial of a benchmark or of a script that runs it.
inline int benchFolders() {
    wchar_t text[8] = {};
    const DWORD length = GetEnvironmentVariableW(L"PELMIRT_BENCH_FOLDERS", text, 8);
    const int asked = length > 0 && length < 8 ? static_cast<int>(std::wcstol(text, nullptr, 10)) : 0;
    return asked >= 1 && asked <= 200 ? asked : 200;
}

inline const int kFolders = benchFolders();
inline constexpr int kFilesPerFolder = 100;
inline const std::uint64_t kFiles = static_cast<std::uint64_t>(kFolders) * kFilesPerFolder;
inline constexpr std::uint64_t kHour = 36'000'000'000ULL;

inline std::wstring longPath(const std::wstring& path) { return L"\\\\?\\" + path; }

inline std::uint64_t nowFileTime() {
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

inline double seconds(const std::function<void()>& work) {
    LARGE_INTEGER frequency{}, start{}, stop{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&stop);
    return static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline PROCESS_MEMORY_COUNTERS memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

inline std::wstring temporaryFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring path(buffer, n);
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

// The user's temporary folder under LocalAppData (a clean-up location), made when missing; empty when
// there is none.
inline std::wstring userTemporaryFolder() {
    PWSTR raw = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &raw))) path = std::wstring(raw) + L"\\Temp";
    CoTaskMemFree(raw);
    if (path.empty() || (!CreateDirectoryW(longPath(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS))
        return std::wstring();
    return path;
}

inline constexpr std::size_t kSmallFile = 64;

// The tree: <parent>\<name>-<pid>\dNNN\fNNN.tmp, every file 48 hours old and 64 bytes, except f0 of each
// folder, which has firstFileSize bytes. The destructor removes whatever of it is left.
class BenchTree {
public:
    BenchTree(const std::wstring& parent, const std::wstring& name, std::size_t firstFileSize = kSmallFile) {
        root_ = parent + L"\\" + name + L"-" + std::to_wstring(GetCurrentProcessId());
        ok_ = CreateDirectoryW(longPath(root_).c_str(), nullptr) != FALSE;
        std::uint64_t old = nowFileTime() - 48 * kHour;
        FILETIME aged{static_cast<DWORD>(old & 0xFFFFFFFFu), static_cast<DWORD>(old >> 32)};
        std::string bytes(firstFileSize > kSmallFile ? firstFileSize : kSmallFile, 'x');
        for (int d = 0; ok_ && d < kFolders; ++d) {
            ok_ = CreateDirectoryW(longPath(folder(d)).c_str(), nullptr) != FALSE;
            for (int f = 0; ok_ && f < kFilesPerFolder; ++f) {
                HANDLE h = CreateFileW(longPath(file(d, f)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
                if (h == INVALID_HANDLE_VALUE) {
                    ok_ = false;
                    break;
                }
                DWORD written = 0;
                DWORD size = static_cast<DWORD>(f == 0 ? firstFileSize : kSmallFile);
                ok_ = WriteFile(h, bytes.data(), size, &written, nullptr) &&
                      SetFileTime(h, nullptr, nullptr, &aged);
                CloseHandle(h);
            }
        }
    }
    ~BenchTree() {
        for (int d = 0; d < kFolders; ++d) {
            for (int f = 0; f < kFilesPerFolder; ++f) DeleteFileW(longPath(file(d, f)).c_str());
            RemoveDirectoryW(longPath(folder(d)).c_str());
        }
        RemoveDirectoryW(longPath(root_).c_str());
    }
    BenchTree(const BenchTree&) = delete;
    BenchTree& operator=(const BenchTree&) = delete;

    bool ok() const { return ok_; }
    const std::wstring& root() const { return root_; }
    std::wstring folder(int d) const { return root_ + L"\\d" + std::to_wstring(d); }
    std::wstring file(int d, int f) const { return folder(d) + L"\\f" + std::to_wstring(f) + L".tmp"; }

private:
    std::wstring root_;
    bool ok_ = false;
};

}  // namespace bench
