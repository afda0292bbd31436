#include "app/large_files_window.h"

namespace pm {

// placeholder: the large-files window comes with its own window procedure; until then the command opens nothing.
void openLargeFilesWindow() {}

}  // namespace pm
