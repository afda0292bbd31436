// The program's start-up, message loop and teardown; wWinMain hands everything to runProgram.
#pragma once

#include <windows.h>

namespace pm {

inline constexpr int ExitWindowFailed = 10;

// The whole life of the process: the self-test run, or the main window and its message loop.
// Returns the exit code.
int runProgram(HINSTANCE instance, const wchar_t* commandLine, int showCommand);

}  // namespace pm
