// The widget's geometry: the row rule, scrolling, the rounded outline's coverage and alpha, the hit test.
#include "app/desktop_widget_internal.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace pm {

WidgetRows widgetRowRule(const RECT& workArea, float dpiScale, std::size_t driveCount) {
    const float available = static_cast<float>(std::max(workArea.bottom - workArea.top - 16, 1L));
    const float fit = (available / std::max(dpiScale, 0.25f) - WidgetBaseHeightDip) / WidgetRowDip;
    const int rowsFit = static_cast<int>(std::floor(fit));
    WidgetRows result;
    const int wanted = std::max(1, static_cast<int>(std::min<std::size_t>(driveCount, WidgetMaxRows)));
    result.rows = rowsFit < 1 ? 1 : std::min(rowsFit, wanted);
    result.heightDip = WidgetBaseHeightDip + WidgetRowDip * result.rows;
    return result;
}

int32_t maxScrollOffset(std::size_t driveCount, int32_t rows) {
    const int32_t shown = std::max(std::min(rows, WidgetMaxRows), 1);
    const auto count = static_cast<int32_t>(std::min<std::size_t>(driveCount, 1u << 20));
    return std::max(count - shown, 0);
}

int32_t wheelScrollOffset(int32_t offset, int delta, std::size_t driveCount, int32_t rows) {
    const int32_t moved = delta >= 1 ? offset - 1 : offset + 1;
    return std::clamp(moved, 0, maxScrollOffset(driveCount, rows));
}

float scrollThumbTopDip(int32_t offset, int32_t rows, std::size_t driveCount) {
    const float span = static_cast<float>(driveCount) - static_cast<float>(rows);
    if (span <= 0.0f) return 230.0f;
    return 230.0f + static_cast<float>(offset) * static_cast<float>(rows * WidgetRowDip - 22) / span;
}

int widgetCornerRadius(int width, int height, float contentScale, bool highContrast) {
    const int r = highContrast ? 0 : static_cast<int>(std::lround(WidgetCornerDip * contentScale));
    return std::max(std::min(std::min(width, height) / 2, r), 0);
}

int cornerSamplesInside(int x, int y, int width, int height, int radius) {
    if (radius <= 0) return -1;
    const bool left = x < radius;
    const bool top = y < radius;
    if (!(left || x + 1 > width - radius) || !(top || y + 1 > height - radius)) return -1;
    // In sixteenths of a pixel every sub-sample centre is a whole number: the test is exact.
    const int64_t cx = 16LL * (left ? radius : width - radius);
    const int64_t cy = 16LL * (top ? radius : height - radius);
    const int64_t limit = 256LL * radius * radius;
    int inside = 0;
    for (int j = 0; j < 8; ++j) {
        const int64_t dy = 16LL * y + 2 * j + 1 - cy;
        for (int i = 0; i < 8; ++i) {
            const int64_t dx = 16LL * x + 2 * i + 1 - cx;
            if (dx * dx + dy * dy <= limit) ++inside;
        }
    }
    return inside;
}

int widgetOpacity(int setting) {
    return std::clamp(setting, 20, 100);
}

namespace {

uint32_t premultiplied(uint32_t pixel, uint32_t alpha) {
    const auto scale = [alpha](uint32_t c) { return (c * alpha + 127) / 255; };
    return (alpha << 24) | (scale((pixel >> 16) & 0xFF) << 16) | (scale((pixel >> 8) & 0xFF) << 8) |
           scale(pixel & 0xFF);
}

uint32_t alphaOf(int coverage, int opacity) {
    return static_cast<uint32_t>((coverage * opacity + 50) / 100);
}

}  // namespace

void applyWidgetAlpha(uint32_t* bits, int width, int height, int radius, int opacity) {
    if (!bits || width < 1 || height < 1) return;
    const int r = std::max(std::min(std::min(width, height) / 2, radius), 0);
    const uint32_t full = alphaOf(255, opacity);
    // Every pixel off the corners takes the same alpha: one table per channel value.
    std::array<uint32_t, 256> scaled{};
    for (uint32_t c = 0; c < 256; ++c) scaled[c] = (c * full + 127) / 255;
    const auto premultiplyFull = [&scaled, full](uint32_t pixel) {
        return (full << 24) | (scaled[(pixel >> 16) & 0xFF] << 16) | (scaled[(pixel >> 8) & 0xFF] << 8) |
               scaled[pixel & 0xFF];
    };
    for (int y = 0; y < height; ++y) {
        uint32_t* row = bits + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        const bool cornerRow = y < r || y + 1 > height - r;
        for (int x = 0; x < width; ++x) {
            if (cornerRow && (x < r || x + 1 > width - r)) {
                const int n = cornerSamplesInside(x, y, width, height, r);
                row[x] = premultiplied(row[x], alphaOf((n * 255 + 32) >> 6, opacity));
            } else {
                // With alpha 255 every channel stays as it is: (c * 255 + 127) / 255 = c.
                row[x] = full == 255 ? (row[x] | 0xFF000000u) : premultiplyFull(row[x]);
            }
        }
    }
}

LRESULT widgetHitTest(POINT client, int width, int height, float contentScale, bool highContrast) {
    if (client.x < 0 || client.y < 0 || client.x >= width || client.y >= height) return HTTRANSPARENT;
    const int radius = widgetCornerRadius(width, height, contentScale, highContrast);
    // Clicks in the cut corners fall through to whatever lies below.
    if (cornerSamplesInside(client.x, client.y, width, height, radius) == 0) return HTTRANSPARENT;
    return client.y < std::lround(WidgetDragBandDip * contentScale) ? HTCAPTION : HTCLIENT;
}

}  // namespace pm
