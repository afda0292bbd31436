#include "engine/pinned_chain.h"

#include "engine/final_path.h"
#include "engine/handle_holder.h"
#include "engine/path_rules.h"

#include <utility>

namespace pm {

namespace {

constexpr DWORD kMaxFinalPath = 32768;

// Opens one plain directory and appends it to the chain. The last directory of a chain gives its final path,
// and its identity when asked; for those above it the attributes suffice. Reading no more avoids the volume
// query inside GetFileInformationByHandle (about 740 us per directory under Wine 8) and a final-path read
// (about 40 us) that no check compares.
bool pinDirectory(PinnedDirectoryChain& chain, const std::wstring& path, bool last, ChainEnd end) {
    HandleHolder handle = openPlainDirectory(toLongPath(path));
    if (!handle.valid()) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    std::wstring finalPath;
    if (last) {
        if (end == ChainEnd::Identity && !GetFileInformationByHandle(handle.get(), &info)) {
            closeKeepingError(handle, GetLastError());
            return false;
        }
        finalPath = finalPathOfHandle(handle.get());
        if (finalPath.empty()) {
            closeKeepingError(handle, ERROR_INVALID_NAME);
            return false;
        }
    }
    // Held until stored: if the list cannot grow, the holder still closes the handle.
    chain.handles.push_back(handle.get());
    handle.release();
    if (last) {
        chain.finalPath = std::move(finalPath);
        chain.info = info;
    }
    return true;
}

// A chain that failed part-way still names the directory it pinned last; the error stays the failure's.
bool failKeepingLastPinned(PinnedDirectoryChain& chain) {
    DWORD error = GetLastError();
    if (!chain.handles.empty()) chain.finalPath = finalPathOfHandle(chain.handles.back());
    SetLastError(error);
    return false;
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

HandleHolder openPlainDirectory(const std::wstring& systemPath) {
    HandleHolder handle(CreateFileW(systemPath.c_str(), kPinnedDirectoryAccess, kPinnedDirectoryShare, nullptr,
                                    OPEN_EXISTING, kPinnedDirectoryFlags, nullptr));
    if (!handle.valid()) return handle;
    FILE_ATTRIBUTE_TAG_INFO attributes{};
    if (!GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &attributes, sizeof(attributes)))
        closeKeepingError(handle, GetLastError());
    else if ((attributes.FileAttributes & kDirectoryOrReparseMask) != FILE_ATTRIBUTE_DIRECTORY)
        closeKeepingError(handle, kErrorReparseTagInvalid);
    return handle;
}

bool openPinnedDirectory(PinnedDirectoryChain& chain, const std::wstring& path) {
    return pinDirectory(chain, path, true, ChainEnd::Identity);
}

bool openDirectoryChain(PinnedDirectoryChain& chain, const std::wstring& folder) {
    return openDirectoryChain(chain, folder, ChainEnd::Identity);
}

bool openDirectoryChain(PinnedDirectoryChain& chain, const std::wstring& folder, ChainEnd end) {
    std::wstring normal;
    if (!normalizePath(folder, normal)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    std::wstring current = normal.substr(0, 3);
    if (!pinDirectory(chain, current, normal.size() < 4, end)) return false;
    if (normal.size() < 4) return true;
    std::size_t begin = 3;
    while (begin < normal.size()) {
        std::size_t stop = normal.find(L'\\', begin);
        if (stop == std::wstring::npos) stop = normal.size();
        if (current.back() != L'\\') current += L'\\';
        current.append(normal, begin, stop - begin);
        if (!pinDirectory(chain, current, stop == normal.size(), end)) return failKeepingLastPinned(chain);
        begin = stop + 1;
    }
    return true;
}

ChainBelow::ChainBelow(std::wstring base, std::wstring baseFinalPath)
    : base_(std::move(base)), baseFinalPath_(std::move(baseFinalPath)) {}

ChainBelow::~ChainBelow() { releaseFrom(0); }

void ChainBelow::releaseFrom(std::size_t keep) {
    while (levels_.size() > keep) levels_.pop_back();  // the deepest first
}

bool ChainBelow::reach(const std::wstring& folder) {
    finalPath_.clear();
    if (!sameNormalPath(folder, base_) && !isNormalPathInside(folder, base_)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    // The way is split into its components below the base once, and each is compared with the held level at
    // its depth exactly (ordinal, case included): the levels the two ways share are kept, the rest released
    // from the deepest, and what is missing is pinned. A name that differs from a held one only in case may be
    // another folder (a folder with per-directory case sensitivity, or one made from a Linux side, holds "Sub"
    // and "sub" side by side), so it costs one more open rather than leave its folder unpinned. Every new level
    // is opened by the text of the level above it (the held folder's own text at the top) and its component,
    // so the way passes through the held directories themselves.
    std::size_t depth = 0;
    for (std::size_t begin = base_.size() > 3 ? base_.size() + 1 : base_.size(); begin < folder.size(); ++depth) {
        std::size_t end = folder.find(L'\\', begin);
        if (end == std::wstring::npos) end = folder.size();
        const std::wstring_view name(folder.data() + begin, end - begin);
        begin = end + 1;
        if (depth < levels_.size()) {
            if (levels_[depth].name == name) continue;
            releaseFrom(depth);
        }
        Level level{std::wstring(name), joinPath(depth == 0 ? base_ : levels_.back().path, std::wstring(name)), {}, {}};
        level.handle = openPlainDirectory(toLongPath(level.path));
        if (!level.handle.valid()) return false;
        levels_.push_back(std::move(level));
    }
    releaseFrom(depth);
    if (levels_.empty()) {
        finalPath_ = baseFinalPath_;
        return true;
    }
    Level& last = levels_.back();
    if (last.finalPath.empty()) last.finalPath = finalPathOfHandle(last.handle.get());
    if (last.finalPath.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    finalPath_ = last.finalPath;
    return true;
}

}  // namespace pm
