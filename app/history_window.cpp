#include "app/history_window.h"

namespace pm {

// placeholder: the history window comes with its own window procedure; until then the command opens nothing.
void openHistoryWindow() {}

}  // namespace pm
