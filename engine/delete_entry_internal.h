// The locked-file policy of deleteEntry, shared with its tests.
#pragma once

#include "engine/clean_types.h"

#include <atomic>
#include <cstdint>

namespace pm {

// What one open attempt gives.
inline constexpr std::uint32_t kAttemptOpened = 0;
inline constexpr std::uint32_t kAttemptLocked = 1;  // sharing or lock violation (32, 33)
inline constexpr std::uint32_t kAttemptFailed = 2;  // any other error

// The status in the low half of openWithRetry's result.
inline constexpr std::uint32_t kOpenOpened = 0;
inline constexpr std::uint32_t kOpenLockedSkipped = 1;
inline constexpr std::uint32_t kOpenFailed = 2;
inline constexpr std::uint32_t kOpenCancelled = 3;

inline constexpr std::uint32_t kLockRetryWaitMs = 50;
inline constexpr std::uint32_t kMaxLockRetries = 2;

// Runs the open attempts under the locked-file policy: (retries << 32) | status. `attempt()` gives one of the
// kAttempt values; `wait(milliseconds)` waits between attempts. Both are called directly, without a
// function object built for them.
template <typename Attempt, typename Wait>
std::uint64_t openWithRetry(bool skipLocked, std::atomic<bool>& cancel, Attempt&& attempt, Wait&& wait) {
    auto encode = [](std::uint64_t retries, std::uint32_t status) { return (retries << 32) | status; };
    if (cancel.load()) return encode(0, kOpenCancelled);
    for (std::uint64_t retries = 0;;) {
        std::uint32_t status = attempt();
        // An opened handle stays with the attempt's holder, which closes it.
        if (cancel.load()) return encode(retries, kOpenCancelled);
        if (status == kAttemptOpened) return encode(retries, kOpenOpened);
        if (status != kAttemptLocked) return encode(retries, kOpenFailed);
        if (skipLocked) return encode(retries, kOpenLockedSkipped);
        if (retries == kMaxLockRetries) return encode(retries, kOpenFailed);
        wait(kLockRetryWaitMs);
        if (cancel.load()) return encode(retries, kOpenCancelled);  // the interrupted wait is not counted
        ++retries;
    }
}

inline std::uint32_t openStatus(std::uint64_t result) { return static_cast<std::uint32_t>(result & 0xFFFFFFFFu); }
inline std::uint32_t openRetries(std::uint64_t result) { return static_cast<std::uint32_t>(result >> 32); }

// Sleeps in steps of 10 ms until the time is up, returning at once when the cancel flag is seen set.
void cancellableWait(std::atomic<bool>& cancel, std::uint32_t milliseconds);

}  // namespace pm
