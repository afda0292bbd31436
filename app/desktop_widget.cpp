#include "app/desktop_widget.h"

namespace pm {

void syncDesktopWidget() {
    // placeholder: the widget window comes with the desktop widget; no widget is created until then,
    // whatever widget_enabled says.
}

void refreshWidget() {
    // placeholder: nothing to refresh while there is no widget window.
}

}  // namespace pm
