// The secondary windows on big inputs: a preview of a 200,000-entry analysis (time until the window and
// its first page of rows are painted, and the working set the window adds) and the history window on a
// 2 MiB history (time until its text is shown), each best of five. Uses the prefix's real history file,
// whose content it puts back afterwards.
#include "app/app_messages.h"
#include "app/history_window.h"
#include "app/preview_window.h"
#include "app/shell_globals.h"
#include "bench_support.h"
#include "window_bench_support.h"
#include "services/history/history_writer.h"
#include "services/state/state_file.h"
#include "ui/shell_state.h"
#include "ui/theme.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr std::size_t kEntries = 200000;
constexpr std::size_t kHistoryBytes = 2u * 1024u * 1024u;

void closeAll(std::vector<HWND>& windows) {
    const std::vector<HWND> copy(windows);
    for (HWND window : copy) DestroyWindow(window);
    bench::pumpPending();
}

std::string readAll(const std::wstring& path, bool& existed) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    existed = file != INVALID_HANDLE_VALUE;
    if (!existed) return {};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool writeAll(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

std::string historyOfRecords() {
    std::vector<std::string> lines;
    pm::HistoryRecord r;
    r.kind = pm::HistoryKind::Scan;
    r.files = 1234;
    r.bytes = 987654321;
    r.counters_known = true;
    lines.push_back(pm::formatHistoryRecord(r, 1733740000));
    r = pm::HistoryRecord{};
    r.kind = pm::HistoryKind::Cleanup;
    r.files = 1200;
    r.bytes = 912345678;
    lines.push_back(pm::formatHistoryRecord(r, 1733740060));
    r = pm::HistoryRecord{};
    r.text = L"Самопроверка пройдена.";
    lines.push_back(pm::formatHistoryRecord(r, 1733740120));
    std::string bytes;
    for (std::size_t i = 0; bytes.size() < kHistoryBytes; ++i) bytes += lines[i % lines.size()] + "\r\n";
    bytes.resize(kHistoryBytes);
    return bytes;
}

void benchPreview() {
    pm::scanReport = pm::ScanReport{};
    for (std::size_t i = 0; i < kEntries; ++i) {
        pm::FileEntry e;
        e.path = L"C:\\users\\root\\AppData\\Local\\Temp\\folder" + std::to_wstring(i / 100) + L"\\file" +
                 std::to_wstring(i) + L".tmp";
        e.root = L"C:\\users\\root\\AppData\\Local\\Temp";
        e.size = 4096 + i;
        e.category = i % 3 == 0 ? pm::CleanCategory::BrowserCache : pm::CleanCategory::Temp;
        pm::scanReport.entries.push_back(std::move(e));
    }
    pm::scanReport.recycleBinItems = 12;
    pm::scanReport.recycleBinBytes = 123456789;
    pm::analysisPresent = true;

    double best = 1e9;
    double addedMb = 0;
    for (int run = 0; run < kRuns; ++run) {
        bench::pumpPending();
        const SIZE_T before = bench::memory().WorkingSetSize;
        // openPreviewWindow returns after UpdateWindow of the window and of its list: both painted.
        best = std::min(best, bench::seconds([] { pm::openPreviewWindow(); }));
        const SIZE_T after = bench::memory().WorkingSetSize;
        addedMb = std::max(addedMb, (static_cast<double>(after) - static_cast<double>(before)) / (1024.0 * 1024.0));
        const int rows = static_cast<int>(
            SendMessageW(GetDlgItem(pm::previewWindows.back(), 1), LVM_GETITEMCOUNT, 0, 0));
        if (run == 0) std::printf("preview: %d rows\n", rows);
        closeAll(pm::previewWindows);
    }
    std::printf("preview of %zu entries: first painted list after %.1f ms (best of %d); the window adds %.1f MB "
                "of working set\n",
                kEntries, best * 1000.0, kRuns, addedMb);
    pm::scanReport = pm::ScanReport{};
}

void benchHistory() {
    const std::wstring path = pm::appDataDir() + L"\\" + pm::HistoryFileName;
    bool existed = false;
    const std::string saved = readAll(path, existed);
    if (!writeAll(path, historyOfRecords())) {
        std::printf("history: cannot write %ls\n", path.c_str());
        return;
    }
    double best = 1e9;
    double reload = 1e9;
    std::size_t characters = 0;
    for (int run = 0; run < kRuns; ++run) {
        bench::pumpPending();
        best = std::min(best, bench::seconds([] { pm::openHistoryWindow(); }));
        HWND window = pm::historyWindows.front();
        characters = static_cast<std::size_t>(GetWindowTextLengthW(GetDlgItem(window, 1)));
        reload = std::min(reload, bench::seconds([window] { SendMessageW(window, pm::WM_APP_SETTINGS_CHANGED, 0, 0); }));
        closeAll(pm::historyWindows);
    }
    std::printf("history of %zu bytes: text shown after %.1f ms (best of %d, %zu characters); an unchanged "
                "reload takes %.1f ms\n",
                kHistoryBytes, best * 1000.0, kRuns, characters, reload * 1000.0);
    if (existed) writeAll(path, saved);
    else DeleteFileW(path.c_str());
}

LRESULT CALLBACK standInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main() {
    const bench::WindowSession session;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = standInProc;
    wc.hInstance = pm::ui::appInstance;
    wc.lpszClassName = L"PelmirtBenchMain";
    RegisterClassExW(&wc);
    // The owner of the windows, standing in for the main window.
    pm::ui::mainWindow = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                                         nullptr, nullptr, pm::ui::appInstance, nullptr);
    pm::ui::applyTheme();
    benchPreview();
    benchHistory();
    DestroyWindow(pm::ui::mainWindow);
    bench::pumpPending();
    return 0;
}
