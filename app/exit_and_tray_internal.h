// The exit sequence's own state, for tests.
#pragma once

namespace pm {

// Set once an exit was requested with force; every later request of the same exit is forced too.
// Cleared when the exit question is answered with anything but "Yes".
extern bool forceExit;

}  // namespace pm
