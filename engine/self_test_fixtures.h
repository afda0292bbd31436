// The files, junctions and clean-up of the file self-test's private fixture tree.
#pragma once

#include <string>

namespace pm {

// What removeFixtureTree removes, in this order.
struct FixtureCleanup {
    std::wstring scan;
    std::wstring outside;
    std::wstring moved;
    std::wstring root;
};

// Writes "Pelmirt isolated self-test fixture" and a line feed, then sets the last-write time to now, or to
// 48 hours ago when aged.
bool writeFixtureFile(const std::wstring& path, bool aged);

// Creates the folder `junction` and makes it a directory junction (a mount point) to `target`. On false the
// folder is gone again and the last error is that of the step that failed.
bool createJunction(const std::wstring& junction, const std::wstring& target);

// Removes what it can of the fixture tree, ignoring every failure. A junction is removed as itself, never
// walked.
void removeFixtureTree(const FixtureCleanup& cleanup);

}  // namespace pm
