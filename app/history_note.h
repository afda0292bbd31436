// A free message in the operation history (the self-test verdict, a worker's failure).
#pragma once

#include <string>

namespace pm {

// Appends one record of kind message with the text and the detail. Ignores every failure.
void recordHistoryNote(const std::wstring& text, const std::wstring& detail);

}  // namespace pm
