// A transfer source of the tests' own for the move to the Recycle Bin: the Shell's cannot be bound under
// Wine, so this one stands in for it through the engine's binder seam.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <atomic>
#include <string>

namespace pm::test {

// A transfer source of the test's own that really moves (or copies) the file into a folder of the drive's
// "$Recycle.Bin", calling the advise sink as the Shell's does, or answers with a chosen HRESULT.
// ReplaceThenMove: in the instant before the move a program saves over the file by "write new, rename over":
// the listed file goes to NAME~listed, a new file takes its name, and the new one is what gets moved.
enum class Behaviour { MoveBelowBin, MoveDirectlyIntoBin, CopyBelowBin, Answer, AnswerOkWithoutItem, CancelDuringMove, RefuseAdvise, CancelOnAdvise, ReplaceThenMove };

class TestTransferSource final : public ITransferSource {
public:
    Behaviour behaviour = Behaviour::MoveBelowBin;
    HRESULT answer = S_OK;
    std::wstring binFolder;              // a folder below "$Recycle.Bin"
    std::atomic<bool>* cancel = nullptr; // raised by CancelDuringMove and CancelOnAdvise, as the user's Cancel would be
    std::wstring linkOnAdvise;           // a file that gains a second name while the source is advised
    std::wstring arrivedPath;
    int advised = 0, unadvised = 0;
    bool linked = false;
    HRESULT sinkAnswer = S_OK;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_ITransferSource)) return E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }  // lives on the test's stack

    HRESULT STDMETHODCALLTYPE Advise(ITransferAdviseSink* s, DWORD* cookie) override {
        if (behaviour == Behaviour::RefuseAdvise) return E_OUTOFMEMORY;
        if (behaviour == Behaviour::CancelOnAdvise) *cancel = true;
        if (!linkOnAdvise.empty()) linked = CreateHardLinkW((linkOnAdvise + L"-2").c_str(), linkOnAdvise.c_str(), nullptr);
        sink = s;
        sink->AddRef();
        ++advised;
        *cookie = 42;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        if (cookie != 42 || sink == nullptr) return E_INVALIDARG;
        sink->Release();
        sink = nullptr;
        ++unadvised;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RecycleItem(IShellItem* item, IShellItem* bin, TRANSFER_SOURCE_FLAGS, IShellItem** out) override {
        *out = nullptr;
        if (bin == nullptr || sink == nullptr) return E_INVALIDARG;
        if (behaviour == Behaviour::Answer) return answer;
        if (behaviour == Behaviour::AnswerOkWithoutItem) return S_OK;
        if (behaviour == Behaviour::CancelDuringMove) *cancel = true;
        sinkAnswer = sink->UpdateTransferState(TS_PERFORMING);
        if (FAILED(sinkAnswer)) return sinkAnswer;
        wchar_t* from = nullptr;
        if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &from))) return E_FAIL;
        std::wstring source = from;
        CoTaskMemFree(from);
        std::wstring name = L"$R" + std::to_wstring(GetCurrentProcessId()) + L"-" + source.substr(source.rfind(L'\\') + 1);
        std::wstring folder = behaviour == Behaviour::MoveDirectlyIntoBin ? binFolder.substr(0, binFolder.rfind(L'\\')) : binFolder;
        arrivedPath = folder + L"\\" + name;
        if (behaviour == Behaviour::ReplaceThenMove && !saveOver(source)) return HRESULT_FROM_WIN32(GetLastError());
        BOOL ok = behaviour == Behaviour::CopyBelowBin ? CopyFileW(source.c_str(), arrivedPath.c_str(), TRUE)
                                                      : MoveFileW(source.c_str(), arrivedPath.c_str());
        if (!ok) return HRESULT_FROM_WIN32(GetLastError());
        sink->UpdateProgress(1, 1, 1, 1, 0, 0);
        return SHCreateItemFromParsingName(arrivedPath.c_str(), nullptr, IID_IShellItem, reinterpret_cast<void**>(out));
    }

    HRESULT STDMETHODCALLTYPE SetProperties(IPropertyChangeArray*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenItem(IShellItem*, TRANSFER_SOURCE_FLAGS, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MoveItem(IShellItem*, IShellItem*, LPCWSTR, TRANSFER_SOURCE_FLAGS, IShellItem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveItem(IShellItem*, TRANSFER_SOURCE_FLAGS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RenameItem(IShellItem*, LPCWSTR, TRANSFER_SOURCE_FLAGS, IShellItem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LinkItem(IShellItem*, IShellItem*, LPCWSTR, TRANSFER_SOURCE_FLAGS, IShellItem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ApplyPropertiesToItem(IShellItem*, IShellItem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDefaultDestinationName(IShellItem*, IShellItem*, LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnterFolder(IShellItem*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LeaveFolder(IShellItem*) override { return E_NOTIMPL; }

    std::atomic<ULONG> refs{1};

private:
    static bool saveOver(const std::wstring& path) {
        const std::wstring fresh = path + L"~new";
        HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        BOOL ok = WriteFile(file, "the document saved a moment later", 34, &written, nullptr);
        CloseHandle(file);
        return ok && MoveFileW(path.c_str(), (path + L"~listed").c_str()) && MoveFileW(fresh.c_str(), path.c_str());
    }

    ITransferAdviseSink* sink = nullptr;
};

}  // namespace pm::test
