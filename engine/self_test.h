// The engine's file self-test: its protections exercised on a private fixture folder in the temporary folder.
#pragma once

#include <string>

namespace pm {

// True when every step passed (message left empty); false with one English message naming the first step
// that failed. The fixture folder is removed afterwards.
bool runSelfTest(std::wstring& message);

}  // namespace pm
