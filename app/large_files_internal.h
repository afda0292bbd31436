// Pieces of the large-files window and its operations, for tests.
#pragma once

#include "app/large_files_data.h"
#include "engine/large/recycle_internal.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace pm {

inline constexpr uint64_t MaxMinimumSizeMb = 1048576;  // 1 TiB
inline constexpr uint64_t MaxLargeResults = 100000;

namespace detail {

// The minimum size in MB: the whole text, ASCII digits only, 1 to 1048576; nothing otherwise.
std::optional<uint64_t> parseMinimumSizeMb(const std::wstring& text);
// The path up to and including its last backslash; empty without one.
std::wstring folderOfFile(const std::wstring& path);
// The question before a move to the Recycle Bin.
std::wstring recycleConfirmationText(uint64_t count, uint64_t totalBytes);
// _wcsicmp of the C locale: ASCII letters folded, sign only.
int compareFoldedAscii(const std::wstring& a, const std::wstring& b);
// The list's order: a before b for the column and direction (ties by code units, then length).
bool largeRowBefore(const large::LargeFileEntry& a, const large::LargeFileEntry& b, int sortColumn, bool ascending);
// The minimum-size row under its label, in DIP: the edit box from x 194 and the unit after it, whose box
// ends 10 DIP before the Search button. The unit's box is 40 wide; a unit that needs more (Arabic's
// word for megabyte) takes the room from the edit box, which keeps enough for its seven digits, so the
// unit is never cut.
struct MinimumSizeRow {
    float editWidth = 110;
    float unitX = 315;
    float unitWidth = 40;
};
MinimumSizeRow minimumSizeRow(float scale);
inline constexpr float MinimumSizeUnitTextSize = 13;
// The status line under the list (translated), for the window's state.
std::wstring largeFilesStatusText(HWND window, const LargeFilesData& data, uint64_t selectedCount);
// The result text of a move, from its counters, naming each file moved instead of a listed one.
std::wstring recycleResultText(uint64_t recycled, uint64_t bytes, uint64_t skipped, uint64_t failed,
                               bool cancelled, const std::vector<std::wstring>& movedInstead = {});
// One line per file the Shell moved instead of a listed one: where the Recycle Bin lists it. Lines that would
// take the text past maxUnits are left out (the history drops a record whose detail is too long).
std::wstring movedInsteadLines(const std::vector<std::wstring>& movedInstead,
                               std::size_t maxUnits = static_cast<std::size_t>(-1));

// The transfer source the move binds: empty means the Shell's own. Tests put a stand-in here.
extern large::TransferSourceBinder largeRecycleBinder;
// The search's result limit (MaxLargeResults unless a test lowers it).
extern uint64_t largeSearchLimit;

}  // namespace detail

}  // namespace pm
