// One frame of a main-window-sized surface through Canvas: a 1300 x 850 back buffer, 40 cards
// (fillRoundRect with a border) and 150 queued texts drawn with GDI at the end of the pass.
// Prints the first pass (empty font cache), the mean of later passes and frames per second, and
// the same frame split into its shapes and its texts.
#include "ui/back_buffer.h"
#include "ui/canvas.h"
#include "ui/shapes.h"
#include "ui/text_list.h"
#include "ui/theme.h"
#include "ui/ui_font.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kWidth = 1300;
constexpr int kHeight = 850;
constexpr int kPasses = 200;

double nowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

const wchar_t* const kTexts[] = {
    L"Temporary files", L"Browser caches", L"Recycle Bin", L"Scan", L"Clean", L"1.24 GB can be freed",
    L"Files older than 24 hours in the temporary folders", L"Chrome, Edge and Firefox", L"Settings",
    L"Очистка диска завершена", L"Last scan: today 08:15", L"C:\\ 120.4 GB free of 476.3 GB",
};

void drawFrame(HDC dc, const wchar_t* face, bool shapes, bool texts, bool cards = true) {
    pm::ui::Canvas canvas(dc, 1.0f, face, false, &pm::ui::fontCache);
    if (shapes) {
        pm::ui::fillRoundRect(canvas.graphics, 0, 0, kWidth, kHeight, 0, pm::ui::theme.background, 0, 1.0f);
        for (int i = 0; i < (cards ? 40 : 0); ++i) {
            const float x = 20.0f + static_cast<float>(i % 8) * 158.0f;
            const float y = 20.0f + static_cast<float>(i / 8) * 165.0f;
            pm::ui::fillRoundRect(canvas.graphics, x, y, 148, 150, 16, pm::ui::theme.card, pm::ui::theme.border, 1.0f);
        }
    }
    if (texts) {
        for (int i = 0; i < 150; ++i) {
            const float x = 30.0f + static_cast<float>(i % 10) * 125.0f;
            const float y = 30.0f + static_cast<float>(i / 10) * 53.0f;
            const float size = 12.0f + static_cast<float>(i % 5) * 2.0f;  // 5 sizes, regular and bold
            canvas.queueText(kTexts[i % 12], x, y, 115, 40, size, pm::ui::toColorRef(pm::ui::theme.text), i % 3 == 0,
                             true, i % 4 != 0, false);
        }
    }
}

double meanPassMs(HDC dc, const wchar_t* face, bool shapes, bool texts, bool cards = true) {
    const double start = nowMs();
    for (int i = 0; i < kPasses; ++i) drawFrame(dc, face, shapes, texts, cards);
    return (nowMs() - start) / kPasses;
}

}  // namespace

int main() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        std::printf("GDI+ did not start\n");
        return 1;
    }
    pm::ui::applyTheme();
    const wchar_t* face = pm::ui::uiFontFace();
    int result = 0;
    {
        pm::ui::BackBuffer buffer;
        if (!pm::ui::ensureBackBuffer(buffer, kWidth, kHeight)) {
            std::printf("no back buffer\n");
            result = 1;
        } else {
            pm::ui::clearFontCache(pm::ui::fontCache);
            const double start = nowMs();
            drawFrame(buffer.dc, face, true, true);
            const double first = nowMs() - start;
            const size_t fonts = pm::ui::fontCache.fonts.size();
            const double full = meanPassMs(buffer.dc, face, true, true);
            const double shapes = meanPassMs(buffer.dc, face, true, false);
            const double texts = meanPassMs(buffer.dc, face, false, true);
            const double background = meanPassMs(buffer.dc, face, true, false, false);
            const double empty = meanPassMs(buffer.dc, face, false, false);
            std::printf("canvas pass, %d x %d, 40 cards, 150 texts, face %ls (%zu fonts cached)\n", kWidth, kHeight,
                        face, fonts);
            std::printf("  first pass (empty font cache): %.2f ms\n", first);
            std::printf("  later passes (mean of %d):      %.2f ms = %.1f frames per second\n", kPasses, full,
                        1000.0 / full);
            std::printf("  shapes only: %.2f ms (background fill alone %.2f ms), texts only: %.2f ms, empty canvas: %.2f ms\n",
                        shapes, background, texts, empty);
        }
    }
    pm::ui::clearFontCache(pm::ui::fontCache);
    pm::ui::deleteThemeBrushes();
    Gdiplus::GdiplusShutdown(token);
    return result;
}
