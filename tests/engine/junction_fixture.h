// Junctions in tests, made by the engine's own createJunction.
#pragma once

#include "engine/self_test_fixtures.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace pm::test {

// 0 when `link` became a junction to `target`, else the error with which the platform refused (Wine 8: 50).
inline DWORD junctionRefusal(const std::wstring& link, const std::wstring& target) {
    return createJunction(link, target) ? 0 : GetLastError();
}

}  // namespace pm::test

// Makes the junction or skips the test with the platform's refusal.
#define PM_MAKE_JUNCTION_OR_SKIP(link, target)                                                            \
    do {                                                                                                  \
        DWORD refused_ = ::pm::test::junctionRefusal((link), (target));                                   \
        if (refused_ != 0)                                                                                \
            GTEST_SKIP() << "the platform refuses to create a junction (FSCTL_SET_REPARSE_POINT: "        \
                         << refused_ << ")";                                                              \
    } while (0)
