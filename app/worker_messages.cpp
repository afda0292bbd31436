#include "app/worker_messages.h"

namespace pm {

// placeholder: the handlers and their record types come with the worker messages and the large-file
// operations. No worker exists yet, so nothing posts these messages and no record can be lost here.
void onProgressMessage(LPARAM) {}
void onScanDone(LPARAM) {}
void onCleanDone(LPARAM) {}
void onWorkerError(LPARAM) {}

}  // namespace pm
