// The Recycle Bin's fingerprint against its size query, on a bin of 1,500 and of 10,000 items:
//   readRecycleBinFingerprint   every item enumerated through the Shell's Recycle Bin folder, with its name
//                               inside the bin, original location, size and deletion time
//   SHQueryRecycleBinW          the size and count the scan reads anyway, and the clean-up reads last, right
//                               before it empties the bin: the only reading left between the two
// Under Wine the bin is the XDG trash of $XDG_DATA_HOME: the benchmark fills it only when that trash is the
// build tree's private one (run it through the build tree's wine-run), with real trash entries, and empties it
// afterwards. Anywhere else it measures the bin as it is and changes nothing. Prints the median of 5 runs.
#include "engine/recycle_bin.h"

#include "bench/bench_support.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace bench;

namespace {

constexpr int kSizes[] = {1500, 10000};
constexpr int kRuns = 5;

std::wstring environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(value, n) : std::wstring();
}

// The trash folder seen from Windows, when it lies beside the build tree's Wine prefix; empty otherwise.
std::wstring privateTrash() {
    const std::wstring prefix = environment(L"WINEPREFIX"), data = environment(L"XDG_DATA_HOME");
    const std::size_t slash = prefix.find_last_of(L'/');
    if (slash == std::wstring::npos || slash == 0 || data.rfind(prefix.substr(0, slash + 1), 0) != 0) return {};
    std::wstring path = L"Z:" + data + L"/Trash";
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

bool writeText(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

// Real trash entries, as the Shell's move makes them: the item under files\, its record under info\.
bool fill(const std::wstring& trash, const std::string& unixFolder, int from, int to) {
    for (int i = from; i < to; ++i) {
        const std::string name = "bench-" + std::to_string(i) + ".txt";
        const std::wstring wide(name.begin(), name.end());
        const std::string record = "[Trash Info]\nPath=" + unixFolder + "/" + name +
                                   "\nDeletionDate=2024-03-05T10:" + std::to_string(10 + i % 50) + ":00\n";
        if (!writeText(trash + L"\\files\\" + wide, std::string(100 + i % 900, 'x')) ||
            !writeText(trash + L"\\info\\" + wide + L".trashinfo", record))
            return false;
    }
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Both readings on the bin as it is now, median of kRuns each.
bool measure() {
    pm::RecycleBinTotals totals;
    if (!pm::queryRecycleBinTotals(totals)) {
        std::printf("SHQueryRecycleBinW failed\n");
        return false;
    }
    std::vector<double> fingerprintTimes, queryTimes;
    bool read = true;
    std::uint64_t fingerprint = 0;
    for (int run = 0; run < kRuns; ++run) {
        fingerprintTimes.push_back(seconds([&] {
            read = pm::readRecycleBinFingerprint(fingerprint) == pm::RecycleBinReading::Read && read;
        }));
        queryTimes.push_back(seconds([&] { pm::queryRecycleBinTotals(totals); }));
    }
    std::printf("items %lld, bytes %lld, fingerprint %s\n", static_cast<long long>(totals.items),
                static_cast<long long>(totals.bytes), read ? "read" : "UNREADABLE");
    std::printf("  readRecycleBinFingerprint  %8.1f ms\n", median(fingerprintTimes) * 1000.0);
    std::printf("  SHQueryRecycleBinW         %8.2f ms\n", median(queryTimes) * 1000.0);
    return read;
}

}  // namespace

int main() {
    const std::wstring trash = privateTrash();
    if (trash.empty()) {
        std::printf("not the build tree's private trash: measuring the Recycle Bin as it is\n");
        return measure() ? 0 : 1;
    }
    constexpr DWORD kQuietly = SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND;
    SHEmptyRecycleBinW(nullptr, nullptr, kQuietly);
    bool read = true;
    int filled = 0;
    for (int size : kSizes) {
        std::printf("filling the private trash to %d items...\n", size);
        if (!fill(trash, "/tmp/pelmirt-bench", filled, size)) {
            std::printf("could not lay out the trash (error %lu)\n", GetLastError());
            SHEmptyRecycleBinW(nullptr, nullptr, kQuietly);
            return 1;
        }
        filled = size;
        read = measure() && read;
    }
    SHEmptyRecycleBinW(nullptr, nullptr, kQuietly);
    return read ? 0 : 1;
}
