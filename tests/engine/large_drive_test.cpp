// The large-file tool on drives of other types: R: (removable) and N: (network), which the test runner
// defines in the private prefix (wine-prefix.sh).
#include "engine/large/large_search.h"
#include "engine/large/recycle.h"
#include "engine/large/strict_paths.h"

#include "tests/support/test_files.h"

#include <gtest/gtest.h>

namespace pm::large {
namespace {

using test::TempFolder;

#define PM_REQUIRE_DRIVE(root, type)                                                                   \
    do {                                                                                               \
        if (!::pm::test::inPrivateTestPrefix() || GetDriveTypeW(root) != (type))                      \
            GTEST_SKIP() << "drive fixture " << #root << " is defined only in the runner's private prefix"; \
    } while (0)

TEST(LargeDrives, LocalDiskTest) {
    PM_REQUIRE_DRIVE(L"R:\\", DRIVE_REMOVABLE);
    PM_REQUIRE_DRIVE(L"N:\\", DRIVE_REMOTE);
    EXPECT_TRUE(isLocalDiskPath(L"R:\\any\\file", false));
    EXPECT_FALSE(isLocalDiskPath(L"R:\\any\\file", true));
    EXPECT_FALSE(isLocalDiskPath(L"N:\\any\\file", false));
    EXPECT_FALSE(isLocalDiskPath(L"N:\\any\\file", true));
}

TEST(LargeDrives, NetworkDriveIsRefused) {
    PM_REQUIRE_DRIVE(L"N:\\", DRIVE_REMOTE);
    TempFolder folder(L"N:");  // TempFolder adds the backslash
    test::writeFile(folder / L"big", std::string(100, 'x'));
    std::atomic<bool> cancel{false};
    LargeSearchResult r = searchLargeFiles({folder.path(), 1, 10}, cancel, {});
    EXPECT_EQ(r.errorCode, 50u);
    EXPECT_EQ(r.message, kLocalDriveOnlyMessage);
    EXPECT_TRUE(r.files.empty());
}

TEST(LargeDrives, RemovableDriveIsSearchedButNotRecycled) {
    PM_REQUIRE_DRIVE(L"R:\\", DRIVE_REMOVABLE);
    TempFolder folder(L"R:");
    test::writeFile(folder / L"big", std::string(100, 'x'));
    std::atomic<bool> cancel{false};
    LargeSearchResult r = searchLargeFiles({folder.path(), 1, 10}, cancel, {});
    ASSERT_EQ(r.files.size(), 1u);
    EXPECT_EQ(r.errors, 0u);
    RecycleResult moved = recycleLargeFiles(r, {0}, cancel, {});
    ASSERT_EQ(moved.outcomes.size(), 1u);
    EXPECT_EQ(moved.outcomes[0].status, RecycleStatus::NotSupported);
    EXPECT_EQ(moved.outcomes[0].error, 50u);
    EXPECT_EQ(GetFileAttributesW((folder / L"big").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

}  // namespace
}  // namespace pm::large
