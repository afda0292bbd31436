// The locked-file policy of deleteEntry, shared with its tests.
#pragma once

#include "engine/clean_types.h"

#include <atomic>
#include <cstdint>
#include <functional>

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

using OpenAttempt = std::function<std::uint32_t()>;
using CancellableWait = std::function<void(std::uint32_t milliseconds)>;

// Runs the open attempts under the locked-file policy: (retries << 32) | status.
std::uint64_t openWithRetry(bool skipLocked, std::atomic<bool>& cancel, const OpenAttempt& attempt,
                            const CancellableWait& wait);

inline std::uint32_t openStatus(std::uint64_t result) { return static_cast<std::uint32_t>(result & 0xFFFFFFFFu); }
inline std::uint32_t openRetries(std::uint64_t result) { return static_cast<std::uint32_t>(result >> 32); }

// Sleeps in steps of 10 ms until the time is up, returning at once when the cancel flag is seen set.
void cancellableWait(std::atomic<bool>& cancel, std::uint32_t milliseconds);

}  // namespace pm
