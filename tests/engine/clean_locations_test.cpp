#include "engine/path_rules.h"
#include "engine/scan.h"
#include "engine/scan_internal.h"

#include "tests/engine/location_fixtures.h"
#include "tests/engine/scan_fixtures.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

namespace pm {
namespace {

using test::BrowserLayout;
using test::countEntries;
using test::kHour;
using test::TempFolder;

TEST(BrowserProfileName, AcceptsDefaultGuestAndNumberedProfiles) {
    struct Case {
        std::wstring name;
        bool accepted;
    } cases[] = {
        {L"Default", true},       {L"default", true},       {L"DEFAULT", true},
        {L"Guest Profile", true}, {L"guest profile", true}, {L"Profile 7", true},
        {L"profile 12", true},    {L"PROFILE 0", true},     {L"Profile 0123456789", true},
        {L"Profile 7a", false},   {L"Profile", false},      {L"Profile ", false},
        {L"Profile  7", false},   {L"Profile -1", false},   {L"Profile 7 ", false},
        {L"Profile\t7", false},   {L"Profile_7", false},    {L" Profile 7", false},
        {L"Default ", false},     {L"Defaults", false},     {L"Guest", false},
        {L"System Profile", false}, {L"Profile \uff17", false},  // a full-width digit is not ASCII
        {L"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isBrowserProfileName(c.name), c.accepted) << testing::PrintToString(c.name);
}

TEST(ListSubdirectories, PlainSubdirectoriesOnly) {
    TempFolder temp;
    test::makeDirectories(temp / L"alpha");
    test::makeDirectories(temp / L"Beta Two");
    test::makeDirectories(temp / L"alpha\\nested");
    test::writeFile(temp / L"file.txt", "x");
    std::vector<std::wstring> names = listSubdirectories(temp.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Beta Two", L"alpha"}));
    EXPECT_TRUE(listSubdirectories(temp / L"missing").empty());
    EXPECT_TRUE(listSubdirectories(temp / L"file.txt").empty());
    EXPECT_TRUE(listSubdirectories(temp / L"..\\x").empty());
}

TEST(ListSubdirectories, LeavesOutLinks) {
    std::wstring links = test::linkFixturesPath();
    if (links.empty()) GTEST_SKIP() << "link fixtures are laid out only by the test runner in the private prefix";
    std::vector<std::wstring> names = listSubdirectories(links);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"moved", L"outside", L"scanned"}));  // not "alias"
    EXPECT_EQ(listSubdirectories(links + L"\\scanned"), (std::vector<std::wstring>{L"inner"}));  // no links
}

bool hasLocation(const std::vector<CleanLocation>& locations, const std::wstring& path) {
    return std::any_of(locations.begin(), locations.end(),
                       [&](const CleanLocation& l) { return l.path == path; });
}

TEST(CleanLocations, BrowserProfilesWhereTheBrowsersKeepThem) {
    PM_REQUIRE_TEST_PREFIX();
    BrowserLayout layout;
    const std::wstring accepted[] = {L"Default", L"Guest Profile", L"Profile 7", L"profile 12"};
    const std::wstring refused[] = {L"Profile 7a", L"Profile", L"System Profile"};
    for (const std::wstring& name : accepted) {
        layout.file(layout.chrome + L"\\" + name + L"\\Cache\\Cache_Data\\data_0");
        layout.file(layout.chrome + L"\\" + name + L"\\Code Cache\\js\\index");
        // no GPUCache: a location that does not exist
    }
    for (const std::wstring& name : refused) layout.file(layout.chrome + L"\\" + name + L"\\Cache\\data_0");
    // "Profile " with its trailing space can only be made through the long-path form.
    std::wstring trailingSpace = layout.chrome + L"\\Profile ";
    layout.folder(layout.chrome);
    bool madeTrailingSpace = CreateDirectoryW(toLongPath(trailingSpace).c_str(), nullptr) &&
                             CreateDirectoryW(toLongPath(trailingSpace + L"\\Cache").c_str(), nullptr);
    ASSERT_TRUE(madeTrailingSpace) << GetLastError();
    test::writeFile(toLongPath(trailingSpace + L"\\Cache\\data_0"), "cache");
    std::vector<std::wstring> chromeNames = listSubdirectories(layout.chrome);
    ASSERT_NE(std::find(chromeNames.begin(), chromeNames.end(), L"Profile "), chromeNames.end());
    layout.file(layout.edge + L"\\Default\\GPUCache\\data_1");
    layout.file(layout.firefox + L"\\abcd1234.default-release\\cache2\\entries\\F00D");
    layout.folder(layout.firefox + L"\\efgh5678.other");  // no cache2

    std::vector<CleanLocation> locations = cleanLocations();
    ASSERT_GE(locations.size(), 2u);
    EXPECT_EQ(locations.front().path, layout.appData + L"\\Temp");
    EXPECT_EQ(locations.front().category, CleanCategory::Temp);
    EXPECT_TRUE(locations.front().olderThanCutoffOnly);
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    EXPECT_EQ(locations.back().path, std::wstring(windows) + L"\\Temp");
    EXPECT_EQ(locations.back().category, CleanCategory::Temp);
    EXPECT_TRUE(locations.back().olderThanCutoffOnly);

    // Between them: Chrome's profiles in enumeration order, three caches each, then Edge's, then Firefox's.
    std::vector<std::wstring> expected;
    for (const std::wstring* base : {&layout.chrome, &layout.edge}) {
        for (const std::wstring& name : listSubdirectories(*base)) {
            bool isAccepted = std::find(std::begin(accepted), std::end(accepted), name) != std::end(accepted) ||
                              (base == &layout.edge && name == L"Default");
            if (!isAccepted) continue;
            for (const wchar_t* cache : {L"Cache", L"Code Cache", L"GPUCache"})
                expected.push_back(*base + L"\\" + name + L"\\" + cache);
        }
    }
    for (const std::wstring& name : listSubdirectories(layout.firefox))
        expected.push_back(layout.firefox + L"\\" + name + L"\\cache2");
    ASSERT_EQ(expected.size(), 4u * 3 + 3 + 2);
    ASSERT_EQ(locations.size(), expected.size() + 2);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(locations[i + 1].path, expected[i]);
        EXPECT_EQ(locations[i + 1].category, CleanCategory::BrowserCache);
        EXPECT_FALSE(locations[i + 1].olderThanCutoffOnly);
    }
    EXPECT_FALSE(hasLocation(locations, trailingSpace + L"\\Cache"));

