// The large-files window: search a folder for large files, sort them, move the selected ones to the
// Recycle Bin, open a file's folder.
#pragma once

#include <windows.h>

namespace pm {

// Opens the large-files window (or brings the open one back), owned by the main window.
void openLargeFilesWindow();

// Enables and disables the window's controls for the shell's state, when the window has its record.
void updateLargeFilesControlsIfReady(HWND window);
// The operation's counters in its status line changed while the UI generation did not (a progress
// report): the window's frame is rendered again at its next paint.
void invalidateLargeFilesFrame(HWND window);

}  // namespace pm
