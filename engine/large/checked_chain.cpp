#include "engine/large/checked_chain.h"

#include "engine/final_path.h"
#include "engine/handle_holder.h"
#include "engine/large/strict_paths.h"

namespace pm::large {

namespace {

constexpr DWORD kMaxFinalPath = 32767;

bool refuse(HandleHolder& holder, DWORD error) {
    closeKeepingError(holder, error);
    return false;
}

// One directory of a chain, opened by the requested path and checked to be a plain directory. The last one
// must also be found under exactly the requested path, and gives its identity when asked. Its final path
// names every directory above it as the file system knows it, so a directory on the way that was reached by
// another name (a short 8.3 name, say) makes it differ as well: the directories above need no final path of
// their own, and no volume query.
bool pinChecked(PinnedDirectoryChain& chain, const std::wstring& path, const std::atomic<bool>& cancel, bool last,
                ChainEnd end) {
    if (cancel.load()) {
        SetLastError(ERROR_CANCELLED);
        return false;
    }
    HandleHolder directory = openPlainDirectory(longPathStrict(path));
    if (!directory.valid()) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    std::wstring finalPath;
    if (last) {
        if (end == ChainEnd::Identity && !GetFileInformationByHandle(directory.get(), &info))
            return refuse(directory, GetLastError());
        finalPath = finalPathOfHandleStrict(directory.get());
        if (finalPath.empty() || !samePathStrict(finalPath, path)) return refuse(directory, ERROR_INVALID_NAME);
    }
    chain.handles.push_back(directory.get());
    directory.release();  // owned by the chain from here on
    if (last) {
        chain.finalPath = std::move(finalPath);
        chain.info = info;
    }
    return true;
}

}  // namespace

std::wstring finalPathOfHandleStrict(HANDLE handle) {
    std::wstring buffer = finalPathText(handle, kMaxFinalPath);
    if (buffer.empty()) return std::wstring();
    std::wstring normal;
    normalizePathStrict(buffer, normal);
    return normal;
}

bool openPinnedDirectoryChecked(PinnedDirectoryChain& chain, const std::wstring& path, const std::atomic<bool>& cancel) {
    return pinChecked(chain, path, cancel, true, ChainEnd::Identity);
}

bool openDirectoryChainChecked(PinnedDirectoryChain& chain, const std::wstring& folder, const std::atomic<bool>& cancel,
                               ChainEnd end) {
    std::wstring normal;
    if (!normalizePathStrict(folder, normal)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    std::wstring current = normal.substr(0, 3);
    if (!pinChecked(chain, current, cancel, normal.size() < 4, end)) return false;
    std::size_t begin = 3;
    while (begin < normal.size()) {
        std::size_t stop = normal.find(L'\\', begin);
        if (stop == std::wstring::npos) stop = normal.size();
        current = joinPath(current, normal.substr(begin, stop - begin));
        if (!pinChecked(chain, current, cancel, stop == normal.size(), end)) return false;
        begin = stop + 1;
    }
    return true;
}

}  // namespace pm::large
