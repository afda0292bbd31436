// Owner of one COM interface pointer: released once, when not null, on every path.
#pragma once

#include <unknwn.h>

#include <utility>

namespace pm::large {

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

}  // namespace pm::large
