// Owners of kernel handles and find handles. A null handle and INVALID_HANDLE_VALUE both mean none.
#pragma once

#include <windows.h>

#include <utility>

namespace pm {

inline bool isRealHandle(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

struct HandleHolder {
    HANDLE handle = INVALID_HANDLE_VALUE;

    HandleHolder() = default;
    explicit HandleHolder(HANDLE owned) : handle(owned) {}
    ~HandleHolder();
    HandleHolder(const HandleHolder&) = delete;
    HandleHolder& operator=(const HandleHolder&) = delete;
    HandleHolder(HandleHolder&& other) noexcept : handle(other.release()) {}
    HandleHolder& operator=(HandleHolder&& other) noexcept;

    HANDLE get() const { return handle; }
    bool valid() const { return isRealHandle(handle); }
    // Hands the handle on to another owner; the holder then closes nothing.
    HANDLE release() { return std::exchange(handle, INVALID_HANDLE_VALUE); }
};

// Closes a real handle and leaves the holder at INVALID_HANDLE_VALUE, so closing twice is harmless.
inline void closeHandleHolder(HandleHolder& holder) {
    if (holder.valid()) CloseHandle(holder.handle);
    holder.handle = INVALID_HANDLE_VALUE;
}

inline HandleHolder::~HandleHolder() { closeHandleHolder(*this); }

inline HandleHolder& HandleHolder::operator=(HandleHolder&& other) noexcept {
    if (this != &other) {
        closeHandleHolder(*this);
        handle = other.release();
    }
    return *this;
}

// Owner of a FindFirstFileExW handle (closed with FindClose, not CloseHandle).
struct FindHolder {
    HANDLE handle = INVALID_HANDLE_VALUE;

    FindHolder() = default;
    explicit FindHolder(HANDLE owned) : handle(owned) {}
    ~FindHolder() { close(); }
    FindHolder(const FindHolder&) = delete;
    FindHolder& operator=(const FindHolder&) = delete;

    bool valid() const { return isRealHandle(handle); }
    void close() {
        if (valid()) FindClose(handle);
        handle = INVALID_HANDLE_VALUE;
    }
};

}  // namespace pm
