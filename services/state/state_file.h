// The user state file "state.dat": the application folder, the protected and atomically replaced file,
// and loading and saving AppSettings through it.
#pragma once

#include "services/json/json.h"
#include "services/state/app_settings.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pm {

// CSIDL_LOCAL_APPDATA followed by "\Pelmirt", created when missing. Throws "LocalAppData".
std::wstring appDataDir();

// The whole file when it opens, is 1 to 262144 bytes long and reads in full; otherwise empty. Never fails.
std::vector<std::uint8_t> readWholeFile(const std::wstring& path);

// The bytes protected for the current user (no prompt, no entropy). Throws "DPAPI".
std::vector<std::uint8_t> protectForUser(const std::uint8_t* bytes, std::uint32_t length,
                                         const std::wstring& description);

// The JSON value inside bytes that protectForUser made for this user. Throws "DPAPI", "JSON too large",
// "invalid JSON" or "JSON trailing data".
JsonValue unprotectJson(std::span<const std::uint8_t> protectedBytes);

// Puts bytes in place at path through path + ".new": one write, flush, then replace. The old file stays
// as it was on any failure, and no ".new" is left behind. Throws "cannot save settings" (the temporary
// file cannot be created) or "cannot commit settings" (write, flush or replace failed).
void writeFileAtomically(const std::wstring& path, const std::uint8_t* bytes, std::uint32_t length);

// Stores the settings (normalised) in the state file. Throws on any failure; the earlier file then stays.
void saveAppState(const AppSettings& settings);

// The stored settings, normalised; a missing, foreign, damaged or oversized file gives the defaults.
// Only "LocalAppData" escapes.
AppSettings loadAppState();

}  // namespace pm
