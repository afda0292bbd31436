// Takes PNG screenshots of the history, preview and large-files windows, in-process: stores the wanted
// theme and language in the state file, writes a short sample history, creates the main window (which
// applies them), gives the shell a sample analysis, opens each window and saves it as it is on the
// (virtual) desktop. The large-files window is shown after a real search of a folder of sample files,
// with two rows selected and the keyboard focus in the list. Runs inside a Wine prefix with a screen.
//
//   window_shots OUTPUT_FOLDER NAME THEME LANGUAGE
//
// Writes NAME-history.png, NAME-preview.png and NAME-large-files.png. Exit code 0 when all were written.
#include "app/history_window.h"
#include "app/large_files_data.h"
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

// A folder of files from 1 to 12 MB under the user's temporary folder, made once per prefix.
std::wstring sampleLargeFiles() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"pelmirt-large-sample";
    CreateDirectoryW(folder.c_str(), nullptr);
    const wchar_t* names[] = {L"holiday-video.mp4", L"installer-backup.iso", L"old-project.zip", L"photos-2019.7z",
                              L"virtual-disk.vhd", L"recording.wav"};
    const std::string block(1 << 20, 'x');
    for (int i = 0; i < 6; ++i) {
        const std::wstring path = folder + L"\\" + names[i];
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;  // there from an earlier run
        for (int mb = 0; mb < 1 + (i * 11) / 5; ++mb) {
            DWORD written = 0;
            WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
        }
        CloseHandle(file);
    }
    return folder;
}

// Searches the sample folder through the window's own controls and selects the first and third rows,
// with the keyboard focus in the list so the selection shows its focused shade.
void searchLargeFiles(HWND window) {
    SetDlgItemTextW(window, pm::FolderComboId, sampleLargeFiles().c_str());
    SetDlgItemTextW(window, pm::MinimumEditId, L"1");
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(pm::SearchButtonId, 0), 0);
    const ULONGLONG end = GetTickCount64() + 10000;
    while (pm::busy && GetTickCount64() < end) pumpFor(20);
    HWND list = GetDlgItem(window, pm::FileListId);
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED;
    for (int row : {0, 2}) SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SetFocus(list);
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
        // Two selected rows of a list without the keyboard focus show the unfocused selection.
        if (HWND list = window ? FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr) : nullptr) {
            LVITEMW item{};
            item.stateMask = item.state = LVIS_SELECTED;
            for (int row : {1, 3}) SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        }
        pumpFor(600);
        if (!pm::shots::saveWindow(window, folder + L"\\" + name + suffix)) status = 5;
        if (window) DestroyWindow(window);
    };
    shoot(pm::openHistoryWindow, pm::historyWindows, L"-history.png");
    shoot(pm::openPreviewWindow, pm::previewWindows, L"-preview.png");

    pm::openLargeFilesWindow();
    if (HWND large = pm::largeFilesWindow) {
        SetWindowPos(large, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
        searchLargeFiles(large);
        pumpFor(600);
        if (!pm::shots::saveWindow(large, folder + L"\\" + name + L"-large-files.png")) status = 5;
        DestroyWindow(large);
    } else {
        status = 5;
    }

    DestroyWindow(main);
    pumpFor(100);
    return status;
}
