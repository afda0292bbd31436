// The program's start-up, message loop and teardown; wWinMain hands everything to runProgram.
#pragma once

#include <windows.h>

namespace pm {

inline constexpr int ExitWindowFailed = 10;
// "--smoke-quit" met another running Pelmirt of this user and opened no window (that one was asked to show
// itself, as a plain later start does).
inline constexpr int ExitSmokeRunRefused = 12;
inline constexpr wchar_t SmokeRunRefusedText[] =
    L"pelmirt: --smoke-quit tested nothing: Pelmirt is already running for this user, so no window was opened "
    L"(exit code 12). Close the running Pelmirt and run the smoke check again.";

// The whole life of the process: the self-test run, or the main window and its message loop.
// Returns the exit code.
int runProgram(HINSTANCE instance, const wchar_t* commandLine, int showCommand);

}  // namespace pm
