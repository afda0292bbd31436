// Scan throughput against two floors, over one tree of 20,000 aged files in 200 folders:
//   scanFolder                      the engine's scan (every file opened, checked and recorded)
//   floor 1: bare walk              FindFirstFileExW (FindExInfoBasic, FIND_FIRST_EX_LARGE_FETCH), no opens
//   floor 2: walk + open            the same walk, each file opened with FILE_READ_ATTRIBUTES, then
//                                   GetFileInformationByHandle, GetFinalPathNameByHandleW, CloseHandle
//   searchLargeFiles                the large-file search with a minimum that lists 1% of the files (the
//                                   first file of each folder is 4 KiB, the others 64 bytes)
// Prints files per second for each, the ratios of the scan and the search to the floors, and the scan's
// working set per 1,000 entries. The tree is made in the temporary folder and removed afterwards.
#include "engine/large/large_search.h"
#include "engine/scan.h"

#include "bench/bench_support.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace bench;

constexpr int kRuns = 3;
constexpr std::size_t kLargeFile = 4096;  // one file in each folder: 1% of the tree

// Walks the tree the way the scan enumerates it; calls onFile with each file's full path.
std::uint64_t walk(const std::wstring& dir, const std::function<void(const std::wstring&)>& onFile) {
    std::uint64_t files = 0;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileExW(longPath(dir + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const wchar_t* name = data.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
        std::wstring child = dir + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files += walk(child, onFile);
        } else {
            ++files;
            if (onFile) onFile(child);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
}

void openAndRead(const std::wstring& path) {
    HANDLE h = CreateFileW(longPath(path).c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    BY_HANDLE_FILE_INFORMATION info{};
    GetFileInformationByHandle(h, &info);
    wchar_t final[1024];
    GetFinalPathNameByHandleW(h, final, 1024, 0);
    CloseHandle(h);
}

struct Timing {
    double best = 1e300;
    double median = 0;
};

Timing timeRuns(const std::function<void()>& work) {
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) runs.push_back(seconds(work));
    std::sort(runs.begin(), runs.end());
    return {runs.front(), runs[runs.size() / 2]};
}

}  // namespace

int main() {
    const std::uint64_t expected = kFiles;
    std::printf("building %llu files in %d folders...\n", static_cast<unsigned long long>(expected), kFolders);
    BenchTree tree(temporaryFolder(), L"pelmirt-scan-bench", kLargeFile);
    if (!tree.ok()) {
        std::printf("could not build the tree (error %lu)\n", GetLastError());
        return 1;
    }
    walk(tree.root(), {});  // warm the caches once, untimed

    // The scan first, so that the peak working set is the scan's and not the floors'.
    std::atomic<bool> cancel{false};
    PROCESS_MEMORY_COUNTERS before = memory();
    std::size_t entries = 0;
    double firstScan = seconds([&] { entries = pm::scanFolder(tree.root(), cancel).entries.size(); });
    PROCESS_MEMORY_COUNTERS after = memory();
    if (entries != expected) {
        std::printf("the scan recorded %zu entries, expected %llu\n", entries,
                    static_cast<unsigned long long>(expected));
        return 1;
    }
    Timing scan = timeRuns([&] { pm::scanFolder(tree.root(), cancel); });
    std::uint64_t walked = 0;
    Timing bare = timeRuns([&] { walked = walk(tree.root(), {}); });
    Timing opened = timeRuns([&] { walk(tree.root(), openAndRead); });
    if (walked != expected) {
        std::printf("the walk saw %llu files, expected %llu\n", static_cast<unsigned long long>(walked),
                    static_cast<unsigned long long>(expected));
        return 1;
    }

    // The large-file search over the same tree, listing the 1% of files of at least 4 KiB.
    pm::large::LargeSearchOptions options{tree.root(), kLargeFile, expected};
    pm::large::LargeSearchResult found = pm::large::searchLargeFiles(options, cancel, {});
    if (found.files.size() != static_cast<std::size_t>(kFolders) || found.scannedFiles != expected) {
        std::printf("the search listed %zu of %llu files seen, expected %d of %llu\n", found.files.size(),
                    static_cast<unsigned long long>(found.scannedFiles), kFolders,
                    static_cast<unsigned long long>(expected));
        return 1;
    }
    Timing search = timeRuns([&] { pm::large::searchLargeFiles(options, cancel, {}); });

    auto rate = [&](double s) { return static_cast<double>(expected) / s; };
    std::printf("files: %llu in %d folders, %d runs each (best / median)\n",
                static_cast<unsigned long long>(expected), kFolders, kRuns);
    std::printf("scanFolder         %10.0f / %10.0f files/s   (first run %.3f s)\n", rate(scan.best),
                rate(scan.median), firstScan);
    std::printf("searchLargeFiles   %10.0f / %10.0f files seen/s (%d listed, 1%%)\n", rate(search.best),
                rate(search.median), kFolders);
    std::printf("floor: bare walk   %10.0f / %10.0f files/s\n", rate(bare.best), rate(bare.median));
    std::printf("floor: walk + open %10.0f / %10.0f files/s\n", rate(opened.best), rate(opened.median));
    std::printf("scan time / bare walk time:   %.2f (best)  %.2f (median)\n", scan.best / bare.best,
                scan.median / bare.median);
    std::printf("scan time / walk + open time: %.2f (best)  %.2f (median)\n", scan.best / opened.best,
                scan.median / opened.median);
    std::printf("search time / bare walk time: %.2f (best)  %.2f (median)\n", search.best / bare.best,
                search.median / bare.median);
    double perThousand = static_cast<double>(entries) / 1000.0;
    std::printf("peak working set: %.1f KiB per 1,000 entries (%.1f MiB in all; %.1f KiB per 1,000 above the "
                "%.1f MiB before the scan)\n",
                static_cast<double>(after.PeakWorkingSetSize) / 1024.0 / perThousand,
                static_cast<double>(after.PeakWorkingSetSize) / 1048576.0,
                (static_cast<double>(after.PeakWorkingSetSize) - static_cast<double>(before.WorkingSetSize)) /
                    1024.0 / perThousand,
                static_cast<double>(before.WorkingSetSize) / 1048576.0);
    return 0;
}