    // The scan finds the browsers' cache files however fresh, and nothing of the refused profiles.
    std::atomic<bool> cancel{false};
    std::uint64_t lastDone = 0;
    ScanReport report = scanTargets(cancel, [&](const std::wstring&, std::uint64_t done, std::uint64_t total) {
        EXPECT_EQ(total, 0u);
        EXPECT_EQ(done, lastDone + 1);
        lastDone = done;
    });
    for (const std::wstring& name : accepted) {
        EXPECT_EQ(countEntries(report, layout.chrome + L"\\" + name + L"\\Cache\\Cache_Data\\data_0"), 1u) << testing::PrintToString(name);
        EXPECT_EQ(countEntries(report, layout.chrome + L"\\" + name + L"\\Code Cache\\js\\index"), 1u) << testing::PrintToString(name);
        EXPECT_EQ(test::countRoots(report, layout.chrome + L"\\" + name + L"\\Cache"), 1u);
        EXPECT_EQ(test::countRoots(report, layout.chrome + L"\\" + name + L"\\GPUCache"), 0u);
    }
    for (const std::wstring& name : refused)
        EXPECT_EQ(test::entriesBelow(report, layout.chrome + L"\\" + name), 0u) << testing::PrintToString(name);
    for (const FileEntry& entry : report.entries)
        EXPECT_EQ(entry.path.find(L"\\Profile \\"), std::wstring::npos) << testing::PrintToString(entry.path);
    EXPECT_EQ(countEntries(report, layout.edge + L"\\Default\\GPUCache\\data_1"), 1u);
    const FileEntry* firefox = test::findEntry(report, layout.firefox + L"\\abcd1234.default-release\\cache2\\entries\\F00D");
    ASSERT_NE(firefox, nullptr);
    EXPECT_EQ(firefox->category, CleanCategory::BrowserCache);
    EXPECT_TRUE(samePath(firefox->root, layout.firefox + L"\\abcd1234.default-release\\cache2"));
    EXPECT_EQ(test::countRoots(report, layout.appData + L"\\Temp"), 1u);
    EXPECT_EQ(test::countRoots(report, std::wstring(windows) + L"\\Temp"), 1u);
    EXPECT_EQ(report.categoryBytes[1] >= 5u * (4 * 2 + 2), true);
    // Chrome: four missing GPUCache folders; Edge: missing Cache and Code Cache; Firefox: one missing cache2.
    EXPECT_GE(report.skipped, 4u + 2 + 1);
}

TEST(ScanTargets, TemporaryFilesUnderLocalAppDataByAge) {
    PM_REQUIRE_TEST_PREFIX();
    TempFolder temp(test::localAppDataPath() + L"\\Temp");
    const std::uint64_t now = test::nowFileTime();
    test::writeAgedFile(temp / L"old.tmp", now - 48 * kHour, "0123456789");
    test::writeAgedFile(temp / L"recent.tmp", now - 23 * kHour);
    test::writeFile(temp / L"fresh.tmp", "x");
    std::atomic<bool> cancel{false};
    ScanReport report = scanTargets(cancel, {});
    const FileEntry* old = test::findEntry(report, temp / L"old.tmp");
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->category, CleanCategory::Temp);
    EXPECT_EQ(old->size, 10u);
    EXPECT_TRUE(samePath(old->root, test::localAppDataPath() + L"\\Temp"));
    EXPECT_GE(report.categoryBytes[0], 10u);
    EXPECT_EQ(countEntries(report, temp / L"recent.tmp"), 0u);
    EXPECT_EQ(countEntries(report, temp / L"fresh.tmp"), 0u);
    EXPECT_GE(report.skipped, 2u);

