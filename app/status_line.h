// The one-line summary of the last operation under the main window's pages.
#pragma once

namespace pm {

// Rebuilds statusLine from the last operation's globals in the current language.
void updateStatusLine();

}  // namespace pm
