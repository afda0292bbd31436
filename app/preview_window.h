// A preview window of the analysis.
#pragma once

namespace pm {

// Opens a new preview window of the analysis, owned by the main window; without an analysis it says
// so in a message box instead.
void openPreviewWindow();

}  // namespace pm
