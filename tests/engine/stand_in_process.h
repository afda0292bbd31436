// Browser stand-ins: the test suite's tiny windowed program copied under a browser's executable name and
// started in the private prefix. Every stand-in is ended by its handle when its holder goes, also when the
// test failed.
#pragma once

#include "tests/support/test_files.h"

#include <windows.h>

#include <string>

namespace pm::test {

class StandIn {
public:
    // mode: L"" (a visible window), L"hidden", L"owned" or L"refuse" (see browser_stand_in.cpp).
    StandIn(const std::wstring& executableName, const std::wstring& mode = std::wstring());
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    bool started() const { return process_.hProcess != nullptr; }
    DWORD pid() const { return process_.dwProcessId; }
    // True once the program has made its windows (two when owned), within five seconds.
    bool waitForWindows() const;
    bool exitsWithin(DWORD milliseconds) const;

private:
    TempFolder folder_;
    std::wstring mode_;
    PROCESS_INFORMATION process_{};
};

}  // namespace pm::test
