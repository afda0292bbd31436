// The history window.
#pragma once

namespace pm {

// Opens the history window (or brings the open one back), owned by the main window.
void openHistoryWindow();

}  // namespace pm
