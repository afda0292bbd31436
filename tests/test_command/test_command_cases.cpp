// Cases built to fail, to skip, to print before failing, and to count how many run at once.
// tools/check_test_command.sh runs them through ./test.sh to see that its exit status and closing line tell
// the truth and that it keeps to PELMIRT_JOBS; CTest lists them only when that check asks for them
// (tests/CMakeLists.txt), so the suite never runs them.
#include "engine/handle_holder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>

TEST(TestCommandCheck, Fails) { FAIL() << "built to fail"; }

TEST(TestCommandCheck, Skips) { GTEST_SKIP() << "built to skip"; }

// The check counts this line: a case that printed is run once, so it shows once.
TEST(TestCommandCheck, PrintsThenFails) {
    std::puts("test-command check: printed before failing");
    std::fflush(stdout);
    FAIL() << "built to fail after printing";
}

// Run by several cases at once: counts the copies running, in a counter every process of the prefix shares
// (the mapping lives while one of them holds it), and prints the most it saw, which the check compares with
// PELMIRT_JOBS. Each copy waits for a second one, then keeps its place 2 s more, so that copies started
// beside them show in the count. The wait is bounded (a test command running one case at a time must end,
// and fail the check) but long, 60 s of the case's 120: two copies CTest starts together on a loaded machine
// can reach their first line seconds apart, and a count of one would fail the check.
TEST(TestCommandCheck, HoldsASlot) {
    const pm::HandleHolder mapping(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), L"PelmirtCheckSlots"));
    ASSERT_TRUE(mapping.valid());
    const std::unique_ptr<void, decltype(&UnmapViewOfFile)> view(
        MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONG)), UnmapViewOfFile);
    ASSERT_TRUE(view);
    auto* running = static_cast<volatile LONG*>(view.get());
    LONG most = InterlockedIncrement(running);
    const auto holdWhile = [&](auto more) {
        const ULONGLONG start = GetTickCount64();
        while (more(GetTickCount64() - start)) {
            Sleep(10);
            const LONG now = *running;
            most = std::max(most, now);
        }
    };
    holdWhile([&](ULONGLONG elapsed) { return most < 2 && elapsed < 60000; });
    holdWhile([](ULONGLONG elapsed) { return elapsed < 2000; });
    InterlockedDecrement(running);
    std::printf("test-command check: %ld cases at once\n", static_cast<long>(most));
}
