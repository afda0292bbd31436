// The window's share of a scan and a clean-up, over 20,000 aged temporary files in 200 folders in the
// user's temporary folder under LocalAppData:
//   through the window   startScan until the scan's history record, and "Yes" to the clean-up question until
//                        the cleanup record: the worker thread, throttled progress posts, the handlers
//   direct               scanTargets and cleanTargets on an identical tree, with no progress callback
// Each tree is built before its timing and removed after. Also counts the progress posts per second of the
// window's scan, and scans a third tree through the program's real main window, shown on the Clean PC page:
// the UI thread's busy share (time spent handling messages, painting included, over the scan's wall time)
// and the frames it rendered. Writes scan and cleanup records into the history of the prefix it runs in.
#include "app/app_messages.h"
#include "app/desktop_widget.h"
#include "app/operations.h"
#include "app/shell_globals.h"
#include "app/worker_messages.h"
#include "engine/clean_pass.h"
#include "engine/scan.h"
#include "ui/shell_state.h"

#include "app/main_frame_internal.h"
#include "bench/bench_support.h"
#include "bench/window_bench_support.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <string>

namespace {

using namespace bench;

std::uint64_t progressPosts = 0;
LARGE_INTEGER yesPressed{};
UINT_PTR answerTimer = 0;

LRESULT CALLBACK benchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case pm::WM_APP_PROGRESS: ++progressPosts; pm::onProgressMessage(lParam); return 0;
    case pm::WM_APP_SCAN_DONE: pm::onScanDone(lParam); return 0;
    case pm::WM_APP_CLEAN_DONE: pm::onCleanDone(lParam); return 0;
    case pm::WM_APP_WORKER_ERROR: pm::onWorkerError(lParam); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

// The clean-up question, answered "Yes" from a timer of its own message loop; the clock starts there.
BOOL CALLBACK pressYes(HWND dialog, LPARAM) {
    if (GetWindow(dialog, GW_OWNER) != pm::ui::mainWindow || !IsWindowVisible(dialog)) return TRUE;
    KillTimer(nullptr, answerTimer);  // nothing of the bench runs during the timed clean-up
    QueryPerformanceCounter(&yesPressed);
    PostMessageW(dialog, TDM_CLICK_BUTTON, IDYES, 0);
    return FALSE;
}
void CALLBACK answerYes(HWND, UINT, UINT_PTR, DWORD) { EnumWindows(pressYes, 0); }

void pumpWhileBusy() {
    MSG message;
    while (pm::busy && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
}

double since(const LARGE_INTEGER& start) {
    LARGE_INTEGER frequency{}, now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

// The scan through the real main window: every message of the UI thread is timed while the scan runs.
struct UiShare {
    double wall = 0;
    double handling = 0;
    std::uint64_t frames = 0;
    std::uint64_t messages = 0;
};

UiShare scanThroughMainWindow(bool widget) {
    UiShare share;
    HWND window = bench::createMainWindow(0, 0);
    if (!window) return share;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    pm::ui::currentSettings.widget_enabled = widget;
    pm::syncDesktopWidget();
    UpdateWindow(window);
    bench::pumpPending();
    const std::uint64_t framesBefore = pm::frameRenderCount;
    LARGE_INTEGER frequency{}, start{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    LONGLONG handling = 0;
    pm::startScan();
    MSG message;
    while (pm::busy && GetMessageW(&message, nullptr, 0, 0) > 0) {
        LARGE_INTEGER before{}, after{};
        QueryPerformanceCounter(&before);
        TranslateMessage(&message);
        DispatchMessageW(&message);
        QueryPerformanceCounter(&after);
        handling += after.QuadPart - before.QuadPart;
        ++share.messages;
    }
    share.wall = since(start);
    share.handling = static_cast<double>(handling) / static_cast<double>(frequency.QuadPart);
    share.frames = pm::frameRenderCount - framesBefore;
    pm::ui::currentSettings.widget_enabled = false;
    pm::syncDesktopWidget();
    DestroyWindow(window);
    bench::pumpPending();
    return share;
}

int main() {
    const bench::WindowSession session;
    const std::wstring parent = userTemporaryFolder();
    if (parent.empty()) {
        std::printf("no temporary folder under LocalAppData\n");
        return 1;
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = benchWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PelmirtOpsBench";
    RegisterClassW(&windowClass);
    pm::ui::mainWindow = CreateWindowExW(0, L"PelmirtOpsBench", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                         nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!pm::ui::mainWindow) {
        std::printf("no window\n");
        return 1;
    }
    pm::cleanSelection = {true, false, false};

    double directScan = 0, directClean = 0;
    std::uint64_t directFiles = 0;
    {
        std::printf("building %llu files in %d folders...\n", static_cast<unsigned long long>(kFiles), kFolders);
        BenchTree tree(parent, L"pelmirt-ops-bench-direct");
        if (!tree.ok()) return 1;
        std::atomic<bool> cancel{false};
        pm::ScanReport report;
        directScan = seconds([&] { report = pm::scanTargets(cancel, {}); });
        pm::CleanResult result;
        directClean = seconds([&] { result = pm::cleanTargets(report, {true, false, false}, cancel, {}, {}); });
        directFiles = result.filesDeleted;
    }

    double windowScan = 0, windowClean = 0;
    std::uint64_t windowFiles = 0, scanPosts = 0;
    {
        BenchTree tree(parent, L"pelmirt-ops-bench-window");
        if (!tree.ok()) return 1;
        progressPosts = 0;
        windowScan = seconds([] {
            pm::startScan();
            pumpWhileBusy();
        });
        scanPosts = progressPosts;
        answerTimer = SetTimer(nullptr, 0, 5, answerYes);
        pm::startClean();  // returns once the worker runs
        pumpWhileBusy();
        windowClean = since(yesPressed);
        windowFiles = pm::lastOperationKind == 2 ? pm::lastBytes : 0;
    }

    std::printf("files: %llu in %d folders (direct clean deleted %llu; window clean freed %llu bytes)\n",
                static_cast<unsigned long long>(kFiles), kFolders, static_cast<unsigned long long>(directFiles),
                static_cast<unsigned long long>(windowFiles));
    std::printf("scan   through the window %.3f s   direct scanTargets  %.3f s   overhead %+.1f %%\n", windowScan,
                directScan, (windowScan / directScan - 1.0) * 100.0);
    std::printf("clean  through the window %.3f s   direct cleanTargets %.3f s   overhead %+.1f %%\n", windowClean,
                directClean, (windowClean / directClean - 1.0) * 100.0);
    std::printf("progress posts during the scan: %llu, %.1f per second\n", static_cast<unsigned long long>(scanPosts),
                static_cast<double>(scanPosts) / windowScan);
    DestroyWindow(pm::ui::mainWindow);
    pm::ui::mainWindow = nullptr;

    BenchTree tree(parent, L"pelmirt-ops-bench-main");
    if (!tree.ok()) return 1;
    for (const bool widget : {false, true}) {
        const UiShare share = scanThroughMainWindow(widget);
        std::printf("scan through the shown main window%s %.3f s: UI thread busy %.1f %% (%.3f s handling %llu "
                    "messages), %llu full frames rendered\n",
                    widget ? ", desktop widget shown," : "", share.wall,
                    share.wall > 0 ? 100.0 * share.handling / share.wall : 0.0, share.handling,
                    static_cast<unsigned long long>(share.messages), static_cast<unsigned long long>(share.frames));
    }
    return 0;
}
