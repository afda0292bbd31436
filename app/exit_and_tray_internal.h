// The exit sequence's own state, for tests.
#pragma once

namespace pm {

// Set once an exit was requested with force; every later request of the same exit is forced too.
// A forced request that arrives while the exit question is open carries the exit on whatever the answer.
extern bool forceExit;

}  // namespace pm
