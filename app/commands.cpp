#include "app/commands.h"

namespace pm {

void onCommand(int) {
    // placeholder: the commands of the main window (pages, scan, clean, selections, settings, windows)
    // come with the commands of the shell; until then a click does nothing.
}

}  // namespace pm
