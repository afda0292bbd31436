#include "engine/large/checked_chain.h"

#include "engine/final_path.h"
#include "engine/handle_holder.h"
#include "engine/large/strict_paths.h"

namespace pm::large {

namespace {

constexpr DWORD kMaxFinalPath = 32767;
constexpr DWORD kPinAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;  // 0x81
constexpr DWORD kPinShare = FILE_SHARE_READ | FILE_SHARE_WRITE;          // never FILE_SHARE_DELETE
constexpr DWORD kPinFlags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
constexpr DWORD kDirectoryOrReparse = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

bool refuse(HandleHolder& holder, DWORD error) {
    closeKeepingError(holder, error);
    return false;
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
    if (cancel.load()) {
        SetLastError(ERROR_CANCELLED);
        return false;
    }
    HandleHolder directory(CreateFileW(longPathStrict(path).c_str(), kPinAccess, kPinShare, nullptr, OPEN_EXISTING,
                                       kPinFlags, nullptr));
    if (!directory.valid()) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(directory.get(), &info)) return refuse(directory, GetLastError());
    if ((info.dwFileAttributes & kDirectoryOrReparse) != FILE_ATTRIBUTE_DIRECTORY)
        return refuse(directory, kErrorReparseTagInvalid);
    // A directory reached by any other name than its final path (a short 8.3 name, say) is refused.
    std::wstring finalPath = finalPathOfHandleStrict(directory.get());
    if (finalPath.empty() || !samePathStrict(finalPath, path)) return refuse(directory, ERROR_INVALID_NAME);
    chain.handles.push_back(directory.get());
    directory.release();  // owned by the chain from here on
    chain.finalPath = std::move(finalPath);
    chain.info = info;
    return true;
}

bool openDirectoryChainChecked(PinnedDirectoryChain& chain, const std::wstring& folder, const std::atomic<bool>& cancel) {
    std::wstring normal;
    if (!normalizePathStrict(folder, normal)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    std::wstring current = normal.substr(0, 3);
    if (!openPinnedDirectoryChecked(chain, current, cancel)) return false;
    std::size_t begin = 3;
    while (begin < normal.size()) {
        std::size_t end = normal.find(L'\\', begin);
        if (end == std::wstring::npos) end = normal.size();
        current = joinPath(current, normal.substr(begin, end - begin));
        if (!openPinnedDirectoryChecked(chain, current, cancel)) return false;
        begin = end + 1;
    }
    return true;
}

}  // namespace pm::large
