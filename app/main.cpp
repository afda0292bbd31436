// pelmirt.exe: everything the program does lives in the pm_app library.
#include "app/program.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
    return pm::runProgram(instance, commandLine, showCommand);
}
