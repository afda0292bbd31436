// Clean-up throughput against bare deletion, over 20,000 previewed temporary files in 200 folders:
//   cleanTargets          the engine's clean pass: it holds the pinned chains of the root and of the folder in
//                         hand, re-opens every file exclusively, re-checks its identity and deletes it through
//                         the disposition
//   floor: DeleteFileW    the same number of files in an identical tree, deleted by name
// Both trees lie in the user's temporary folder under LocalAppData (a clean-up location), are made and
// previewed before the timing starts and are removed afterwards. Prints files per second, the ratio, and the
// peak working set.
#include "engine/clean_pass.h"
#include "engine/path_rules.h"
#include "engine/scan.h"

#include "bench/bench_support.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

using namespace bench;

int main() {
    const std::wstring parent = userTemporaryFolder();
    if (parent.empty()) {
        std::printf("no temporary folder under LocalAppData\n");
        return 1;
    }
    std::printf("building 2 x %llu files in %d folders...\n", static_cast<unsigned long long>(kFiles), kFolders);
    BenchTree cleaned(parent, L"pelmirt-clean-bench");
    BenchTree bare(parent, L"pelmirt-delete-bench");
    if (!cleaned.ok() || !bare.ok()) {
        std::printf("could not build the trees (error %lu)\n", GetLastError());
        return 1;
    }

    // The preview: the scan of the location, kept to this tree's entries so that nothing else is cleaned.
    std::atomic<bool> cancel{false};
    pm::ScanReport report = pm::scanFolder(parent, cancel);
    std::erase_if(report.entries,
                  [&](const pm::FileEntry& entry) { return !pm::isPathInside(entry.path, cleaned.root()); });
    if (report.entries.size() != kFiles) {
        std::printf("the preview holds %zu entries, expected %llu\n", report.entries.size(),
                    static_cast<unsigned long long>(kFiles));
        return 1;
    }

    PROCESS_MEMORY_COUNTERS before = memory();
    pm::CleanResult result;
    double cleanTime = seconds([&] {
        result = pm::cleanTargets(report, {true, false, false}, cancel, {}, pm::CleanOptions{});
    });
    PROCESS_MEMORY_COUNTERS after = memory();
    std::uint64_t deleted = 0;
    double bareTime = seconds([&] {
        for (int d = 0; d < kFolders; ++d)
            for (int f = 0; f < kFilesPerFolder; ++f)
                if (DeleteFileW(longPath(bare.file(d, f)).c_str())) ++deleted;
    });
    if (result.filesDeleted != kFiles || deleted != kFiles) {
        std::printf("deleted %llu by the clean pass (skipped %llu, failed %llu) and %llu bare, expected %llu\n",
                    static_cast<unsigned long long>(result.filesDeleted),
                    static_cast<unsigned long long>(result.skipped), static_cast<unsigned long long>(result.failed),
                    static_cast<unsigned long long>(deleted), static_cast<unsigned long long>(kFiles));
        return 1;
    }

    auto rate = [](double s) { return static_cast<double>(kFiles) / s; };
    std::printf("files: %llu in %d folders\n", static_cast<unsigned long long>(kFiles), kFolders);
    std::printf("cleanTargets        %10.0f files/s   (%.3f s)\n", rate(cleanTime), cleanTime);
    std::printf("floor: DeleteFileW  %10.0f files/s   (%.3f s)\n", rate(bareTime), bareTime);
    std::printf("clean time / bare deletion time: %.2f\n", cleanTime / bareTime);
    std::printf("peak working set: %.1f MiB (%.1f MiB before the clean pass, the preview of %llu entries "
                "included)\n",
                static_cast<double>(after.PeakWorkingSetSize) / 1048576.0,
                static_cast<double>(before.WorkingSetSize) / 1048576.0, static_cast<unsigned long long>(kFiles));
    return 0;
}