    // The Recycle Bin is read once the locations are done.
    SHQUERYRBINFO bin{};
    bin.cbSize = sizeof(bin);
    if (SUCCEEDED(SHQueryRecycleBinW(nullptr, &bin))) {
        EXPECT_EQ(report.recycleBinBytes, bin.i64Size);
        EXPECT_EQ(report.recycleBinItems, bin.i64NumItems);
    }
}

TEST(ScanTargets, CancelledScanKeepsWhatItFoundAndLeavesTheRecycleBinUnread) {
    PM_REQUIRE_TEST_PREFIX();
    TempFolder temp(test::localAppDataPath() + L"\\Temp");
    test::writeAgedFile(temp / L"old.tmp", test::nowFileTime() - 48 * kHour);
    std::atomic<bool> cancel{false};
    std::wstring cancelledAt;
    ScanReport report = scanTargets(cancel, [&](const std::wstring& label, std::uint64_t, std::uint64_t) {
        if (isPathInside(label, temp / L"old.tmp") || samePath(label, temp / L"old.tmp")) {
            cancelledAt = label;
            cancel = true;
        }
    });
    ASSERT_FALSE(cancelledAt.empty());
    EXPECT_EQ(countEntries(report, temp / L"old.tmp"), 1u);  // the entry in hand is finished
    EXPECT_EQ(report.recycleBinBytes, 0);
    EXPECT_EQ(report.recycleBinItems, 0);
    ASSERT_FALSE(report.roots.empty());
    EXPECT_TRUE(samePath(report.roots.back().path, test::localAppDataPath() + L"\\Temp"));  // nothing after it
}

}  // namespace
}  // namespace pm
