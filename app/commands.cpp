#include "app/commands.h"

#include "app/main_layout.h"
#include "app/operations.h"
#include "app/shell_globals.h"

namespace pm {

void onCommand(int id) {
    switch (id) {
    case 120:
        startScan();
        break;
    case 121:
        startClean();
        break;
    case 122:  // Cancel: the worker notices the flag and reports as usual; nothing is joined here.
        cancelRequested = true;
        progressText = operationPhase == PhaseCleaning ? L"Отмена… уже удалённые файлы не восстанавливаются."
                                                       : L"Отмена…";
        layoutMainControls();
        break;
    default:
        // placeholder: the other commands of the main window (pages, selections, settings, windows) come
        // with the commands of the shell; until then such a click does nothing.
        break;
    }
}

}  // namespace pm
