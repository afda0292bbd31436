// The window's share of a scan and a clean-up, over 20,000 aged temporary files in 200 folders in the
// user's temporary folder under LocalAppData:
//   through the window   startScan until the scan's history record, and "Yes" to the clean-up question until
//                        the cleanup record: the worker thread, throttled progress posts, the handlers
//   direct               scanTargets and cleanTargets on an identical tree, with no progress callback
// Each tree is built before its timing and removed after. The two are timed in turn over five runs, each
// run starting with the other one than the run before (whatever runs first pays for cold caches), and each
// one's median is printed. Also counts the progress posts per second of the window's scans, and scans a
// third tree through the program's real main window, shown on the Clean PC page: the UI thread's busy share
// (time spent handling messages, painting included, over the scan's wall time) and the frames it rendered.
// Writes scan and cleanup records into the history of the prefix it runs in.
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

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

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

// One timing of the scan and of the clean-up, on a tree of its own.
struct Timing {
    double scan = 0;
    double clean = 0;
    std::uint64_t cleaned = 0;  // files deleted (direct) or bytes freed (through the window)
    std::uint64_t posts = 0;    // progress posts during the window's scan
    bool ok = false;
};

Timing timeDirect(const std::wstring& parent) {
    Timing timing;
    BenchTree tree(parent, L"pelmirt-ops-bench-direct");
    if (!tree.ok()) return timing;
    std::atomic<bool> cancel{false};
    pm::ScanReport report;
    timing.scan = seconds([&] { report = pm::scanTargets(cancel, {}); });
    pm::CleanResult result;
    timing.clean = seconds([&] { result = pm::cleanTargets(report, {true, false, false}, cancel, {}, {}); });
    timing.cleaned = result.filesDeleted;
    timing.ok = true;
    return timing;
}

Timing timeThroughWindow(const std::wstring& parent) {
    Timing timing;
    BenchTree tree(parent, L"pelmirt-ops-bench-window");
    if (!tree.ok()) return timing;
    progressPosts = 0;
    timing.scan = seconds([] {
        pm::startScan();
        pumpWhileBusy();
    });
    timing.posts = progressPosts;
    answerTimer = SetTimer(nullptr, 0, 5, answerYes);
    pm::startClean();  // returns once the worker runs
    pumpWhileBusy();
    timing.clean = since(yesPressed);
    timing.cleaned = pm::lastOperationKind == 2 ? pm::lastBytes : 0;
    timing.ok = true;
    return timing;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

constexpr int kRuns = 5;

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

    std::printf("building %llu files in %d folders for each timing, %d runs of each...\n",
                static_cast<unsigned long long>(kFiles), kFolders, kRuns);
    std::vector<double> directScans, directCleans, windowScans, windowCleans;
    double postsPerSecond = 0;
    for (int run = 0; run < kRuns; ++run) {
        const bool directFirst = run % 2 == 0;
        Timing direct;
        if (directFirst) direct = timeDirect(parent);
        const Timing window = timeThroughWindow(parent);
        if (!directFirst) direct = timeDirect(parent);
        if (!direct.ok || !window.ok) return 1;
        std::printf("run %d (%s first): scan through the window %.3f s, direct %.3f s; clean through the window "
                    "%.3f s, direct %.3f s (direct deleted %llu files; the window freed %llu bytes)\n",
                    run + 1, directFirst ? "direct" : "window", window.scan, direct.scan, window.clean, direct.clean,
                    static_cast<unsigned long long>(direct.cleaned), static_cast<unsigned long long>(window.cleaned));
        directScans.push_back(direct.scan);
        directCleans.push_back(direct.clean);
        windowScans.push_back(window.scan);
        windowCleans.push_back(window.clean);
        postsPerSecond += static_cast<double>(window.posts) / window.scan / kRuns;
    }
    const double windowScan = median(windowScans), directScan = median(directScans);
    const double windowClean = median(windowCleans), directClean = median(directCleans);
    std::printf("medians of %d runs, %llu files in %d folders:\n", kRuns, static_cast<unsigned long long>(kFiles),
                kFolders);
    std::printf("scan   through the window %.3f s   direct scanTargets  %.3f s   overhead %+.1f %%\n", windowScan,
                directScan, (windowScan / directScan - 1.0) * 100.0);
    std::printf("clean  through the window %.3f s   direct cleanTargets %.3f s   overhead %+.1f %%\n", windowClean,
                directClean, (windowClean / directClean - 1.0) * 100.0);
    std::printf("progress posts during the window's scans: %.1f per second (mean of the runs)\n", postsPerSecond);
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
