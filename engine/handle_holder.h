// Owners of kernel handles and find handles. A null handle and INVALID_HANDLE_VALUE both mean none.
#pragma once

#include <windows.h>

#include <utility>

namespace pm {

inline bool isRealHandle(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

// One owned handle, closed by Close::close when it is real. Left at INVALID_HANDLE_VALUE after closing or
// handing on, so closing twice is harmless.
template <typename Close>
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE owned) : handle_(owned) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    HANDLE get() const { return handle_; }
    bool valid() const { return isRealHandle(handle_); }
    // Hands the handle on to another owner; the holder then closes nothing.
    HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
    // Closes the handle held so far and takes the new one.
    void reset(HANDLE owned = INVALID_HANDLE_VALUE) {
        HANDLE old = std::exchange(handle_, owned);
        if (isRealHandle(old) && old != owned) Close::close(old);
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

struct CloseKernelHandle {
    static void close(HANDLE handle) { CloseHandle(handle); }
};

struct CloseFindHandle {
    static void close(HANDLE handle) { FindClose(handle); }
};

// A kernel handle (CloseHandle).
struct HandleHolder : OwnedHandle<CloseKernelHandle> {
    using OwnedHandle::OwnedHandle;
};

// A FindFirstFileExW handle (FindClose, not CloseHandle).
struct FindHolder : OwnedHandle<CloseFindHandle> {
    using OwnedHandle::OwnedHandle;
};

// Closes a real handle and leaves the holder at INVALID_HANDLE_VALUE, so closing twice is harmless.
inline void closeHandleHolder(HandleHolder& holder) { holder.reset(); }

// Closes the handle, then sets the error the caller is about to report (CloseHandle may overwrite it).
inline void closeKeepingError(HandleHolder& holder, DWORD error) {
    holder.reset();
    SetLastError(error);
}

}  // namespace pm
