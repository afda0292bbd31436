// The desktop widget with the usage of each drive.
#pragma once

namespace pm {

// Creates or destroys the widget to match widget_enabled.
void syncDesktopWidget();
// Re-renders the widget when it is shown.
void refreshWidget();

}  // namespace pm
