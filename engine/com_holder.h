// Owners of COM state: one interface pointer, and one thread's membership of an apartment. Each is given
// back once, on every path, also when an exception passes through.
#pragma once

#include <objbase.h>
#include <unknwn.h>

#include <utility>

namespace pm {

template <typename Interface>
class ComHolder {
public:
    ComHolder() = default;
    ~ComHolder() { releaseComPtr(); }
    ComHolder(const ComHolder&) = delete;
    ComHolder& operator=(const ComHolder&) = delete;

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // Where a creating call writes the pointer; whatever was held before is released first.
    Interface** put() {
        releaseComPtr();
        return &pointer_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void releaseComPtr() {
        if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
    }

private:
    Interface* pointer_ = nullptr;
};

// Joins the calling thread to a single-threaded apartment for the holder's life; CoUninitialize runs only
// when the join succeeded (also when the thread already was in that apartment, which COM counts).
class ComApartment {
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    HRESULT result() const { return result_; }
    // COM can be used on this thread: joined now, or already in a multithreaded apartment.
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

}  // namespace pm
