#include "app/secondary_windows.h"

#include "app/shell_globals.h"
#include "ui/shell_state.h"

#include <vector>

namespace pm {

namespace {

void destroyEach(const std::vector<HWND>& windows) {
    for (HWND window : windows) {
        if (IsWindow(window)) DestroyWindow(window);
    }
}

}  // namespace

void forEachSecondaryWindow(const std::function<void(HWND)>& fn) {
    std::vector<HWND> windows(previewWindows);
    windows.insert(windows.end(), historyWindows.begin(), historyWindows.end());
    windows.push_back(largeFilesWindow);
    windows.push_back(ui::widgetWindow);
    for (HWND window : windows) {
        if (window && IsWindow(window)) fn(window);
    }
}

void destroySecondaryWindows() {
    if (ui::widgetWindow && IsWindow(ui::widgetWindow)) DestroyWindow(ui::widgetWindow);
    if (largeFilesWindow && IsWindow(largeFilesWindow)) DestroyWindow(largeFilesWindow);
    // Copies: the windows remove themselves from the lists while they are destroyed.
    const std::vector<HWND> histories(historyWindows);
    destroyEach(histories);
    const std::vector<HWND> previews(previewWindows);
    destroyEach(previews);
}

}  // namespace pm
