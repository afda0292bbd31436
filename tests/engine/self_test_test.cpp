#include "engine/delete_entry.h"
#include "engine/file_info.h"
#include "engine/path_rules.h"
#include "engine/scan.h"
#include "engine/self_test.h"
#include "engine/self_test_fixtures.h"

#include "tests/engine/scan_fixtures.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace pm {
namespace {

using test::kHour;
using test::TempFolder;

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::set<std::wstring> selfTestFolders() {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((test::tempPath() + L"\\PelmirtSelfTest-*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.insert(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

bool junctionsWork() {
    TempFolder temp;
    test::makeDirectories(temp / L"target");
    return createJunction(temp / L"probe", temp / L"target");
}

std::string contentOf(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<unreadable>";
    char buffer[256];
    DWORD read = 0;
    ReadFile(h, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(h);
    return std::string(buffer, read);
}

TEST(SelfTest, VerdictFollowsThePlatformAndNoFixtureRemains) {
    const std::set<std::wstring> before = selfTestFolders();
    const bool junctions = junctionsWork();
    std::wstring message = L"left over";
    const bool passed = runSelfTest(message);
    if (junctions) {
        EXPECT_TRUE(passed) << testing::PrintToString(message);
        EXPECT_EQ(message, L"");
    } else {
        EXPECT_FALSE(passed);
        EXPECT_EQ(message, L"Filesystem does not support junction test fixtures.");
    }
    EXPECT_EQ(selfTestFolders(), before);
}

TEST(SelfTest, FixtureFiles) {
    TempFolder temp;
    const std::uint64_t now = test::nowFileTime();
    ASSERT_TRUE(writeFixtureFile(temp / L"aged.tmp", true));
    ASSERT_TRUE(writeFixtureFile(temp / L"fresh.tmp", false));
    EXPECT_EQ(contentOf(temp / L"aged.tmp"), "Pelmirt isolated self-test fixture\n");
    const std::uint64_t aged = fileTimeValue(test::identityOf(temp / L"aged.tmp").ftLastWriteTime);
    const std::uint64_t fresh = fileTimeValue(test::identityOf(temp / L"fresh.tmp").ftLastWriteTime);
    EXPECT_NEAR(static_cast<double>(now - aged), 48.0 * kHour, 60.0 * 10'000'000);
    EXPECT_NEAR(static_cast<double>(fresh), static_cast<double>(now), 60.0 * 10'000'000);
    EXPECT_FALSE(writeFixtureFile(temp / L"missing\\x.tmp", false));
}

TEST(SelfTest, ARefusedJunctionLeavesNoFolderAndKeepsItsError) {
    TempFolder temp;
    test::makeDirectories(temp / L"target");
    const std::wstring tooLong = temp / (L"target\\" + std::wstring(4000, L'x'));
    EXPECT_FALSE(createJunction(temp / L"long", tooLong));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(exists(temp / L"long"));
    if (!createJunction(temp / L"link", temp / L"target")) {
        EXPECT_NE(GetLastError(), 0u);
        EXPECT_FALSE(exists(temp / L"link"));
    }
    EXPECT_FALSE(createJunction(temp / L"missing\\link", temp / L"target"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(SelfTest, RemoveFixtureTreeRemovesEveryFixtureAndIgnoresWhatIsMissing) {
    TempFolder temp;
    const std::wstring root = temp / L"PelmirtSelfTest-x";
    const FixtureCleanup cleanup{root + L"\\scan", root + L"\\outside", root + L"\\moved", root};
    // The tree as it stands in the middle of the replaced-root step (without a junction): scan moved away.
    test::makeDirectories(cleanup.moved + L"\\link");
    test::makeDirectories(cleanup.outside);
    for (const wchar_t* name : {L"\\old.tmp", L"\\fresh.tmp", L"\\hard.tmp"})
        ASSERT_TRUE(writeFixtureFile(cleanup.moved + name, true));
    ASSERT_TRUE(writeFixtureFile(cleanup.outside + L"\\old.tmp", true));
    ASSERT_TRUE(writeFixtureFile(cleanup.outside + L"\\alias.tmp", true));
    removeFixtureTree(cleanup);
    EXPECT_FALSE(exists(root));
    removeFixtureTree(cleanup);  // nothing left: nothing happens
}

// The self-test's checks after the junction step that need no junction, on a fixture of our own.
TEST(SelfTest, FixtureChecksThatNeedNoJunction) {
    TempFolder temp;
    const std::wstring scan = temp / L"scan", outside = temp / L"outside";
    const std::wstring old = scan + L"\\old.tmp", fresh = scan + L"\\fresh.tmp", outsideOld = outside + L"\\old.tmp";
    test::makeDirectories(scan);
    test::makeDirectories(outside);
    ASSERT_TRUE(writeFixtureFile(old, true));
    ASSERT_TRUE(writeFixtureFile(fresh, false));
    ASSERT_TRUE(writeFixtureFile(outsideOld, true));
    ASSERT_TRUE(CreateHardLinkW((scan + L"\\hard.tmp").c_str(), outsideOld.c_str(), nullptr));
    std::atomic<bool> cancel{false};
    ScanReport report = scanFolder(scan, cancel);
    ASSERT_EQ(report.entries.size(), 1u);
    EXPECT_TRUE(samePath(report.entries[0].path, old));
    EXPECT_EQ(report.skipped, 2u);  // too young, two links
    auto deleteFirst = [&](bool skipLocked) {
        CleanResult result;
        deleteEntry(report.entries[0], report.roots[0], true, cancel, result, CleanOptions{skipLocked});
        return result;
    };

    ASSERT_TRUE(writeFixtureFile(old, false));  // same size, new time
    EXPECT_EQ(deleteFirst(true).filesDeleted, 0u);
    EXPECT_TRUE(exists(old));

    ASSERT_TRUE(test::setLastWriteTime(old, test::nowFileTime() - 48 * kHour));
    report = scanFolder(scan, cancel);
    ASSERT_EQ(report.entries.size(), 1u);

    ASSERT_TRUE(CreateHardLinkW((outside + L"\\alias.tmp").c_str(), old.c_str(), nullptr));
    EXPECT_EQ(deleteFirst(true).filesDeleted, 0u);
    ASSERT_TRUE(DeleteFileW((outside + L"\\alias.tmp").c_str()));

    HANDLE holder = CreateFileW(old.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const CleanResult skipped = deleteFirst(true);
    const CleanResult retried = deleteFirst(false);
    CloseHandle(holder);
    EXPECT_EQ(skipped.lockedSkipped, 1u);
    EXPECT_EQ(skipped.filesDeleted + skipped.failed + skipped.lockRetries, 0u);
    EXPECT_EQ(retried.lockedFailed, 1u);
    EXPECT_EQ(retried.failed, 1u);
    EXPECT_EQ(retried.lockRetries, 2u);
    EXPECT_EQ(retried.filesDeleted + retried.skipped, 0u);
    EXPECT_TRUE(exists(old));

    cancel = true;
    const CleanResult cancelled = deleteFirst(true);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(cancelled.filesDeleted, 0u);
    cancel = false;

    const CleanResult deleted = deleteFirst(true);
    EXPECT_EQ(deleted.filesDeleted, 1u);
    EXPECT_EQ(deleted.bytesFreed, report.entries[0].size);
    EXPECT_FALSE(exists(old));
    EXPECT_TRUE(exists(fresh));
    EXPECT_TRUE(exists(outsideOld));
}

}  // namespace
}  // namespace pm
