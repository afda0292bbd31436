#include "app/main_frame.h"

#include "app/shell_globals.h"
#include "ui/back_buffer.h"
#include "ui/shell_state.h"
#include "ui/theme.h"

#include <initializer_list>

namespace pm {

HFONT mainFontBold = nullptr;
HFONT mainFontSmall = nullptr;

void renderMainFrame() {
    // placeholder: the frame render (navigation band, pages, status area) comes with the main frame
    // rendering; until then the frame is the theme's background, so the window is never left unpainted.
    static uint64_t renderedGeneration = 0;
    if (!ui::mainWindow || clientWidth <= 0 || clientHeight <= 0) return;
    const bool resized = ui::mainBackBuffer.width != clientWidth || ui::mainBackBuffer.height != clientHeight;
    if (!resized && renderedGeneration == ui::uiGeneration) return;
    if (!ui::ensureBackBuffer(ui::mainBackBuffer, clientWidth, clientHeight)) return;
    const RECT all{0, 0, clientWidth, clientHeight};
    HBRUSH brush = ui::theme.backgroundBrush ? ui::theme.backgroundBrush
                                             : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    FillRect(ui::mainBackBuffer.dc, &all, brush);
    renderedGeneration = ui::uiGeneration;
}

void onDrawItem(const DRAWITEMSTRUCT*) {
    // placeholder: the owner-drawn faces of the main controls come with their painter.
}

void rebuildMainFonts() {
    // placeholder: the three main fonts are built with the main frame rendering; controls keep the
    // system font until then.
}

void deleteMainFonts() {
    for (HFONT* font : {&ui::mainFontRegular, &mainFontBold, &mainFontSmall}) {
        if (*font) DeleteObject(*font);
        *font = nullptr;
    }
}

LRESULT CALLBACK opacitySliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR) {
    // placeholder: the themed trackbar painting comes with the main frame rendering; the trackbar draws
    // itself until then.
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, opacitySliderProc, id);
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace pm
