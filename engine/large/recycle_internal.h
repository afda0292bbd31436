// The move's building blocks, for its tests: the selection, the advise sink, and the move with the
// transfer source supplied by the caller (the program always binds the Shell's).
#pragma once

#include "engine/large/recycle.h"

#include <windows.h>
#include <shobjidl.h>

#include <functional>

namespace pm::large {

// The indices below the limit, each once, in the order of their first occurrence.
std::vector<std::uint64_t> uniqueIndicesBelow(const std::vector<std::uint64_t>& indices, std::uint64_t limit);

// A new advise sink with one reference, reading (never writing) the cancel flag.
ITransferAdviseSink* newTransferSink(const std::atomic<bool>* cancel);

// Gives the transfer source for a file's parent folder item; S_OK with a source, or a failure HRESULT.
using TransferSourceBinder = std::function<HRESULT(IShellItem* parentItem, ITransferSource** source)>;

// parentItem->BindToHandler(BHID_Transfer).
HRESULT bindShellTransferSource(IShellItem* parentItem, ITransferSource** source);

RecycleResult recycleLargeFilesWith(const LargeSearchResult& search, const std::vector<std::uint64_t>& indices,
                                    std::atomic<bool>& cancel, const ProgressCallback& progress,
                                    const TransferSourceBinder& bindTransferSource);

}  // namespace pm::large
