// The Disk space page: one row per drive, as many as fit above the page's button.
#include "app/drive_label.h"
#include "app/format_bytes.h"
#include "app/main_pages_internal.h"
#include "app/shell_globals.h"
#include "services/i18n/translate.h"
#include "ui/line_icons.h"
#include "ui/shapes.h"
#include "ui/text_list.h"

namespace pm::detail {

float usedFraction(const DriveInfo& drive) {
    if (drive.totalBytes == 0) return 0.0f;
    const uint64_t free = drive.availableBytes < drive.totalBytes ? drive.availableBytes : drive.totalBytes;
    return static_cast<float>(static_cast<double>(drive.totalBytes - free) / static_cast<double>(drive.totalBytes));
}

std::wstring freeSpaceText(const DriveInfo& drive) {
    return formatBytes(drive.availableBytes) + L" " + translate(L"свободно");
}

void paintDiskPage(Gdiplus::Graphics* g, const MainLayout& layout) {
    using ui::queueFrameText;
    using ui::theme;
    const float W = layout.width;
    const float cx = layout.contentX;
    drawCard(g, pageCard(layout));
    if (driveList.empty()) {
        queueFrameText(L"Локальные диски недоступны.", cx + 26, 168, W - cx - 76, 45, 18, rgbOf(theme.mutedText), false,
                       0, true, false, false);
        return;
    }
    const float rowWidth = W - cx - 77;
    const float buttonTop = pageCardButtonTop(layout, 40);
    float y = 162;
    for (const DriveInfo& drive : driveList) {
        // A row ends with its total line 95 below its top. A row that would run under the large-files
        // button is left out with the rest, so no text is cut.
        if (y + 95 > buttonTop) break;
        ui::drawLineIcon(g, 1, cx + 26, y + 2, 24, theme.mutedText);
        queueFrameText(driveLabel(drive), cx + 61, y, W - cx - 112, 26, 16, rgbOf(theme.text), true, 0, false, false,
                       false);
        ui::drawProgressBar(g, cx + 26, y + 40, rowWidth, usedFraction(drive));
        queueFrameText(freeSpaceText(drive), cx + 26, y + 55, rowWidth, 21, 13, rgbOf(theme.mutedText), false, 0, false,
                       false, false);
        queueFrameText(translate(L"Всего") + L" " + formatBytes(drive.totalBytes), cx + 26, y + 76, rowWidth, 19, 12,
                       rgbOf(theme.mutedText), false, 0, false, false, false);
        y += 108;
    }
}

}  // namespace pm::detail
