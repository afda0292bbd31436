// Cases built to fail, to skip, and to print before failing. tools/check_test_command.sh runs them through
// ./test.sh to see that its exit status and closing line tell the truth; CTest lists them only when that
// check asks for them (tests/CMakeLists.txt), so the suite never runs them.
#include <gtest/gtest.h>

#include <cstdio>

TEST(TestCommandCheck, Fails) { FAIL() << "built to fail"; }

TEST(TestCommandCheck, Skips) { GTEST_SKIP() << "built to skip"; }

// The check counts this line: a case that printed is run once, so it shows once.
TEST(TestCommandCheck, PrintsThenFails) {
    std::puts("test-command check: printed before failing");
    std::fflush(stdout);
    FAIL() << "built to fail after printing";
}
