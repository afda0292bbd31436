#include "app/status_line.h"

namespace pm {

void updateStatusLine() {
    // placeholder: the summary text comes with the status line; statusLine keeps its start value.
}

}  // namespace pm
