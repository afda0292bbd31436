// The large-file tool's pinned directory chain: every directory from the drive root down to a folder,
// opened by the path built from the request, each one required to be a plain directory and the folder to be
// found under exactly that path, with the caller's cancel flag read before each directory.
#pragma once

#include "engine/pinned_chain.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace pm::large {

// The strict normal form of the handle's final path, or empty on any failure.
std::wstring finalPathOfHandleStrict(HANDLE handle);

// Pins one directory given in strict normal form. On false nothing is appended and the last error says
// why: 1223 cancelled, CreateFileW's or GetFileInformationByHandle's own error, 4393 for a reparse point or
// a non-directory, 123 for a final path that is missing or is not the requested path.
bool openPinnedDirectoryChecked(PinnedDirectoryChain& chain, const std::wstring& path, const std::atomic<bool>& cancel);

// Pins every directory from the drive root to the folder (123 when the folder does not normalise). On false
// the chain keeps what it pinned so far until it is destroyed. The folder's final path is always read and
// compared; its full identity (info) only with ChainEnd::Identity.
bool openDirectoryChainChecked(PinnedDirectoryChain& chain, const std::wstring& folder, const std::atomic<bool>& cancel,
                               ChainEnd end = ChainEnd::Identity);

}  // namespace pm::large
