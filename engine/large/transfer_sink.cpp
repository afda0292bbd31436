// The advise sink of the move: never asks the user anything, and turns the user's Cancel into the copy
// engine's cancellation code at the next progress or state callback.
#include "engine/large/recycle_internal.h"

#include <sherrors.h>

namespace pm::large {

namespace {

constexpr HRESULT kNeverOverwrite = HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);  // 0x800700B7

class TransferSink final : public ITransferAdviseSink {
public:
    explicit TransferSink(const std::atomic<bool>* cancel) : cancelFlag_(cancel) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_ITransferAdviseSink)) return E_NOINTERFACE;
        *ppv = static_cast<ITransferAdviseSink*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refCount_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG count = --refCount_;
        if (count == 0) delete this;
        return count;
    }

    HRESULT STDMETHODCALLTYPE UpdateProgress(ULONGLONG, ULONGLONG, int, int, int, int) override {
        return cancelled() ? COPYENGINE_E_USER_CANCELLED : S_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateTransferState(TRANSFER_ADVISE_STATE) override {
        return cancelled() ? COPYENGINE_E_USER_CANCELLED : S_OK;
    }
    HRESULT STDMETHODCALLTYPE ConfirmOverwrite(IShellItem*, IShellItem*, LPCWSTR) override { return kNeverOverwrite; }
    HRESULT STDMETHODCALLTYPE ConfirmEncryptionLoss(IShellItem*) override { return E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE FileFailure(IShellItem*, LPCWSTR, HRESULT hrError, LPWSTR, ULONG) override {
        return failureAnswer(hrError);
    }
    HRESULT STDMETHODCALLTYPE SubStreamFailure(IShellItem*, LPCWSTR, HRESULT hrError) override {
        return failureAnswer(hrError);
    }
    HRESULT STDMETHODCALLTYPE PropertyFailure(IShellItem*, const PROPERTYKEY*, HRESULT hrError) override {
        return failureAnswer(hrError);
    }

private:
    // Destroyed only through the reference count.
    ~TransferSink() = default;

    bool cancelled() const { return cancelFlag_->load(); }
    // The failure is never skipped or retried: it stops the item with its own code (or E_FAIL).
    HRESULT failureAnswer(HRESULT hrError) const {
        if (cancelled()) return COPYENGINE_E_USER_CANCELLED;
        return FAILED(hrError) ? hrError : E_FAIL;
    }

    std::atomic<ULONG> refCount_{1};
    const std::atomic<bool>* cancelFlag_;  // not owned
};

}  // namespace

ITransferAdviseSink* newTransferSink(const std::atomic<bool>* cancel) { return new TransferSink(cancel); }

}  // namespace pm::large
