// Counts the file-system calls of the deletion road and of the large-file search, the same way for every
// build: this program's own imports of the file functions are redirected to counting wrappers (the engine is
// linked into it, so every call it makes passes through them), and only the measured call is counted.
//   deleteEntry     one call for one file lying directly in its scanned root, 6 folders below the drive root
//   cleanTargets    one pass over 100 files in 10 folders below the user's temporary folder (a clean-up
//                   location), per deleted file, the pass's own start-up included
//   search          searchLargeFiles over 10 folders of 5 small files: per searched directory (the searched
//                   folder counts as one) with a minimum that lists nothing, and per listed file when the
//                   minimum lists one file of each folder
// Needs nothing but the prefix; the trees are made in the temporary folders and removed afterwards.
#include "engine/clean_pass.h"
#include "engine/delete_entry.h"
#include "engine/large/large_search.h"
#include "engine/path_rules.h"
#include "engine/scan.h"

#include "bench/bench_support.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using namespace bench;

struct Counts {
    std::uint64_t opens = 0;       // CreateFileW
    std::uint64_t closes = 0;      // CloseHandle
    std::uint64_t fullInfo = 0;    // GetFileInformationByHandle
    std::uint64_t tagInfo = 0;     // GetFileInformationByHandleEx(FileAttributeTagInfo)
    std::uint64_t otherInfo = 0;   // GetFileInformationByHandleEx, any other class
    std::uint64_t finalPath = 0;   // GetFinalPathNameByHandleW
    std::uint64_t setInfo = 0;     // SetFileInformationByHandle
    std::uint64_t find = 0;        // FindFirstFileExW, FindNextFileW, FindClose
    std::uint64_t all() const { return opens + closes + fullInfo + tagInfo + otherInfo + finalPath + setInfo + find; }
};

Counts counts;
bool counting = false;

void count(std::uint64_t& field) {
    if (counting) ++field;
}

decltype(&CreateFileW) realCreateFileW;
decltype(&CloseHandle) realCloseHandle;
decltype(&GetFileInformationByHandle) realGetFileInformationByHandle;
decltype(&GetFileInformationByHandleEx) realGetFileInformationByHandleEx;
decltype(&GetFinalPathNameByHandleW) realGetFinalPathNameByHandleW;
decltype(&SetFileInformationByHandle) realSetFileInformationByHandle;
decltype(&FindFirstFileExW) realFindFirstFileExW;
decltype(&FindNextFileW) realFindNextFileW;
decltype(&FindClose) realFindClose;

HANDLE WINAPI countedCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                 DWORD disposition, DWORD flags, HANDLE model) {
    count(counts.opens);
    return realCreateFileW(name, access, share, security, disposition, flags, model);
}
BOOL WINAPI countedCloseHandle(HANDLE handle) {
    count(counts.closes);
    return realCloseHandle(handle);
}
BOOL WINAPI countedGetFileInformationByHandle(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION info) {
    count(counts.fullInfo);
    return realGetFileInformationByHandle(handle, info);
}
BOOL WINAPI countedGetFileInformationByHandleEx(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, LPVOID info,
                                                DWORD size) {
    count(type == FileAttributeTagInfo ? counts.tagInfo : counts.otherInfo);
    return realGetFileInformationByHandleEx(handle, type, info, size);
}
DWORD WINAPI countedGetFinalPathNameByHandleW(HANDLE handle, LPWSTR buffer, DWORD size, DWORD flags) {
    count(counts.finalPath);
    return realGetFinalPathNameByHandleW(handle, buffer, size, flags);
}
BOOL WINAPI countedSetFileInformationByHandle(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, LPVOID info,
                                              DWORD size) {
    count(counts.setInfo);
    return realSetFileInformationByHandle(handle, type, info, size);
}
HANDLE WINAPI countedFindFirstFileExW(LPCWSTR name, FINDEX_INFO_LEVELS level, LPVOID data, FINDEX_SEARCH_OPS op,
                                      LPVOID filter, DWORD flags) {
    count(counts.find);
    return realFindFirstFileExW(name, level, data, op, filter, flags);
}
BOOL WINAPI countedFindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data) {
    count(counts.find);
    return realFindNextFileW(find, data);
}
BOOL WINAPI countedFindClose(HANDLE find) {
    count(counts.find);
    return realFindClose(find);
}

