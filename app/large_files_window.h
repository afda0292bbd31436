// The large-files window.
#pragma once

namespace pm {

// Opens the large-files window (or brings the open one back), owned by the main window.
void openLargeFilesWindow();

}  // namespace pm
