// The large-files window with a search result of 100,000 files, by hand under Wine (see the README):
//   1. from the search's report reaching the main window to the end of the list's first paint (the
//      handler's history record, the sort by size and the item count, then the list drawing its rows);
//   2. one sortLargeList by size and one by path over the 100,000 rows (rows shuffled before each run;
//      median of seven).
// The result is made up (paths in 1,000 folders, sizes with many ties) so that only the window is timed,
// not the search.
#include "app/large_files_data.h"
#include "app/large_files_window.h"
#include "app/large_operations.h"
#include "app/shell_globals.h"
#include "app/worker_messages.h"
#include "bench_support.h"
#include "window_bench_support.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr size_t Files = 100000;
constexpr int Runs = 7;

pm::large::LargeSearchResult madeUpResult() {
    pm::large::LargeSearchResult result;
    result.rootPath = L"C:\\users\\root\\Data";
    std::mt19937_64 random(19);
    for (size_t i = 0; i < Files; ++i) {
        pm::large::LargeFileEntry e;
        e.path = result.rootPath + L"\\Folder " + std::to_wstring(random() % 1000) + L"\\Item_" +
                 std::to_wstring(random() % 1000000) + L".bin";
        e.size = (100 + random() % 5000) << 20;  // 100 MB to 5 GB in whole MB: many equal sizes
        result.totalBytes += e.size;
        result.files.push_back(std::move(e));
    }
    result.scannedFiles = Files;
    return result;
}

double medianSortMs(HWND window, pm::LargeFilesData& data, int column, bool ascending) {
    std::vector<double> times;
    std::mt19937_64 random(7);
    for (int run = 0; run < Runs; ++run) {
        std::shuffle(data.rows.begin(), data.rows.end(), random);
        data.sortColumn = column;
        data.ascending = ascending;
        times.push_back(1000.0 * bench::seconds([&] { pm::sortLargeList(window, data, std::vector<uint64_t>{}); }));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    const bench::WindowSession session;
    HWND main = bench::createMainWindow(CW_USEDEFAULT, CW_USEDEFAULT);
    if (!main) return 1;
    pm::openLargeFilesWindow();
    HWND window = pm::largeFilesWindow;
    pm::LargeFilesData* data = pm::largeFilesData(window);
    HWND list = GetDlgItem(window, pm::FileListId);
    if (!data || !list) {
        std::printf("the large-files window could not be created\n");
        return 1;
    }
    bench::pumpPending();

    auto* report = new pm::LargeSearchReport{window, madeUpResult()};
    pm::busy = true;
    pm::operationOwner = window;
    const double firstPaint = 1000.0 * bench::seconds([&] {
        pm::onLargeSearchDone(reinterpret_cast<LPARAM>(report));
        UpdateWindow(window);
        UpdateWindow(list);
    });
    const int shown = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const double bySize = medianSortMs(window, *data, 1, false);
    const double byPath = medianSortMs(window, *data, 0, true);

    std::printf("large-files window, %zu files (%d in the list)\n", Files, shown);
    std::printf("  report to first paint of the list: %.1f ms\n", firstPaint);
    std::printf("  sortLargeList by size: %.1f ms (median of %d)\n", bySize, Runs);
    std::printf("  sortLargeList by path: %.1f ms (median of %d)\n", byPath, Runs);

    DestroyWindow(window);
    DestroyWindow(main);
    bench::pumpPending();
    return 0;
}