struct Redirect {
    const char* name;
    void* counted;
    void** real;
};

// Points this program's import slots of the file functions at the counting wrappers. Returns how many of the
// functions were found among the imports.
int redirectImports() {
    const Redirect redirects[] = {
        {"CreateFileW", reinterpret_cast<void*>(countedCreateFileW), reinterpret_cast<void**>(&realCreateFileW)},
        {"CloseHandle", reinterpret_cast<void*>(countedCloseHandle), reinterpret_cast<void**>(&realCloseHandle)},
        {"GetFileInformationByHandle", reinterpret_cast<void*>(countedGetFileInformationByHandle),
         reinterpret_cast<void**>(&realGetFileInformationByHandle)},
        {"GetFileInformationByHandleEx", reinterpret_cast<void*>(countedGetFileInformationByHandleEx),
         reinterpret_cast<void**>(&realGetFileInformationByHandleEx)},
        {"GetFinalPathNameByHandleW", reinterpret_cast<void*>(countedGetFinalPathNameByHandleW),
         reinterpret_cast<void**>(&realGetFinalPathNameByHandleW)},
        {"SetFileInformationByHandle", reinterpret_cast<void*>(countedSetFileInformationByHandle),
         reinterpret_cast<void**>(&realSetFileInformationByHandle)},
        {"FindFirstFileExW", reinterpret_cast<void*>(countedFindFirstFileExW),
         reinterpret_cast<void**>(&realFindFirstFileExW)},
        {"FindNextFileW", reinterpret_cast<void*>(countedFindNextFileW), reinterpret_cast<void**>(&realFindNextFileW)},
        {"FindClose", reinterpret_cast<void*>(countedFindClose), reinterpret_cast<void**>(&realFindClose)},
    };
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    int found = 0;
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         module->Name != 0; ++module) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            for (const Redirect& r : redirects) {
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), r.name) != 0) continue;
                DWORD old = 0;
                VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
                *r.real = reinterpret_cast<void*>(slots->u1.Function);
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(r.counted);
                VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
                ++found;
            }
        }
    }
    return found;
}

template <typename Work>
Counts countCalls(Work work) {
    counts = Counts{};
    counting = true;
    work();
    counting = false;
    return counts;
}

void printRow(const char* label, const Counts& c, double per) {
    std::printf("| %-38s | %6.2f | %6.2f | %6.2f | %6.2f | %6.2f | %6.2f | %6.2f | %6.2f | %7.2f |\n", label,
                c.opens / per, c.closes / per, c.fullInfo / per, c.tagInfo / per, c.otherInfo / per,
                c.finalPath / per, c.setInfo / per, c.find / per, c.all() / per);
}

bool makeAgedFile(const std::wstring& path, std::size_t size) {
    HANDLE h = CreateFileW(longPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::string bytes(size, 'x');
    DWORD written = 0;
    std::uint64_t old = nowFileTime() - 48 * kHour;
    FILETIME aged{static_cast<DWORD>(old & 0xFFFFFFFFu), static_cast<DWORD>(old >> 32)};
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(size), &written, nullptr) &&
              SetFileTime(h, nullptr, nullptr, &aged);
    CloseHandle(h);
    return ok;
}

// root\dNN\fNN.tmp, folders x files, the first file of each folder firstSize bytes and the others 64.
struct SmallTree {
    std::wstring root;
    int folders, files;
    SmallTree(const std::wstring& parent, const std::wstring& name, int folders, int files, std::size_t firstSize = 64)
        : root(parent + L"\\" + name + L"-" + std::to_wstring(GetCurrentProcessId())), folders(folders), files(files) {
        CreateDirectoryW(longPath(root).c_str(), nullptr);
        for (int d = 0; d < folders; ++d) {
            CreateDirectoryW(longPath(folder(d)).c_str(), nullptr);
            for (int f = 0; f < files; ++f) makeAgedFile(file(d, f), f == 0 ? firstSize : 64);
        }
    }
    ~SmallTree() {
        for (int d = 0; d < folders; ++d) {
            for (int f = 0; f < files; ++f) DeleteFileW(longPath(file(d, f)).c_str());
            RemoveDirectoryW(longPath(folder(d)).c_str());
        }
        RemoveDirectoryW(longPath(root).c_str());
    }
    std::wstring folder(int d) const { return root + L"\\d" + std::to_wstring(d); }
    std::wstring file(int d, int f) const { return folder(d) + L"\\f" + std::to_wstring(f) + L".tmp"; }
};

