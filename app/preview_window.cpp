#include "app/preview_window.h"

namespace pm {

// placeholder: a preview window of the analysis comes with its own window procedure; until then the command opens nothing.
void openPreviewWindow() {}

}  // namespace pm
