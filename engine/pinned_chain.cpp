#include "engine/pinned_chain.h"

#include "engine/final_path.h"
#include "engine/handle_holder.h"
#include "engine/path_rules.h"

#include <utility>

namespace pm {

namespace {

constexpr DWORD kMaxFinalPath = 32768;

// Opens one plain directory and appends it to the chain. Only the last directory of a chain needs its
// identity (file index, volume serial, times); for those above it the attributes suffice, and reading them
// alone avoids the volume query inside GetFileInformationByHandle, which costs 1-2 ms per directory under
// Wine 8 (the clean pass pins two chains per entry).
bool pinDirectory(PinnedDirectoryChain& chain, const std::wstring& path, bool readIdentity) {
    HandleHolder handle(openDirectoryForPinning(path));
    if (!handle.valid()) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (readIdentity) {
        if (!GetFileInformationByHandle(handle.get(), &info)) {
            closeKeepingError(handle, GetLastError());
            return false;
        }
    } else {
        FILE_ATTRIBUTE_TAG_INFO attributes{};
        if (!GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &attributes, sizeof(attributes))) {
            closeKeepingError(handle, GetLastError());
            return false;
        }
        info.dwFileAttributes = attributes.FileAttributes;
    }
    if ((info.dwFileAttributes & kDirectoryOrReparseMask) != FILE_ATTRIBUTE_DIRECTORY) {
        closeKeepingError(handle, kErrorReparseTagInvalid);
        return false;
    }
    std::wstring finalPath = finalPathOfHandle(handle.get());
    if (finalPath.empty()) {
        closeKeepingError(handle, ERROR_INVALID_NAME);
        return false;
    }
    // Held until stored: if the list cannot grow, the holder still closes the handle.
    chain.handles.push_back(handle.get());
    handle.release();
    chain.finalPath = std::move(finalPath);
    chain.info = info;
    return true;
}

}  // namespace

PinnedDirectoryChain::~PinnedDirectoryChain() { closeHandles(handles); }

PinnedDirectoryChain::PinnedDirectoryChain(PinnedDirectoryChain&& other) noexcept
    : handles(std::exchange(other.handles, {})), finalPath(std::move(other.finalPath)), info(other.info) {}

PinnedDirectoryChain& PinnedDirectoryChain::operator=(PinnedDirectoryChain&& other) noexcept {
    if (this != &other) {
        closeHandles(handles);
        handles = std::exchange(other.handles, {});
        finalPath = std::move(other.finalPath);
        info = other.info;
    }
    return *this;
}

void closeHandles(std::vector<HANDLE>& handles) {
    for (HANDLE handle : handles) HandleHolder(handle).reset();  // the holder closes real handles only
    handles.clear();
    handles.shrink_to_fit();
}

HANDLE openDirectoryForPinning(const std::wstring& path) {
    return CreateFileW(toLongPath(path).c_str(), kPinnedDirectoryAccess, kPinnedDirectoryShare, nullptr,
                       OPEN_EXISTING, kPinnedDirectoryFlags, nullptr);
}

std::wstring finalPathOfHandle(HANDLE handle) {
    std::wstring buffer = finalPathText(handle, kMaxFinalPath);
    if (buffer.empty()) return std::wstring();
    std::wstring normal;
    if (!normalizePath(buffer, normal)) return std::wstring();
    return normal;
}

bool openPinnedDirectory(PinnedDirectoryChain& chain, const std::wstring& path) {
    return pinDirectory(chain, path, true);
}

bool openDirectoryChain(PinnedDirectoryChain& chain, const std::wstring& folder) {
    std::wstring normal;
    if (!normalizePath(folder, normal)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    std::wstring current = normal.substr(0, 3);
    if (!pinDirectory(chain, current, normal.size() < 4)) return false;
    if (normal.size() < 4) return true;
    std::size_t begin = 3;
    while (begin < normal.size()) {
        std::size_t end = normal.find(L'\\', begin);
        if (end == std::wstring::npos) end = normal.size();
        if (current.back() != L'\\') current += L'\\';
        current.append(normal, begin, end - begin);
        if (!pinDirectory(chain, current, end == normal.size())) return false;
        begin = end + 1;
    }
    return true;
}

}  // namespace pm
