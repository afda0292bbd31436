// Takes one of the README's pictures of the main window, in-process, from a fixed state, so that the same
// program gives the same picture: two made-up drives instead of the host's disks (whose free space
// changes all the time) and, with "scanned", a scan of 400 old temporary files handed to the window as
// its scan's report, finished at a fixed time. Stores the theme and the language in the state file
// first, as the user would have chosen them. Runs inside a Wine prefix with a screen.
//
//   docs_shots OUTPUT.png THEME LANGUAGE PAGE CLIENT_WIDTH CLIENT_HEIGHT [scanned]
//
// PAGE is clean, disks, help or settings. Exit code 0 when the picture was written.
#include "app/main_layout.h"
#include "app/main_window.h"
#include "app/shell_globals.h"
#include "app/status_line.h"
#include "app/app_messages.h"
#include "tools/in_process_shots.h"
#include "tools/shot_support.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr std::int64_t ScanFinished = 1733740000;  // 9 December 2024, 10:26:40 UTC

std::unique_ptr<pm::ScanReport> oldTemporaryFiles() {
    auto report = std::make_unique<pm::ScanReport>();
    for (int i = 0; i < 400; ++i) {
        pm::FileEntry e;
        e.path = L"C:\\users\\root\\AppData\\Local\\Temp\\pelmirt-shot\\cache-" + std::to_wstring(i) + L".tmp";
        e.root = L"C:\\users\\root\\AppData\\Local\\Temp";
        e.size = 40000;
        e.category = pm::CleanCategory::Temp;
        report->categoryBytes[0] += e.size;
        report->entries.push_back(e);
    }
    return report;
}

int pageButton(const std::wstring& page) {
    if (page == L"disks") return 102;
    if (page == L"help") return 103;
    if (page == L"settings") return 105;
    return 101;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 7) {
        std::fwprintf(stderr, L"usage: docs_shots OUTPUT.png THEME LANGUAGE PAGE CLIENT_WIDTH CLIENT_HEIGHT [scanned]\n");
        return 2;
    }
    const bool scanned = argc > 7 && std::wstring(argv[7]) == L"scanned";

    const pm::shots::InProcessSession session;
    if (!pm::shots::storeLook(argv[2], argv[3])) return 3;
    SetCursorPos(0, 0);  // no hover faces in the picture
    pm::registerMainWindowClass();
    RECT frame{0, 0, _wtoi(argv[5]), _wtoi(argv[6])};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, FALSE, 0);
    HWND main = CreateWindowExW(0, pm::MainWindowClass, L"Pelmirt 1.2.0", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 10,
                                10, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                pm::ui::appInstance, nullptr);
    if (!main) return 4;
    pm::driveList = {{L"C:\\", 96'300'000'000, 255'000'000'000}, {L"D:\\", 512'400'000'000, 1'000'000'000'000}};
    ShowWindow(main, SW_SHOWNORMAL);
    if (scanned) {
        SendMessageW(main, pm::WM_APP_SCAN_DONE, 0, reinterpret_cast<LPARAM>(oldTemporaryFiles().release()));
        pm::lastOperationTime = ScanFinished;
        pm::updateStatusLine();
    }
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(pageButton(argv[4]), BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(main, pageButton(argv[4]))));
    pm::layoutMainControls();
    // The page switch, the gauge's ease and the switches' slides are over when the animation timer stops;
    // a fixed wait would catch them half-way on a loaded machine.
    pm::shots::pumpFor(100);
    for (int i = 0; i < 300 && pm::ui::animationTimerRunning; ++i) pm::shots::pumpFor(50);
    pm::shots::pumpFor(200);
    const int status = pm::shots::saveWindow(main, argv[1]) ? 0 : 5;
    DestroyWindow(main);
    pm::shots::pumpFor(100);
    return status;
}
