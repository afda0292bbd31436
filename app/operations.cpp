#include "app/operations.h"

#include "app/shell_globals.h"

namespace pm {

// placeholder: the scan and clean-up operations come with the worker threads of the shell; until then
// the buttons start nothing.
void startScan() {}
void startClean() {}

void joinWorker() {
    if (workerThread.joinable()) workerThread.join();
    busy = false;
    operationPhase = PhaseIdle;
    operationOwner = nullptr;
}

// placeholder: the sum over the selected categories comes with the clean-up operation.
uint64_t selectedCategoryBytes() { return 0; }

}  // namespace pm
