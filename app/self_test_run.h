// The windowless run of "--self-test": the JSON reader's checks, then the engine's file self-test; the
// verdict goes to the history and to the exit code.
#pragma once

namespace pm {

inline constexpr int ExitSelfTestFailed = 11;

// 0 when every check passed, 11 otherwise. Needs COM initialised on the calling thread; shows nothing.
int runSelfTestMode();

}  // namespace pm
