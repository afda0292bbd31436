// Rendering throughput of the history window's text: a 2 MiB history of mixed records (every kind,
// catalog and free texts, older free-text entries between them) rendered in English, as the window does
// after every operation. Prints MB/s and milliseconds per 2 MiB: the best wall time of the runs, and the
// thread's CPU time per run, which a busy machine disturbs less.
#include "services/history/history_reader.h"
#include "services/history/history_writer.h"
#include "services/i18n/translate.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kHistoryBytes = 2u * 1024u * 1024u;
constexpr int kRuns = 7;

std::vector<std::string> sampleLines() {
    std::vector<std::string> lines;
    pm::HistoryRecord r;
    r.kind = pm::HistoryKind::Scan;
    r.files = 1234;
    r.bytes = 987654321;
    r.skipped = 3;
    lines.push_back(pm::formatHistoryRecord(r, 1733740000));
    r = pm::HistoryRecord{};
    r.kind = pm::HistoryKind::Cleanup;
    r.files = 1200;
    r.bytes = 912345678;
    r.recycle_emptied = true;
    lines.push_back(pm::formatHistoryRecord(r, 1733740060));
    r = pm::HistoryRecord{};
    r.kind = pm::HistoryKind::LargeSearch;
    r.files = 200;
    r.truncated = true;
    lines.push_back(pm::formatHistoryRecord(r, 1733740120));
    r = pm::HistoryRecord{};
    r.kind = pm::HistoryKind::Recycle;
    r.files = 5;
    r.bytes = 5368709120ULL;
    r.errors = 1;
    lines.push_back(pm::formatHistoryRecord(r, 1733740180));
    r = pm::HistoryRecord{};
    r.text = L"Самопроверка пройдена.";
    lines.push_back(pm::formatHistoryRecord(r, 1733740240));
    r.text = L"Note with a path C:\\Users\\Иван\\Downloads\\archive.zip";
    lines.push_back(pm::formatHistoryRecord(r, 1733740300));
    lines.push_back("2024-03-05 10:00:00\tОчистка завершена.\r\nУдалено: 12 файлов; 3,4 МБ.\r\n"
                    "Пропущено: 1. Ошибки: 0.\r\n\r\nПовторите анализ для обновления списка.");
    lines.push_back("2024-03-05 10:01:00 Scan: 120 files, 3.4 MB. Scan complete · Skipped: 2 · Errors: 1");
    return lines;
}

double threadCpuSeconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0.0;
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

double seconds(LARGE_INTEGER start, LARGE_INTEGER stop) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
    pm::currentLanguage = pm::EnglishLanguage;
    const std::vector<std::string> lines = sampleLines();
    std::string history;
    history.reserve(kHistoryBytes + 4096);
    for (std::size_t i = 0; history.size() < kHistoryBytes; ++i) history += lines[i % lines.size()] + "\r\n";
    history.resize(kHistoryBytes);  // the window reads the last 2 MiB, so the first line is usually cut

    double best = 1e9;
    std::size_t shown = 0;
    const double cpuStart = threadCpuSeconds();
    for (int run = 0; run < kRuns; ++run) {
        LARGE_INTEGER start{}, stop{};
        QueryPerformanceCounter(&start);
        const std::wstring text = pm::renderHistoryLog(history);
        QueryPerformanceCounter(&stop);
        shown = text.size();
        const double s = seconds(start, stop);
        if (s < best) best = s;
    }
    const double cpu = (threadCpuSeconds() - cpuStart) / kRuns;
    const double megabytes = static_cast<double>(history.size()) / (1024.0 * 1024.0);
    std::printf("history render: %.2f MiB, %zu units shown\n", megabytes, shown);
    std::printf("  wall: %.1f ms (best of %d), %.1f MB/s\n", best * 1000.0, kRuns, megabytes / best);
    std::printf("  cpu:  %.1f ms per run, %.1f MB/s\n", cpu * 1000.0, cpu > 0 ? megabytes / cpu : 0.0);
    return 0;
}
