#include "engine/large/recycle.h"

#include "engine/com_holder.h"
#include "engine/file_info.h"
#include "engine/handle_holder.h"
#include "engine/large/checked_chain.h"
#include "engine/large/large_search_internal.h"
#include "engine/large/recycle_internal.h"
#include "engine/large/strict_paths.h"

#include <knownfolders.h>
#include <objbase.h>
#include <sherrors.h>
#include <shlobj.h>

#include <limits>
#include <set>

namespace pm::large {

namespace {

constexpr DWORD kExclusiveAccess = DELETE | FILE_READ_ATTRIBUTES;  // 0x10080
constexpr DWORD kArrivalRefusedAttributes =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT;  // 0x450
constexpr HRESULT kCancelledByWin32 = HRESULT_FROM_WIN32(ERROR_CANCELLED);      // 0x800704C7
constexpr HRESULT kNotSupportedByWin32 = HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);  // 0x80070032

struct Verdict {
    RecycleStatus status = RecycleStatus::Recycled;
    std::uint32_t error = 0;
    std::wstring movedInstead;
};

Verdict verdict(RecycleStatus status, DWORD error) { return {status, error, {}}; }
Verdict verdictHr(RecycleStatus status, HRESULT hr) { return {status, static_cast<std::uint32_t>(hr), {}}; }

const Verdict kCancelledVerdict{RecycleStatus::Cancelled, ERROR_CANCELLED, {}};
const Verdict kChangedVerdict{RecycleStatus::Skipped, ERROR_FILE_INVALID, {}};

// What the run set up once: the apartment, the Recycle Bin item and the re-pinned searched folder. At most
// one of the two setup failures is set; the per-file steps report it for every file.
struct RecycleSetup {
    bool comFailed = false;
    HRESULT comError = S_OK;
    bool rootFailed = false;
    DWORD rootError = 0;
    ComHolder<IShellItem> binItem;
    PinnedDirectoryChain rootChain;
};

void setUp(RecycleSetup& setup, HRESULT hrInit, const LargeSearchResult& search, const std::atomic<bool>& cancel) {
    if (FAILED(hrInit)) {
        setup.comFailed = true;
        setup.comError = hrInit;
        return;
    }
    HRESULT hr = SHGetKnownFolderItem(FOLDERID_RecycleBinFolder, KF_FLAG_DEFAULT, nullptr, IID_IShellItem,
                                      setup.binItem.putVoid());
    if (FAILED(hr) || !setup.binItem) {
        setup.comFailed = true;
        setup.comError = FAILED(hr) ? hr : E_UNEXPECTED;
        return;
    }
    if (!openDirectoryChainChecked(setup.rootChain, search.rootPath, cancel)) {
        setup.rootFailed = true;
        setup.rootError = GetLastError();
        return;
    }
    // The searched folder must be the very folder that was searched, not one recreated under its name.
    const BY_HANDLE_FILE_INFORMATION& info = setup.rootChain.info;
    if (!samePathStrict(setup.rootChain.finalPath, search.rootPath) || fileIndexOf(info) != search.rootFileIndex ||
        info.dwVolumeSerialNumber != search.rootVolumeSerial) {
        setup.rootFailed = true;
        setup.rootError = ERROR_FILE_INVALID;
    }
}

// Unadvises the transfer source when the file is left by any path after a successful Advise.
class AdviseCookie {
public:
    AdviseCookie(ITransferSource* source, DWORD cookie) : source_(source), cookie_(cookie) {}
    ~AdviseCookie() { source_->Unadvise(cookie_); }
    AdviseCookie(const AdviseCookie&) = delete;
    AdviseCookie& operator=(const AdviseCookie&) = delete;

private:
    ITransferSource* source_;
    DWORD cookie_;
};

// The exclusive open before the move: nobody else may hold the file, and it must still be the listed file.
Verdict exclusiveOpenError(DWORD error) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return verdict(RecycleStatus::Locked, error);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return verdict(RecycleStatus::Skipped, error);
    return verdict(RecycleStatus::Failed, error);
}

