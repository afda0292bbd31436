// A preview window of the analysis.
#pragma once

namespace pm {

// Opens a preview window of the analysis (or brings the open one back), owned by the main window.
void openPreviewWindow();

}  // namespace pm
