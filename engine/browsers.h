// The running browsers whose caches the clean-up must not touch, and the request that they close.
#pragma once

#include <string>
#include <vector>

namespace pm {

// Shown in place of the names when the process list cannot be read; callers treat it as a running browser.
inline constexpr wchar_t kBrowserStatusUnavailable[] = L"Browser status unavailable";

// The distinct display names of the running browsers of this user and session, in first-seen order; empty when
// none runs; the single pseudo-name kBrowserStatusUnavailable when the process list cannot be read.
std::vector<std::wstring> runningBrowserNames();

// Posts WM_CLOSE to the visible unowned top-level windows of the running browsers. False when the process
// list cannot be read; true when no browser runs; otherwise true exactly when at least one close was posted.
// Does not wait for the browsers.
bool requestBrowserClose();

}  // namespace pm
