#include "app/main_layout.h"

#include "app/shell_globals.h"
#include "ui/shell_state.h"
#include "ui/window_utils.h"

#include <algorithm>
#include <cmath>

namespace pm {

MainLayout computeMainLayout() {
    MainLayout layout;
    layout.width = static_cast<float>(clientWidth) / ui::layoutScale;
    layout.height = static_cast<float>(clientHeight) / ui::layoutScale;
    const float side = (layout.width - 230.0f - 80.0f) * 0.34f;
    layout.sideWidth = std::isnan(side) ? 290.0f : std::max(side, 290.0f);
    layout.mainWidth = layout.width - 230.0f - 60.0f - layout.sideWidth;
    layout.sideX = layout.contentX + layout.mainWidth + 20.0f;
    const float bottom = layout.height - 134.0f - 268.0f - 94.0f;
    layout.bottomHeight = std::isnan(bottom) ? 280.0f : std::max(bottom, 280.0f);
    return layout;
}

void layoutMainControls() {
    // placeholder: the page layout (control bounds, visibility, enabling, the gauge transition) comes
    // with the main window layout; until then only the client size is refreshed and the frame repainted.
    if (!ui::mainWindow) return;
    RECT client{};
    if (GetClientRect(ui::mainWindow, &client)) {
        clientWidth = client.right - client.left;
        clientHeight = client.bottom - client.top;
    }
    ui::invalidateWindow(ui::mainWindow, nullptr);
}

}  // namespace pm
