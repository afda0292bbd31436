// The main window at the size the program gives it on this screen: the time of a full frame render (a fresh
// UI generation), of a repaint with nothing changed (the frame is only copied to the window), of one step of
// the busy animation with its repaint (the Clean PC page during a scan), of a full layout with nothing
// changed and with a page switch, and how many controls each page switch moves, shows or hides.
#include "bench_support.h"
#include "window_bench_support.h"

#include "app/main_frame.h"
#include "app/main_frame_internal.h"
#include "app/main_layout.h"
#include "app/main_window_internal.h"
#include "app/shell_globals.h"
#include "ui/control_registry.h"
#include "ui/shell_state.h"

#include <windows.h>

#include <cstdio>
#include <set>

namespace {

constexpr int kPasses = 200;

double meanMs(int passes, const std::function<void()>& pass) {
    return 1000.0 * bench::seconds([&] {
        for (int i = 0; i < passes; ++i) pass();
    }) / passes;
}

std::set<HWND>* touched = nullptr;

LRESULT CALLBACK noteMoves(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && touched && message->message == WM_WINDOWPOSCHANGING &&
        GetParent(message->hwnd) == pm::ui::mainWindow) {
        touched->insert(message->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Controls the layout moved, showed or hid when switching to the page.
size_t controlsTouchedBySwitchTo(int page) {
    std::set<HWND> seen;
    touched = &seen;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, noteMoves, nullptr, GetCurrentThreadId());
    pm::currentPage = page;
    pm::layoutMainControls();
    UnhookWindowsHookEx(hook);
    touched = nullptr;
    return seen.size();
}

}  // namespace

int main() {
    const bench::WindowSession session;
    HWND window = bench::createMainWindow(0, 0);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    bench::pumpPending();
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    std::printf("main window %ld x %ld, client %ld x %ld (what is measured), layout scale %.3f, %zu controls\n",
                outer.right - outer.left, outer.bottom - outer.top, client.right, client.bottom,
                pm::ui::layoutScale, pm::ui::controlRegistry.size());

    for (int page = 0; page < 4; ++page) {
        pm::currentPage = page;
        pm::layoutMainControls();
        UpdateWindow(window);
        const double render = meanMs(kPasses, [] {
            ++pm::ui::uiGeneration;
            pm::renderMainFrame();
        });
        const double blit = meanMs(kPasses, [window] {
            InvalidateRect(window, nullptr, FALSE);  // a repaint without a new generation
            UpdateWindow(window);
        });
        std::printf("page %d: full frame render %.3f ms, repaint with nothing changed %.3f ms\n", page, render, blit);
    }

    // A scan in progress on the Clean PC page: each 16 ms step moves the busy segment of the progress strip.
    pm::currentPage = 0;
    pm::busy = true;
    pm::layoutMainControls();
    UpdateWindow(window);
    const std::uint64_t framesBefore = pm::frameRenderCount;
    const double step = meanMs(kPasses, [window] {
        pm::animationStep();
        UpdateWindow(window);
    });
    std::printf("busy animation step with its repaint (Clean PC page): %.3f ms, full frames rendered %llu of %d\n", step,
                static_cast<unsigned long long>(pm::frameRenderCount - framesBefore), kPasses);
    pm::busy = false;

    pm::currentPage = 0;
    pm::layoutMainControls();
    const double steady = meanMs(kPasses, [] { pm::layoutMainControls(); });
    const double switching = meanMs(kPasses, [] {
        pm::currentPage = pm::currentPage == 0 ? 3 : 0;
        pm::layoutMainControls();
    });
    std::printf("layoutMainControls: nothing changed %.3f ms, page switch Clean PC <-> Settings %.3f ms\n", steady,
                switching);
    // A page switch as the user sees it: the layout, then the window and its controls painted at once.
    const double switchPaint = meanMs(kPasses, [window] {
        pm::currentPage = pm::currentPage == 0 ? 3 : 0;
        pm::layoutMainControls();
        UpdateWindow(window);
    });
    std::printf("page switch with its repaint: %.3f ms\n", switchPaint);

    pm::currentPage = 0;
    pm::layoutMainControls();
    const int order[] = {1, 2, 3, 0, 2, 0, 3};
    int from = 0;
    for (int page : order) {
        std::printf("switch %d -> %d: %zu controls moved, shown or hidden\n", from, page,
                    controlsTouchedBySwitchTo(page));
        from = page;
    }
    std::printf("frames rendered in all: %llu\n", static_cast<unsigned long long>(pm::frameRenderCount));

    DestroyWindow(window);
    bench::pumpPending();
    return 0;
}
