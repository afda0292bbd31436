// The desktop widget's WM_PAINT with five drive rows at 100 % and 200 % scale: the whole paintWidget
// (card, texts, rings, buttons, alpha, UpdateLayeredWindow), and within it the alpha pass with and
// without the 8 x 8 sub-sampling of the corner squares, whose difference is the sub-sampling's cost.
#include "app/desktop_widget.h"
#include "app/desktop_widget_internal.h"
#include "app/shell_globals.h"
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/widget_state.h"

#include "bench_support.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int kPaints = 200;
constexpr int kAlphaPasses = 500;

double meanMs(int passes, const std::function<void()>& work) {
    return 1000.0 * bench::seconds([&] {
               for (int i = 0; i < passes; ++i) work();
           }) /
           passes;
}

}  // namespace

int main() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
    pm::ui::appInstance = GetModuleHandleW(nullptr);
    pm::ui::currentSettings.widget_enabled = true;
    pm::ui::applyTheme();
    for (int i = 0; i < 5; ++i) {
        pm::DriveInfo drive;
        drive.root = std::wstring(1, static_cast<wchar_t>(L'C' + i)) + L":\\";
        drive.totalBytes = 512ull << 30;
        drive.availableBytes = static_cast<uint64_t>(40 + 90 * i) << 30;
        pm::driveList.push_back(drive);
    }
    pm::syncDesktopWidget();
    HWND widget = pm::ui::widgetWindow;
    if (!widget) {
        std::puts("widget_bench: the widget window could not be created");
        return 1;
    }
    pm::ui::WidgetState& state = *pm::ui::widgetStateOf(widget);

    int status = 0;
    for (const float scale : {1.0f, 2.0f}) {
        // Five rows whatever the screen: the size is set directly, as on a monitor tall enough.
        state.dpiScale = scale;
        state.rows = 5;
        state.heightDip = pm::WidgetBaseHeightDip + 5 * pm::WidgetRowDip;
        SetWindowPos(widget, nullptr, 0, 0, std::lround(360 * scale), std::lround(state.heightDip * scale),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client{};
        GetClientRect(widget, &client);
        if (std::fabs(state.contentScale - scale) > 0.001f) {
            std::printf("widget_bench: the window could not take %.0f %% (client %ld x %ld)\n", scale * 100.0,
                        client.right, client.bottom);
            status = 1;
            continue;
        }
        const auto paint = [widget] {
            InvalidateRect(widget, nullptr, FALSE);
            UpdateWindow(widget);
        };
        paint();  // fonts cached, buffers made
        const double paintMs = meanMs(kPaints, paint);
        const double renderMs = meanMs(kPaints, [widget, &state] { pm::renderWidgetFrame(widget, state); });

        const int w = state.frame.width;
        const int h = state.frame.height;
        const int radius = pm::widgetCornerRadius(w, h, state.contentScale, false);
        const double alphaMs = meanMs(kAlphaPasses, [&] { pm::applyWidgetAlpha(state.frame.bits, w, h, radius, 100); });
        const double plainMs = meanMs(kAlphaPasses, [&] { pm::applyWidgetAlpha(state.frame.bits, w, h, 0, 100); });
        const double cornerMs = alphaMs > plainMs ? alphaMs - plainMs : 0.0;
        std::printf("scale %3.0f %%: %d x %d px, paintWidget %.2f ms (%.0f frames/s; the frame alone %.2f ms)\n"
                    "  alpha pass %.3f ms, the same without corners %.3f ms: corner sub-sampling %.3f ms = %.2f %% "
                    "of paintWidget\n",
                    scale * 100.0, w, h, paintMs, 1000.0 / paintMs, renderMs, alphaMs, plainMs, cornerMs,
                    100.0 * cornerMs / paintMs);
    }
    DestroyWindow(widget);
    Gdiplus::GdiplusShutdown(token);
    return status;
}