std::size_t depthBelowDrive(const std::wstring& path) { return std::count(path.begin() + 3, path.end(), L'\\') + 1; }

}  // namespace

int main() {
    int redirected = redirectImports();
    if (redirected != 9) {
        std::printf("only %d of the 9 file functions were found among the imports\n", redirected);
        return 1;
    }
    const std::wstring userTemp = userTemporaryFolder();
    if (userTemp.empty()) {
        std::printf("no temporary folder under LocalAppData\n");
        return 1;
    }
    std::atomic<bool> cancel{false};
    std::printf("| %-38s | %6s | %6s | %6s | %6s | %6s | %6s | %6s | %6s | %7s |\n", "calls", "opens", "closes",
                "full", "tag", "other", "final", "dispos", "find", "all");
    std::printf("|%s|--------|--------|--------|--------|--------|--------|--------|--------|---------|\n",
                std::string(40, '-').c_str());

    {
        // One file directly in a scanned root.
        SmallTree tree(userTemp, L"pelmirt-count-one", 0, 0);
        const std::wstring file = tree.root + L"\\one.tmp";
        makeAgedFile(file, 64);
        pm::ScanReport report = pm::scanFolder(tree.root, cancel);
        if (report.entries.size() != 1) {
            std::printf("the preview of one file holds %zu entries\n", report.entries.size());
            return 1;
        }
        pm::CleanResult result;
        Counts c = countCalls(
            [&] { pm::deleteEntry(report.entries[0], report.roots[0], true, cancel, result, pm::CleanOptions{}); });
        if (result.filesDeleted != 1) {
            std::printf("deleteEntry did not delete the file\n");
            return 1;
        }
        char label[64];
        std::snprintf(label, sizeof label, "deleteEntry, root %zu below the drive",
                      depthBelowDrive(report.roots[0].path));
        printRow(label, c, 1);
    }
    {
        SmallTree tree(userTemp, L"pelmirt-count-pass", 10, 10);
        pm::ScanReport report = pm::scanFolder(userTemp, cancel);
        std::erase_if(report.entries, [&](const pm::FileEntry& e) { return !pm::isPathInside(e.path, tree.root); });
        pm::CleanResult result;
        Counts c = countCalls([&] { result = pm::cleanTargets(report, {true, false, false}, cancel, {}, {}); });
        if (result.filesDeleted != 100) {
            std::printf("the pass deleted %llu of 100 files\n", static_cast<unsigned long long>(result.filesDeleted));
            return 1;
        }
        printRow("cleanTargets, per deleted file", c, 100);
    }
    {
        SmallTree tree(temporaryFolder(), L"pelmirt-count-search", 10, 5, 4096);
        pm::large::LargeSearchResult found;
        Counts none = countCalls([&] { found = pm::large::searchLargeFiles({tree.root, 1 << 20, 1000}, cancel, {}); });
        if (!found.files.empty() || found.scannedFiles != 50) return 1;
        printRow("search, per searched directory", none, 11);
        Counts listed = countCalls([&] { found = pm::large::searchLargeFiles({tree.root, 4096, 1000}, cancel, {}); });
        if (found.files.size() != 10) return 1;
        Counts perFile;
        perFile.opens = listed.opens - none.opens;
        perFile.closes = listed.closes - none.closes;
        perFile.fullInfo = listed.fullInfo - none.fullInfo;
        perFile.tagInfo = listed.tagInfo - none.tagInfo;
        perFile.otherInfo = listed.otherInfo - none.otherInfo;
        perFile.finalPath = listed.finalPath - none.finalPath;
        perFile.setInfo = listed.setInfo - none.setInfo;
        perFile.find = listed.find - none.find;
        printRow("search, per listed file", perFile, 10);
        std::printf("(searched folder %zu below the drive)\n", depthBelowDrive(found.rootPath));
    }
    return 0;
}
