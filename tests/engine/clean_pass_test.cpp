#include "engine/browsers.h"
#include "engine/clean_pass.h"
#include "engine/path_rules.h"
#include "engine/recycle_bin.h"
#include "engine/recycle_bin_internal.h"
#include "engine/scan.h"
#include "engine/scan_internal.h"

#include "tests/engine/clean_fixtures.h"
#include "tests/engine/location_fixtures.h"
#include "tests/engine/scan_fixtures.h"
#include "tests/engine/stand_in_process.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

namespace pm {
namespace {

using test::kHour;
using test::ProgressCall;
using test::ProgressLog;
using test::TempFolder;

std::wstring windowsTemp() {
    wchar_t windows[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows, n) + L"\\Temp";
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Old temporary files in both temporary folders and fresh cache files in Chrome's default profile, found by a
// real scan. The report keeps only these entries, so that nothing else in the prefix is cleaned.
struct CleanFixture {
    test::BrowserLayout layout;
    TempFolder userTemp{test::localAppDataPath() + L"\\Temp"};
    TempFolder systemTemp{windowsTemp()};
    std::vector<std::wstring> temps, caches;  // in report order
    ScanReport report;

    CleanFixture() {
        const std::uint64_t old = test::nowFileTime() - 48 * kHour;
        test::writeAgedFile(userTemp / L"a.tmp", old, "aaaaaaaaaa");
        test::writeAgedFile(userTemp / L"b.tmp", old, "bbbbbbbbbbbbbbbbbbbb");
        test::writeAgedFile(systemTemp / L"w.tmp", old, "www");
        layout.file(layout.chrome + L"\\Default\\Cache\\Cache_Data\\data_0");
        layout.file(layout.chrome + L"\\Default\\Code Cache\\js\\index");
        std::atomic<bool> cancel{false};
        report = scanTargets(cancel, {});
        std::erase_if(report.entries, [&](const FileEntry& entry) {
            return !isPathInside(entry.path, userTemp.path()) && !isPathInside(entry.path, systemTemp.path()) &&
                   !isPathInside(entry.path, layout.chrome + L"\\Default");
        });
        for (const FileEntry& entry : report.entries)
            (entry.category == CleanCategory::Temp ? temps : caches).push_back(entry.path);
        EXPECT_EQ(temps.size(), 3u);
        EXPECT_EQ(caches.size(), 2u);
    }
    std::uint64_t bytesOf(CleanCategory category) const {
        std::uint64_t bytes = 0;
        for (const FileEntry& entry : report.entries)
            if (entry.category == category) bytes += entry.size;
        return bytes;
    }
};

std::vector<ProgressCall> expectedCalls(const std::vector<std::wstring>& paths, const wchar_t* last) {
    std::vector<ProgressCall> calls;
    for (const std::wstring& path : paths) calls.push_back({path, calls.size(), paths.size()});
    calls.push_back({last, paths.size(), paths.size()});
    return calls;
}

TEST(CleanTargets, OneCategorySelected) {
    PM_REQUIRE_TEST_PREFIX();
    for (CleanCategory selected : {CleanCategory::Temp, CleanCategory::BrowserCache}) {
        SCOPED_TRACE(static_cast<int>(selected));
        CleanFixture fixture;
        ASSERT_EQ(fixture.report.entries.size(), 5u);
        const bool temp = selected == CleanCategory::Temp;
        const std::vector<std::wstring>& cleaned = temp ? fixture.temps : fixture.caches;
        const std::vector<std::wstring>& kept = temp ? fixture.caches : fixture.temps;
        CleanSelection selection{temp, !temp, false};
        std::atomic<bool> cancel{false};
        ProgressLog progress;
        CleanResult result = cleanTargets(fixture.report, selection, cancel, progress.callback(), {});
        EXPECT_EQ(progress.calls, expectedCalls(cleaned, L"Finished"));
        EXPECT_EQ(result.filesDeleted, cleaned.size());
        EXPECT_EQ(result.bytesFreed, fixture.bytesOf(selected));
        EXPECT_EQ(result.skipped + result.failed + result.lockRetries, 0u);
        EXPECT_FALSE(result.cancelled);
        EXPECT_FALSE(result.recycleBinEmptied);
        for (const std::wstring& path : cleaned) EXPECT_FALSE(exists(path)) << testing::PrintToString(path);
        for (const std::wstring& path : kept) EXPECT_TRUE(exists(path)) << testing::PrintToString(path);
    }
}

TEST(CleanTargets, CancelMidPassLeavesTheRestAndTheRecycleBin) {
    PM_REQUIRE_TEST_PREFIX();
    CleanFixture fixture;
    fixture.report.recycleBinItems = 3;  // previewed, so the Recycle Bin step would run without the cancel
    fixture.report.recycleBinBytes = 300;
    std::atomic<bool> cancel{false};
    ProgressLog progress;
    ProgressCallback callback = [&](const std::wstring& label, std::uint64_t done, std::uint64_t total) {
        progress.calls.push_back({label, done, total});
        if (done == 1) cancel = true;  // raised while the second entry is in hand
    };
    CleanResult result = cleanTargets(fixture.report, {true, true, true}, cancel, callback, {});
    const std::vector<ProgressCall> expected = {
        {fixture.report.entries[0].path, 0, 6}, {fixture.report.entries[1].path, 1, 6}, {L"Cancelled", 2, 6}};
    EXPECT_EQ(progress.calls, expected);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.filesDeleted, 1u);
    EXPECT_FALSE(result.recycleBinEmptied);
    EXPECT_EQ(result.skipped + result.failed, 0u);
    EXPECT_FALSE(exists(fixture.report.entries[0].path));
    for (std::size_t i = 1; i < fixture.report.entries.size(); ++i)
        EXPECT_TRUE(exists(fixture.report.entries[i].path)) << i;
}

TEST(CleanTargets, ABrowserStartedMidPassKeepsTheLaterCaches) {
    PM_REQUIRE_TEST_PREFIX();
    CleanFixture fixture;
    std::unique_ptr<test::StandIn> browser;
    std::atomic<bool> cancel{false};
    ProgressCallback callback = [&](const std::wstring& label, std::uint64_t, std::uint64_t) {
        if (browser || label != fixture.caches.front()) return;
        browser = std::make_unique<test::StandIn>(L"chrome.exe", L"hidden");
        EXPECT_TRUE(browser->started());
        Sleep(300);  // past the 250 ms after which the process list is read again
    };
    CleanResult result = cleanTargets(fixture.report, {true, true, false}, cancel, callback, {});
    ASSERT_TRUE(browser);
    EXPECT_EQ(result.filesDeleted, 3u);
    EXPECT_EQ(result.bytesFreed, fixture.bytesOf(CleanCategory::Temp));
    EXPECT_EQ(result.skipped, 2u);
    for (const std::wstring& path : fixture.temps) EXPECT_FALSE(exists(path)) << testing::PrintToString(path);
    for (const std::wstring& path : fixture.caches) EXPECT_TRUE(exists(path)) << testing::PrintToString(path);
}

TEST(CleanTargets, EntriesOfRootsThisReportDidNotScanOrNoLocationHoldsAreSkipped) {
    PM_REQUIRE_TEST_PREFIX();
    CleanFixture fixture;
    // The user's temporary folder is no longer among the report's roots.
    std::erase_if(fixture.report.roots, [&](const RootIdentity& root) {
        return samePath(root.path, test::localAppDataPath() + L"\\Temp");
    });
    // A folder that is not a clean-up location, with its own entry and root identity.
    TempFolder elsewhere;
    test::writeAgedFile(elsewhere / L"x.tmp", test::nowFileTime() - 48 * kHour, "x");
    std::atomic<bool> cancel{false};
    ScanReport other = scanFolder(elsewhere.path(), cancel);
    ASSERT_EQ(other.entries.size(), 1u);
    fixture.report.entries.push_back(other.entries[0]);
    fixture.report.roots.push_back(other.roots[0]);

    CleanResult result = cleanTargets(fixture.report, {true, false, false}, cancel, {}, {});
    EXPECT_EQ(result.skipped, 3u);  // a.tmp and b.tmp, and x.tmp
    EXPECT_EQ(result.filesDeleted, 1u);  // w.tmp in the Windows folder's Temp
    EXPECT_TRUE(exists(elsewhere / L"x.tmp"));
    EXPECT_TRUE(exists(fixture.temps[0]));
}

TEST(CleanTargets, RecycleBinOnlyWhenItsPreviewStillHolds) {
    PM_REQUIRE_PRIVATE_RECYCLE_BIN();
    test::emptyRecycleBin();
    TempFolder temp;
    test::writeFile(temp / L"one.txt", std::string(100, 'r'));
    test::writeFile(temp / L"two.txt", std::string(200, 'r'));
    test::writeFile(temp / L"empty.txt", "");
    ASSERT_TRUE(test::recycle(temp / L"one.txt"));
    ASSERT_TRUE(test::recycle(temp / L"two.txt"));
    std::atomic<bool> cancel{false};
    ScanReport preview = scanTargets(cancel, {});
    preview.entries.clear();
    ASSERT_EQ(preview.recycleBinItems, 2);
    ASSERT_EQ(preview.recycleBinBytes, test::queryRecycleBin().i64Size);
    ASSERT_GT(preview.recycleBinBytes, 0);

    // Changed since the preview, one more item of the same total size: left alone.
    ASSERT_TRUE(test::recycle(temp / L"empty.txt"));
    ASSERT_EQ(test::queryRecycleBin().i64Size, preview.recycleBinBytes);
    ProgressLog changedLog;
    CleanResult changed = cleanTargets(preview, {true, true, true}, cancel, changedLog.callback(), {});
    EXPECT_EQ(changedLog.calls, (std::vector<ProgressCall>{{L"Recycle Bin", 0, 1}, {L"Finished", 1, 1}}));
    EXPECT_EQ(changed.skipped, 1u);
    EXPECT_FALSE(changed.recycleBinEmptied);
    EXPECT_EQ(changed.filesDeleted, 0u);
    EXPECT_EQ(test::queryRecycleBin().i64NumItems, 3);

    // Unchanged: emptied, and counted as the preview showed it.
    preview = scanTargets(cancel, {});
    preview.entries.clear();
    ProgressLog log;
    CleanResult emptied = cleanTargets(preview, {false, false, true}, cancel, log.callback(), {});
    EXPECT_EQ(log.calls, (std::vector<ProgressCall>{{L"Recycle Bin", 0, 1}, {L"Finished", 1, 1}}));
    EXPECT_TRUE(emptied.recycleBinEmptied);
    EXPECT_EQ(emptied.filesDeleted, 3u);
    EXPECT_EQ(emptied.bytesFreed, static_cast<std::uint64_t>(preview.recycleBinBytes));
    EXPECT_EQ(emptied.skipped + emptied.failed, 0u);
    EXPECT_EQ(test::queryRecycleBin().i64NumItems, 0);

    // An empty Recycle Bin is no step at all, also when items arrived after the preview.
    preview = scanTargets(cancel, {});
    preview.entries.clear();
    std::uint64_t fingerprint = 0;
    EXPECT_EQ(readRecycleBinFingerprint(fingerprint), RecycleBinReading::Empty)
        << "a bin that lists nothing tells nothing apart";
    test::writeFile(temp / L"late.txt", "late");
    ASSERT_TRUE(test::recycle(temp / L"late.txt"));
    ProgressLog none;
    CleanResult untouched = cleanTargets(preview, {false, false, true}, cancel, none.callback(), {});
    EXPECT_EQ(none.calls, (std::vector<ProgressCall>{{L"Finished", 0, 0}}));
    EXPECT_FALSE(untouched.recycleBinEmptied);
    EXPECT_EQ(test::queryRecycleBin().i64NumItems, 1);
    test::emptyRecycleBin();
}

// The preview saw one.txt (100 bytes) and two.txt (200 bytes) in the bin; what happens before the scan and
// between the scan and the clean-up decides whether the bin may be emptied.
TEST(CleanTargets, RecycleBinEmptiedOnlyWhileItHoldsThePreviewedItems) {
    PM_REQUIRE_PRIVATE_RECYCLE_BIN();
    using Change = std::function<void(const TempFolder&)>;
    const auto recycleNew = [](const std::wstring& path, std::size_t size) {
        test::writeFile(path, std::string(size, 'n'));
        ASSERT_TRUE(test::recycle(path));
    };
    const auto restoreOne = [](const TempFolder& t) { ASSERT_TRUE(test::restoreFromTrash(L"one.txt", t / L"one.txt")); };
    // A record the bin's folder cannot read: the item is still there, with its size.
    const auto damageOne = [](const TempFolder&) {
        test::writeFile(test::trashFolder() + L"\\info\\one.txt.trashinfo", "not a record");
    };
    // The record of one.txt as if it had been recycled on another day (restored and recycled again).
    const auto redateOne = [](const TempFolder&) {
        const std::wstring info = test::trashFolder() + L"\\info\\one.txt.trashinfo";
        std::string record = test::readFile(info);
        const std::size_t at = record.find("DeletionDate=");
        ASSERT_NE(at, std::string::npos);
        test::writeFile(info, record.substr(0, at) + "DeletionDate=2001-02-03T04:05:06\n");
    };
    struct Case {
        const char* name;
        Change beforeScan, afterScan;
        std::uint64_t skipped, failed;
        bool emptied;
        Change whileWalked = {};  // while the clean-up's fingerprint walk is past the bin's first item
    } cases[] = {
        {"unchanged", {}, {}, 0, 0, true},
        {"emptied by hand since the preview", {}, [](const TempFolder&) { test::emptyRecycleBin(); }, 1, 0, false},
        {"grown since the preview", {}, [&](const TempFolder& t) { recycleNew(t / L"three.txt", 300); }, 1, 0, false},
        {"shrunk since the preview", {}, restoreOne, 1, 0, false},
        {"one restored, another document of its size recycled", {},
         [&](const TempFolder& t) { restoreOne(t); recycleNew(t / L"other.txt", 100); }, 1, 0, false},
        {"one restored, a document of its name and size recycled from another folder", {},
         [&](const TempFolder& t) {
             restoreOne(t);
             test::makeDirectories(t / L"sub");
             recycleNew(t / L"sub\\one.txt", 100);
         }, 1, 0, false},
        {"the same count with another size", {},
         [&](const TempFolder& t) { restoreOne(t); recycleNew(t / L"big.txt", 150); }, 1, 0, false},
        // Under Wine the bin's folder shows sizes in whole kilobytes: only the total size tells this apart.
        {"an item grown inside the bin", {},
         [](const TempFolder&) { test::writeFile(test::trashFolder() + L"\\files\\one.txt", std::string(150, 'g')); },
         1, 0, false},
        {"an empty item added", {}, [&](const TempFolder& t) { recycleNew(t / L"empty.txt", 0); }, 1, 0, false},
        {"one recycled again at another time", {}, redateOne, 1, 0, false},
        {"an item unreadable at the clean-up", {}, damageOne, 0, 1, false},
        {"an item unreadable already at the scan", damageOne, {}, 0, 1, false},
        {"an item unreadable at the scan, the bin emptied by hand since", damageOne,
         [](const TempFolder&) { test::emptyRecycleBin(); }, 1, 0, false},
        {"a document recycled while the bin is walked", {}, {}, 1, 0, false,
         [&](const TempFolder& t) { recycleNew(t / L"late.txt", 50); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::emptyRecycleBin();
        TempFolder temp;
        recycleNew(temp / L"one.txt", 100);
        recycleNew(temp / L"two.txt", 200);
        if (c.beforeScan) c.beforeScan(temp);
        std::atomic<bool> cancel{false};
        ScanReport preview = scanTargets(cancel, {});
        preview.entries.clear();
        ASSERT_EQ(preview.recycleBinItems, 2);
        ASSERT_EQ(preview.recycleBinBytes, 300);
        if (c.afterScan) c.afterScan(temp);
        const SHQUERYRBINFO before = test::queryRecycleBin();
        std::int64_t arrived = 0;
        if (c.whileWalked)
            setFingerprintWalkHook([&](std::uint64_t itemsRead) {
                if (itemsRead != 1) return;
                c.whileWalked(temp);
                ++arrived;
            });

        CleanResult result = cleanTargets(preview, {false, false, true}, cancel, {}, {});
        setFingerprintWalkHook({});
        EXPECT_EQ(arrived, c.whileWalked ? 1 : 0);
        EXPECT_EQ(result.skipped, c.skipped);
        EXPECT_EQ(result.failed, c.failed);
        EXPECT_EQ(result.recycleBinEmptied, c.emptied);
        EXPECT_EQ(result.filesDeleted, c.emptied ? 2u : 0u);
        EXPECT_EQ(result.bytesFreed, c.emptied ? 300u : 0u);
        EXPECT_EQ(test::queryRecycleBin().i64NumItems, c.emptied ? 0 : before.i64NumItems + arrived);
    }
    test::emptyRecycleBin();
}

// What an item's detail gives its fingerprint: its string or its scalar value; nothing else is trusted.
TEST(RecycleBinFingerprint, DetailValuesTakenOnlyAsStringsAndTheirScalarTypes) {
    BSTR text = SysAllocString(L"C:\\x");
    BSTR empty = SysAllocString(L"");
    const struct {
        VARTYPE type;
        BSTR string;
        std::size_t size;  // 0: refused
    } cases[] = {
        {VT_UI8, nullptr, 8}, {VT_I8, nullptr, 8}, {VT_UI4, nullptr, 4}, {VT_I4, nullptr, 4},
        {VT_DATE, nullptr, 8}, {VT_FILETIME, nullptr, 8}, {VT_BSTR, text, 8}, {VT_BSTR, empty, 0},
        {VT_BSTR, nullptr, 0}, {VT_R8, nullptr, 0}, {VT_UNKNOWN, nullptr, 0}, {VT_ARRAY | VT_UI1, nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        VARIANT value;
        VariantInit(&value);
        value.vt = c.type;
        if (c.type == VT_BSTR) value.bstrVal = c.string;
        else value.ullVal = 0x0123456789abcdefULL;
        const void* bytes = nullptr;
        std::size_t size = 0;
        EXPECT_EQ(detailValueBytes(value, bytes, size), c.size != 0);
        if (c.size == 0) continue;
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(std::memcmp(bytes, c.type == VT_BSTR ? static_cast<const void*>(c.string) : &value.ullVal, size), 0);
    }
    SysFreeString(text);
    SysFreeString(empty);
}

// The user's temporary folder admits only files a day old; the pass applies that itself, whatever the
// report says (here a report made without the age filter).
TEST(CleanTargets, ATooYoungFileInTheTemporaryLocationIsKeptByThePass) {
    PM_REQUIRE_TEST_PREFIX();
    const std::wstring location = test::localAppDataPath() + L"\\Temp";
    TempFolder folder(location);
    test::writeFile(folder / L"young.tmp", "written just now");
    std::atomic<bool> cancel{false};
    ScanReport report;
    scanLocations({{location, CleanCategory::Temp, false}}, report, cancel, {}, test::nowFileTime());
    std::erase_if(report.entries, [&](const FileEntry& e) { return !isPathInside(e.path, folder.path()); });
    ASSERT_EQ(report.entries.size(), 1u);

    CleanResult result = cleanTargets(report, {true, false, false}, cancel, {}, {});
    EXPECT_EQ(result.skipped, 1u);
    EXPECT_EQ(result.filesDeleted, 0u);
    EXPECT_TRUE(exists(folder / L"young.tmp"));
}

// A location admits the entries of its own category only: an entry that names the user's temporary folder as
// its root but comes as a browser cache is left alone when only the browser caches are selected; the same
// file as a temporary file goes.
TEST(CleanTargets, AnEntryIsCleanedOnlyUnderALocationOfItsOwnCategory) {
    PM_REQUIRE_TEST_PREFIX();
    ASSERT_TRUE(runningBrowserNames().empty()) << "a running browser would keep every cache entry by itself";
    const std::wstring location = test::localAppDataPath() + L"\\Temp";
    TempFolder folder(location);
    test::writeAgedFile(folder / L"old.tmp", test::nowFileTime() - 48 * kHour, "old");
    std::atomic<bool> cancel{false};
    ScanReport report;
    scanLocations({{location, CleanCategory::Temp, true}}, report, cancel, {}, test::nowFileTime());
    std::erase_if(report.entries, [&](const FileEntry& e) { return !isPathInside(e.path, folder.path()); });
    ASSERT_EQ(report.entries.size(), 1u);

    report.entries[0].category = CleanCategory::BrowserCache;
    CleanResult asCache = cleanTargets(report, {false, true, false}, cancel, {}, {});
    EXPECT_EQ(asCache.skipped, 1u);
    EXPECT_EQ(asCache.filesDeleted + asCache.failed, 0u);
    EXPECT_TRUE(exists(folder / L"old.tmp"));

    report.entries[0].category = CleanCategory::Temp;
    CleanResult asTemp = cleanTargets(report, {true, false, false}, cancel, {}, {});
    EXPECT_EQ(asTemp.filesDeleted, 1u);
    EXPECT_FALSE(exists(folder / L"old.tmp"));
}

// The pass keeps the chain of the folder in hand from one of its entries to the next, so that folder cannot be
// moved meanwhile; it lets the folder go once it moves on to another one, and everything at its end.
TEST(CleanTargets, TheFolderInHandStaysPinnedUntilThePassMovesOn) {
    PM_REQUIRE_TEST_PREFIX();
    const std::wstring location = test::localAppDataPath() + L"\\Temp";
    TempFolder folder(location);
    for (const wchar_t* name : {L"a\\x.tmp", L"a\\y.tmp", L"b\\z.tmp", L"b\\w.tmp"}) {
        test::makeDirectories((folder / name).substr(0, (folder / name).rfind(L'\\')));
        test::writeAgedFile(folder / name, test::nowFileTime() - 48 * kHour, "old");
    }
    std::atomic<bool> cancel{false};
    ScanReport report;
    scanLocations({{location, CleanCategory::Temp, true}}, report, cancel, {}, test::nowFileTime());
    std::erase_if(report.entries, [&](const FileEntry& e) { return !isPathInside(e.path, folder.path()); });
    ASSERT_EQ(report.entries.size(), 4u);
    // a's entries, then b's.
    std::sort(report.entries.begin(), report.entries.end(),
              [](const FileEntry& x, const FileEntry& y) { return x.path < y.path; });

    // Whether folders a and b could be moved (and were moved back) at each progress call.
    auto movable = [&](const wchar_t* name) {
        const bool moved = MoveFileW((folder / name).c_str(), (folder / L"away").c_str());
        if (moved) {
            EXPECT_TRUE(MoveFileW((folder / L"away").c_str(), (folder / name).c_str()));
        }
        return moved;
    };
    std::vector<bool> aMovable, bMovable;
    ProgressCallback callback = [&](const std::wstring&, std::uint64_t, std::uint64_t) {
        aMovable.push_back(movable(L"a"));
        bMovable.push_back(movable(L"b"));
    };
    CleanResult result = cleanTargets(report, {true, false, false}, cancel, callback, {});
    EXPECT_EQ(result.filesDeleted, 4u);
    // The calls before a\x, a\y, b\z and b\w, then "Finished": a is held from its first entry until the pass
    // reaches b, b from its first entry until the pass ends.
    EXPECT_EQ(aMovable, (std::vector<bool>{true, false, false, true, true}));
    EXPECT_EQ(bMovable, (std::vector<bool>{true, true, true, false, true}));
}

TEST(ScanTargets, TheRecycleBinIsReadUnlessTheScanWasCancelled) {
    PM_REQUIRE_PRIVATE_RECYCLE_BIN();
    test::emptyRecycleBin();
    std::atomic<bool> cancel{false};
    ScanReport empty = scanTargets(cancel, {});
    EXPECT_EQ(empty.recycleBinItems, 0);
    EXPECT_EQ(empty.recycleBinBytes, 0);
    TempFolder temp;
    test::writeFile(temp / L"ten.txt", "0123456789");
    test::writeFile(temp / L"twenty.txt", "01234567890123456789");
    ASSERT_TRUE(test::recycle(temp / L"ten.txt"));
    ASSERT_TRUE(test::recycle(temp / L"twenty.txt"));
    ScanReport full = scanTargets(cancel, {});
    EXPECT_EQ(full.recycleBinItems, 2);
    EXPECT_EQ(full.recycleBinBytes, 30);
    cancel = true;
    ScanReport cancelled = scanTargets(cancel, {});
    EXPECT_EQ(cancelled.recycleBinItems, 0);
    EXPECT_EQ(cancelled.recycleBinBytes, 0);
    test::emptyRecycleBin();
}

}  // namespace
}  // namespace pm
