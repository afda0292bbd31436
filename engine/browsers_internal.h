// The browser process finder, shared inside the engine and with its tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pm {

// One running browser process of this user and session.
struct BrowserProcess {
    std::uint32_t pid = 0;
    std::wstring displayName;
};

// The browser processes in snapshot order; listed is true only when the whole snapshot was read. A process
// whose session, token or user cannot be read counts as one of ours.
std::vector<BrowserProcess> findBrowserProcesses(bool& listed);

}  // namespace pm
