#include "app/window_heading.h"

#include "ui/line_icons.h"
#include "ui/shapes.h"

namespace pm {

void paintProductMark(Gdiplus::Graphics* graphics, const ProductMark& mark, const QueueText& queue) {
    const ui::Theme& t = ui::theme;
    ui::fillRoundRect(graphics, mark.tileX, mark.tileY, mark.tileSize, mark.tileSize, mark.tileRadius,
                      ui::mixColor(t.navBackground, t.accent, mark.tileAccent), 0, 1.0f);
    ui::drawBroomIcon(graphics, mark.broomX, mark.broomY, mark.broomSize, t.navText);
    queue(L"Pelmirt", mark.name, t.navText, true);
    queue(VersionLine, mark.version, t.navMutedText, false);
}

void paintPageHeading(const PageHeading& heading, const std::wstring& title, const std::wstring& subtitle,
                      const QueueText& queue) {
    queue(title, heading.title, ui::theme.text, true);
    queue(subtitle, heading.subtitle, ui::theme.mutedText, false);
}

}  // namespace pm