bool stillTheListedFile(HANDLE file, const BY_HANDLE_FILE_INFORMATION& info, const LargeFileEntry& listed) {
    if ((info.dwFileAttributes & kCandidateExcludedAttributes) != 0 || info.nNumberOfLinks != 1) return false;
    return sameFile(listed, largeFileEntryFromHandle(file, info));
}

Verdict shellItemFailure(HRESULT hr) {
    if (hr == E_NOINTERFACE) return verdictHr(RecycleStatus::NotSupported, hr);
    return verdictHr(RecycleStatus::Failed, FAILED(hr) ? hr : E_UNEXPECTED);
}

Verdict recycleItemFailure(HRESULT hr) {
    if (hr == COPYENGINE_E_USER_CANCELLED || hr == kCancelledByWin32 || hr == E_ABORT)
        return verdictHr(RecycleStatus::Cancelled, hr);
    if (hr == E_NOTIMPL || hr == E_NOINTERFACE || hr == kNotSupportedByWin32)
        return verdictHr(RecycleStatus::NotSupported, hr);
    return verdictHr(RecycleStatus::Failed, hr == S_OK ? E_UNEXPECTED : hr);
}

// After the move: the item that arrived must be the same file, in a folder below the drive's "$Recycle.Bin".
Verdict verifyArrival(IShellItem* newItem, const LargeFileEntry& listed) {
    wchar_t* name = nullptr;
    HRESULT hr = newItem->GetDisplayName(SIGDN_FILESYSPATH, &name);
    std::wstring newPath;
    bool normal = false;
    if (SUCCEEDED(hr) && name != nullptr) normal = normalizePathStrict(name, newPath);
    CoTaskMemFree(name);
    if (!normal) return verdictHr(RecycleStatus::Failed, FAILED(hr) ? hr : E_UNEXPECTED);

    std::wstring binFolder = newPath.substr(0, 3) + L"$Recycle.Bin";
    std::size_t lastSlash = newPath.rfind(L'\\');
    if (!isPathInsideStrict(newPath, binFolder) || lastSlash <= binFolder.size())
        return verdict(RecycleStatus::Failed, ERROR_INVALID_NAME);

    // Runs to its end whatever the user does meanwhile: the move has already happened.
    std::atomic<bool> neverCancelled{false};
    PinnedDirectoryChain arrivalChain;
    if (!openDirectoryChainChecked(arrivalChain, newPath.substr(0, lastSlash), neverCancelled))
        return verdict(RecycleStatus::Failed, GetLastError());
    HandleHolder arrived(CreateFileW(longPathStrict(newPath).c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!arrived.valid()) return verdict(RecycleStatus::Failed, GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(arrived.get(), &info)) return verdict(RecycleStatus::Failed, GetLastError());
    LargeFileEntry entry = largeFileEntryFromHandle(arrived.get(), info);
    if ((info.dwFileAttributes & kArrivalRefusedAttributes) != 0 || info.nNumberOfLinks != 1 ||
        GetFileType(arrived.get()) != FILE_TYPE_DISK || !samePathStrict(entry.path, newPath) ||
        !sameFileIdentity(entry, listed)) {
        Verdict changed = verdict(RecycleStatus::Failed, ERROR_FILE_INVALID);
        // The exclusive handle was closed for the Shell; a program that saves by writing a new file and
        // renaming it over the old one in that instant has had its new file moved instead of the listed one.
        if (!sameFileIdentity(entry, listed)) changed.movedInstead = listed.path;
        return changed;
    }
    return {};
}

// Moves one listed file after checking it again: still inside the searched folder on its volume, on a local
// disk, not protected, its parent chain pinned, held exclusively and unchanged; then checks where it arrived.
// Everything it opens is released on every path, in the reverse order of opening: the new item, the advise,
// the source, the two shell items, the exclusive handle, the parent chain.
Verdict recycleOne(const LargeSearchResult& search, const LargeFileEntry& e, const RecycleSetup& setup,
                   std::atomic<bool>& cancel, const TransferSourceBinder& bindTransferSource) {
    if (cancel.load()) return kCancelledVerdict;
    if (setup.comFailed) return verdictHr(RecycleStatus::Failed, setup.comError);
    if (setup.rootFailed) return verdict(RecycleStatus::Skipped, setup.rootError);
    if (cancel.load()) return kCancelledVerdict;
    if (!isPathInsideStrict(e.path, search.rootPath) || e.volumeSerial != search.rootVolumeSerial)
        return verdict(RecycleStatus::Skipped, ERROR_INVALID_NAME);
    if (hasProtectedComponent(e.path) || !isLocalDiskPath(e.path, true))
        return verdict(RecycleStatus::NotSupported, ERROR_NOT_SUPPORTED);
    std::size_t lastSlash = e.path.rfind(L'\\');
    if (lastSlash == std::wstring::npos) return verdict(RecycleStatus::Skipped, ERROR_INVALID_NAME);
    std::wstring parent = e.path.substr(0, lastSlash == 2 ? 3 : lastSlash);

    PinnedDirectoryChain parentChain;
    if (!openDirectoryChainChecked(parentChain, parent, cancel)) {
        DWORD error = GetLastError();
        return verdict(cancel.load() ? RecycleStatus::Cancelled : RecycleStatus::Skipped, error);
    }
    if (!samePathStrict(parentChain.finalPath, search.rootPath) &&
        !isPathInsideStrict(parentChain.finalPath, search.rootPath))
        return verdict(RecycleStatus::Skipped, ERROR_INVALID_NAME);

    HandleHolder exclusive(CreateFileW(longPathStrict(e.path).c_str(), kExclusiveAccess, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!exclusive.valid()) return exclusiveOpenError(GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(exclusive.get(), &info)) return verdict(RecycleStatus::Failed, GetLastError());
    if (!stillTheListedFile(exclusive.get(), info, e)) return kChangedVerdict;

    ComHolder<IShellItem> fileItem;
    HRESULT hr = SHCreateItemFromParsingName(e.path.c_str(), nullptr, IID_IShellItem, fileItem.putVoid());
    if (FAILED(hr) || !fileItem) return shellItemFailure(hr);
    ComHolder<IShellItem> parentItem;
    hr = SHCreateItemFromParsingName(parent.c_str(), nullptr, IID_IShellItem, parentItem.putVoid());
    if (FAILED(hr) || !parentItem) return shellItemFailure(hr);
    ComHolder<ITransferSource> source;
    hr = bindTransferSource(parentItem.get(), source.put());
    if (FAILED(hr) || !source) return shellItemFailure(hr);

    // The creating reference is dropped right after Advise: a sink the source did not keep is freed at once.
    ITransferAdviseSink* sink = newTransferSink(&cancel);
    DWORD cookie = 0;
    HRESULT hrAdvise = source->Advise(sink, &cookie);
    sink->Release();
    if (FAILED(hrAdvise)) return verdictHr(RecycleStatus::Failed, hrAdvise);
    AdviseCookie advised(source.get(), cookie);
    if (cancel.load()) return kCancelledVerdict;

    if (!GetFileInformationByHandle(exclusive.get(), &info) || !stillTheListedFile(exclusive.get(), info, e))
        return kChangedVerdict;
    CloseHandle(exclusive.release());  // the Shell must be able to move the file
    if (cancel.load()) return kCancelledVerdict;

    ComHolder<IShellItem> newItem;
    hr = source->RecycleItem(fileItem.get(), setup.binItem.get(), 0, newItem.put());
    if (hr != S_OK || !newItem) return recycleItemFailure(hr);
    Verdict arrival = verifyArrival(newItem.get(), e);
    if (arrival.status != RecycleStatus::Recycled) return arrival;
    SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW, e.path.c_str(), nullptr);
    return {};
}

void tally(RecycleResult& result, const Verdict& v, std::uint64_t size) {
    switch (v.status) {
        case RecycleStatus::Recycled:
            ++result.recycled;
            result.bytesRecycled = size > std::numeric_limits<std::uint64_t>::max() - result.bytesRecycled
                                       ? std::numeric_limits<std::uint64_t>::max()
                                       : result.bytesRecycled + size;
            break;
        case RecycleStatus::Skipped:
        case RecycleStatus::Locked:
        case RecycleStatus::NotSupported:
            ++result.skipped;
            break;
        case RecycleStatus::Failed:
            ++result.failed;
            break;
        case RecycleStatus::Cancelled:
            result.cancelled = true;
            break;
    }
}

void notifyRecycleBinChanged(IShellItem* binItem) {
    PIDLIST_ABSOLUTE list = nullptr;
    if (SUCCEEDED(SHGetIDListFromObject(binItem, &list)) && list != nullptr) {
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, list, nullptr);
        CoTaskMemFree(list);
    }
}

}  // namespace

