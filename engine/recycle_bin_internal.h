// The Recycle Bin's building blocks, shared with its tests.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace pm {

// The bytes of one item's detail value that its fingerprint takes: the text of a string, the value of the
// scalar types the bin's sizes, dates and file times come as (VT_I4, VT_UI4, VT_I8, VT_UI8, VT_DATE,
// VT_FILETIME). False for an empty string and for any other type: the item then cannot be told apart.
bool detailValueBytes(const VARIANT& value, const void*& bytes, std::size_t& size);

// Called by the fingerprint's walk after each item it has read, with the count read so far; empty in the
// program. Lets a test change the bin while it is being walked.
void setFingerprintWalkHook(std::function<void(std::uint64_t itemsRead)> hook);

}  // namespace pm
