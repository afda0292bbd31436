// A line for whoever started the program from a console or a script. The program is a windowed one and
// says nearly everything on screen; this is for the few outcomes a script must be told of.
#pragma once

#include <string>

namespace pm {

// Writes the line and a line break to the standard error: the handle the starter gave the process (a
// pipe or file under a script, and under Wine the starting terminal), else the console of the process
// that started it, which a windowed program on Windows is not given but may attach to. False when there is
// neither.
bool writeConsoleLine(const std::wstring& line);

}  // namespace pm
