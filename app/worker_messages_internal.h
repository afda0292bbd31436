// Texts and records the worker-message handlers build, for tests.
#pragma once

#include "engine/clean_types.h"
#include "engine/scan_types.h"
#include "services/history/history_record.h"

#include <cstdint>
#include <string>

namespace pm {

// The running operation's line for a progress report, in the current language.
std::wstring progressLine(const std::wstring& label, std::uint64_t done, std::uint64_t total);
// What a clean-up deleted, skipped and failed, and whether it emptied the Recycle Bin, in the current language.
std::wstring cleanCountersText(const CleanResult& result);
// The text of a finished clean-up, in the current language.
std::wstring cleanResultText(const CleanResult& result);
// The history record of a finished scan: the Recycle Bin's items and bytes count too.
HistoryRecord scanHistoryRecord(const ScanReport& report, bool cancelled);

}  // namespace pm
