// Takes PNG screenshots of the history and preview windows, in-process: stores the wanted theme and
// language in the state file, writes a short sample history, creates the main window (which applies
// them), gives the shell a sample analysis, opens each window and saves it as it is on the (virtual)
// desktop. Runs inside a Wine prefix with a screen.
//
//   window_shots OUTPUT_FOLDER NAME THEME LANGUAGE
//
// Writes NAME-history.png and NAME-preview.png. Exit code 0 when both were written.
#include "app/history_window.h"
#include "app/main_window.h"
#include "app/preview_window.h"
#include "app/shell_globals.h"
#include "services/history/history_writer.h"
#include "services/state/app_settings.h"
#include "services/state/state_file.h"
#include "tools/in_process_shots.h"
#include "tools/shot_support.h"
#include "ui/shell_state.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using pm::shots::pumpFor;

void writeSampleHistory() {
    const std::wstring path = pm::appDataDir() + L"\\" + pm::HistoryFileName;
    std::string bytes = "2024-03-05 10:01:00 Scan: 120 files, 3.4 MB. Scan complete · Skipped: 2 · Errors: 1\r\n";
    pm::HistoryRecord r;
    r.kind = pm::HistoryKind::Scan;
    r.files = 1842;
    r.bytes = 734003200;
    r.skipped = 3;
    r.counters_known = true;
    bytes += pm::formatHistoryRecord(r, 1733740000) + "\r\n";
    r = pm::HistoryRecord{};
    r.kind = pm::HistoryKind::Cleanup;
    r.files = 1839;
    r.bytes = 731906048;
    r.skipped = 3;
    r.recycle_emptied = true;
    bytes += pm::formatHistoryRecord(r, 1733740090) + "\r\n";
    r = pm::HistoryRecord{};
    r.kind = pm::HistoryKind::LargeSearch;
    r.files = 24;
    bytes += pm::formatHistoryRecord(r, 1733743600) + "\r\n";
    r = pm::HistoryRecord{};
    r.text = L"Самопроверка пройдена.";
    bytes += pm::formatHistoryRecord(r, 1733747200) + "\r\n";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void sampleAnalysis() {
    const std::wstring temp = L"C:\\Users\\root\\AppData\\Local\\Temp\\";
    const std::wstring chrome = L"C:\\Users\\root\\AppData\\Local\\Google\\Chrome\\User Data\\Default\\Cache\\Cache_Data\\";
    for (int i = 0; i < 40; ++i) {
        pm::FileEntry e;
        const bool cache = i % 3 == 2;
        e.path = cache ? chrome + L"f_0000" + std::to_wstring(10 + i) : temp + L"setup-log-" + std::to_wstring(i) + L".tmp";
        e.size = 1536u + 40961u * static_cast<unsigned>(i);
        e.category = cache ? pm::CleanCategory::BrowserCache : pm::CleanCategory::Temp;
        pm::scanReport.entries.push_back(e);
    }
    pm::scanReport.recycleBinItems = 17;
    pm::scanReport.recycleBinBytes = 52428800;
    pm::analysisPresent = true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        std::fwprintf(stderr, L"usage: window_shots OUTPUT_FOLDER NAME THEME LANGUAGE\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const std::wstring name = argv[2];

    const pm::shots::InProcessSession session;
    if (!pm::shots::storeLook(argv[3], argv[4])) return 3;
    writeSampleHistory();
    pm::registerMainWindowClass();
    HWND main = CreateWindowExW(0, pm::MainWindowClass, L"Pelmirt 1.2.0", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                1300, 850, nullptr, nullptr, pm::ui::appInstance, nullptr);
    if (!main) return 4;
    sampleAnalysis();

    int status = 0;
    // Opens the window, places it on the desktop and saves it as NAME-suffix.png.
    auto shoot = [&](void (*open)(), const std::vector<HWND>& windows, const wchar_t* suffix) {
        open();
        HWND window = windows.empty() ? nullptr : windows.front();
        if (window) SetWindowPos(window, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
        pumpFor(600);
        if (!pm::shots::saveWindow(window, folder + L"\\" + name + suffix)) status = 5;
        if (window) DestroyWindow(window);
    };
    shoot(pm::openHistoryWindow, pm::historyWindows, L"-history.png");
    shoot(pm::openPreviewWindow, pm::previewWindows, L"-preview.png");

    DestroyWindow(main);
    pumpFor(100);
    return status;
}