std::vector<std::uint64_t> uniqueIndicesBelow(const std::vector<std::uint64_t>& indices, std::uint64_t limit) {
    std::vector<std::uint64_t> kept;
    std::set<std::uint64_t> seen;
    for (std::uint64_t index : indices)
        if (index < limit && seen.insert(index).second) kept.push_back(index);
    return kept;
}

HRESULT bindShellTransferSource(IShellItem* parentItem, ITransferSource** source) {
    return parentItem->BindToHandler(nullptr, BHID_Transfer, IID_ITransferSource, reinterpret_cast<void**>(source));
}

RecycleResult recycleLargeFilesWith(const LargeSearchResult& search, const std::vector<std::uint64_t>& indices,
                                    std::atomic<bool>& cancel, const ProgressCallback& progress,
                                    const TransferSourceBinder& bindTransferSource) {
    RecycleResult result;
    const std::uint64_t n = search.files.size();
    std::vector<std::uint64_t> selected = uniqueIndicesBelow(indices, n);
    std::set<std::uint64_t> outOfRange;
    for (std::uint64_t index : indices) {
        if (index < n || !outOfRange.insert(index).second) continue;
        result.outcomes.push_back({index, RecycleStatus::Failed, ERROR_INVALID_PARAMETER, {}});
        ++result.failed;
    }
    if (selected.empty()) {
        result.cancelled = cancel.load();
        return result;
    }

    // Declared first, so that the Recycle Bin item and the root chain are released before COM is left, also
    // when a progress callback throws.
    ComApartment apartment;
    {
        RecycleSetup setup;
        setUp(setup, apartment.result(), search, cancel);
        const std::uint64_t m = selected.size();
        for (std::uint64_t i = 0; i < m; ++i) {
            const LargeFileEntry& e = search.files[static_cast<std::size_t>(selected[i])];
            if (progress) progress(e.path, i, m);
            Verdict v = recycleOne(search, e, setup, cancel, bindTransferSource);
            result.outcomes.push_back({selected[i], v.status, v.error, std::move(v.movedInstead)});
            tally(result, v, e.size);
            if (progress) progress(e.path, i + 1, m);
            if (v.status == RecycleStatus::Cancelled || cancel.load()) {
                result.cancelled = true;
                break;
            }
        }
        if (result.recycled > 0 && setup.binItem) notifyRecycleBinChanged(setup.binItem.get());
    }
    return result;
}

RecycleResult recycleLargeFiles(const LargeSearchResult& search, const std::vector<std::uint64_t>& indices,
                                std::atomic<bool>& cancel, const ProgressCallback& progress) {
    return recycleLargeFilesWith(search, indices, cancel, progress, bindShellTransferSource);
}

}  // namespace pm::large
