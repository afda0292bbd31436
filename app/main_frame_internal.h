// Pieces of the main frame renderer, for tests and benchmarks.
#pragma once

#include <cstdint>

namespace pm {

// How many times the frame was really rendered (not returned early) since the process started.
extern uint64_t frameRenderCount;
// How many times only the invalidated areas of the frame were rendered.
extern uint64_t frameAreaRenderCount;

}  // namespace pm
