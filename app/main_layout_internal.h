// Pieces of the main window layout, for tests.
#pragma once

#include <cstdint>

namespace pm {

// Share of the scanned bytes that the selected categories hold, 0..1 (0 for an empty scan).
double selectedGaugeFraction();

// Points the ring-gauge transition at fraction as of tick now: from the value shown at that moment, over
// 300 ms, or at once with reduced motion. Nothing changes when fraction is already the target.
void retargetGauge(double fraction, uint64_t now, bool reduceMotion);

}  // namespace pm
