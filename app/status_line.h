// The summary of the last operation under the main window's pages: the status text, and the line that
// says when the last analysis ran.
#pragma once

namespace pm {

// Rebuilds statusText (after a scan or a clean-up) and statusLine from the last operation's counters, in
// the current language. Called after each result and after every change of the interface language.
void updateStatusLine();

}  // namespace pm
