#include "engine/delete_entry.h"
#include "engine/delete_entry_held.h"
#include "engine/delete_entry_internal.h"
#include "engine/file_info.h"
#include "engine/handle_holder.h"
#include "engine/path_rules.h"
#include "engine/pinned_chain.h"
#include "engine/scan.h"
#include "engine/scan_internal.h"

#include "tests/engine/junction_fixture.h"
#include "tests/engine/link_probe.h"
#include "tests/engine/scan_fixtures.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <vector>

namespace pm {
namespace {

using test::kHour;
using test::TempFolder;

std::string counters(const CleanResult& r) {
    std::ostringstream out;
    out << "freed " << r.bytesFreed << " deleted " << r.filesDeleted << " skipped " << r.skipped << " failed "
        << r.failed << " lockedSkipped " << r.lockedSkipped << " lockedFailed " << r.lockedFailed << " retries "
        << r.lockRetries << " emptied " << r.recycleBinEmptied << " cancelled " << r.cancelled;
    return out.str();
}

double elapsedMs(const std::function<void()>& work) {
    LARGE_INTEGER frequency{}, start{}, stop{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&stop);
    return 1000.0 * static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(OpenWithRetry, ScriptedAttempts) {
    struct Step {
        std::uint32_t attempt;
        bool cancelInAttempt = false;
    };
    struct Case {
        const char* name;
        bool skipLocked;
        bool cancelBefore;
        std::vector<Step> attempts;
        int cancelInWait;  // index of the wait that raises the cancel flag, or -1
        std::uint32_t status, retries;
        std::size_t attemptsMade, waits;
    } cases[] = {
        {"opened", true, false, {{kAttemptOpened}}, -1, kOpenOpened, 0, 1, 0},
        {"other error", false, false, {{kAttemptFailed}}, -1, kOpenFailed, 0, 1, 0},
        {"skip policy", true, false, {{kAttemptLocked}}, -1, kOpenLockedSkipped, 0, 1, 0},
        {"retry policy", false, false, {{kAttemptLocked}, {kAttemptLocked}, {kAttemptLocked}}, -1, kOpenFailed, 2, 3, 2},
        {"freed on the retry", false, false, {{kAttemptLocked}, {kAttemptOpened}}, -1, kOpenOpened, 1, 2, 1},
        {"error on the retry", false, false, {{kAttemptLocked}, {kAttemptFailed}}, -1, kOpenFailed, 1, 2, 1},
        {"cancel before", false, true, {}, -1, kOpenCancelled, 0, 0, 0},
        {"cancel in the first wait", false, false, {{kAttemptLocked}}, 0, kOpenCancelled, 0, 1, 1},
        {"cancel in the second wait", false, false, {{kAttemptLocked}, {kAttemptLocked}}, 1, kOpenCancelled, 1, 2, 2},
        {"cancel by an opening attempt", false, false, {{kAttemptOpened, true}}, -1, kOpenCancelled, 0, 1, 0},
        {"cancel by a locked attempt", true, false, {{kAttemptLocked, true}}, -1, kOpenCancelled, 0, 1, 0},
    };
    for (const Case& c : cases) {
        std::atomic<bool> cancel{c.cancelBefore};
        std::size_t made = 0;
        std::vector<std::uint32_t> waits;
        auto attempt = [&]() -> std::uint32_t {
            EXPECT_LT(made, c.attempts.size()) << c.name;
            if (made >= c.attempts.size()) return kAttemptFailed;
            const Step& step = c.attempts[made++];
            if (step.cancelInAttempt) cancel = true;
            return step.attempt;
        };
        auto wait = [&](std::uint32_t ms) {
            if (static_cast<int>(waits.size()) == c.cancelInWait) cancel = true;
            waits.push_back(ms);
        };
        std::uint64_t result = openWithRetry(c.skipLocked, cancel, attempt, wait);
        EXPECT_EQ(openStatus(result), c.status) << c.name;
        EXPECT_EQ(openRetries(result), c.retries) << c.name;
        EXPECT_EQ(made, c.attemptsMade) << c.name;
        EXPECT_EQ(waits, std::vector<std::uint32_t>(c.waits, kLockRetryWaitMs)) << c.name;
    }
}

TEST(OpenWithRetry, TheWaitEndsAtOnceWhenCancelled) {
    std::atomic<bool> cancel{true};
    EXPECT_LT(elapsedMs([&] { cancellableWait(cancel, 5000); }), 1000.0);
    cancel = false;
    EXPECT_GE(elapsedMs([&] { cancellableWait(cancel, 50); }), 45.0);
}

// One previewed folder: an aged file found by a real scan, with the root's identity.
struct Preview {
    TempFolder folder;
    std::wstring file = folder / L"old.tmp";
    ScanReport report;

    explicit Preview(bool aged = true, const std::wstring& parent = std::wstring()) : folder(parent) {
        if (aged)
            test::writeAgedFile(file, test::nowFileTime() - 48 * kHour, "0123456789");
        else
            test::writeFile(file, "0123456789");
        rescan(aged);
    }
    // As the scan records it: temporary files with the age filter, or a browser cache without it.
    void rescan(bool aged = true) {
        std::atomic<bool> cancel{false};
        report = ScanReport();
        scanLocations({{folder.path(), aged ? CleanCategory::Temp : CleanCategory::BrowserCache, aged}}, report, cancel,
                      {}, test::nowFileTime());
        ASSERT_EQ(report.entries.size(), 1u);
        ASSERT_EQ(report.roots.size(), 1u);
    }
    const FileEntry& entry() const { return report.entries[0]; }
    const RootIdentity& root() const { return report.roots[0]; }
    CleanResult remove(bool ageFilter = true, CleanOptions options = {}, bool cancelled = false) const {
        std::atomic<bool> cancel{cancelled};
        CleanResult result;
        deleteEntry(entry(), root(), ageFilter, cancel, result, options);
        return result;
    }
};

CleanResult expectedSkip() { CleanResult r; r.skipped = 1; return r; }

TEST(DeleteEntry, OutcomesOnRealFiles) {
    struct Case {
        const char* name;
        std::function<void(Preview&)> change;  // what happens between the preview and the deletion
        CleanResult expected;
        bool survives;
    };
    CleanResult deleted;
    deleted.bytesFreed = 10;
    deleted.filesDeleted = 1;
    CleanResult cancelled;
    cancelled.cancelled = true;
    const Case cases[] = {
        {"unchanged", [](Preview&) {}, deleted, false},
        {"rewritten with the same size and a new time",
         [](Preview& p) { test::writeAgedFile(p.file, test::nowFileTime() - 30 * kHour, "9876543210"); },
         expectedSkip(), true},
        {"a second hard link",
         [](Preview& p) { ASSERT_TRUE(CreateHardLinkW((p.folder / L"alias").c_str(), p.file.c_str(), nullptr)); },
         expectedSkip(), true},
        {"replaced by another file of the same name, size and time",
         [](Preview& p) {
             // The old file keeps its index by staying on disk under another name.
             ASSERT_TRUE(MoveFileW(p.file.c_str(), (p.folder / L"kept.tmp").c_str()));
             test::writeAgedFile(p.file, p.entry().lastWriteTime, "0123456789");
         },
         expectedSkip(), true},
        {"grown, with its old time put back",
         [](Preview& p) { test::writeAgedFile(p.file, p.entry().lastWriteTime, "0123456789 and more"); },
         expectedSkip(), true},
        {"made read-only", [](Preview& p) { ASSERT_TRUE(SetFileAttributesW(p.file.c_str(), FILE_ATTRIBUTE_READONLY)); },
         expectedSkip(), true},
        {"gone", [](Preview& p) { ASSERT_TRUE(DeleteFileW(p.file.c_str())); }, expectedSkip(), false},
        {"a root identity of another folder",
         [](Preview& p) { p.report.roots[0].path = p.folder / L"elsewhere"; }, expectedSkip(), true},
        {"the root folder replaced under the same name, the file moved into it",
         [](Preview& p) {
             std::wstring away = p.folder.path() + L"-away";
             ASSERT_TRUE(MoveFileW(p.folder.path().c_str(), away.c_str()));
             ASSERT_TRUE(CreateDirectoryW(p.folder.path().c_str(), nullptr));
             ASSERT_TRUE(MoveFileW((away + L"\\old.tmp").c_str(), p.file.c_str()));
             ASSERT_TRUE(RemoveDirectoryW(away.c_str()));
         },
         expectedSkip(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Preview preview;
        c.change(preview);
        CleanResult result = preview.remove();
        EXPECT_EQ(counters(result), counters(c.expected));
        EXPECT_EQ(exists(preview.file), c.survives);
        SetFileAttributesW(preview.file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(DeleteEntry, CancelBeforeTheCallChangesOnlyCancelled) {
    Preview preview;
    CleanResult result = preview.remove(true, {}, true);
    CleanResult expected;
    expected.cancelled = true;
    EXPECT_EQ(counters(result), counters(expected));
    EXPECT_TRUE(exists(preview.file));
}

TEST(DeleteEntry, TheAgeFilterIsAppliedOnlyWhenAsked) {
    Preview young(false);
    EXPECT_EQ(counters(young.remove(true)), counters(expectedSkip()));
    EXPECT_TRUE(exists(young.file));
    CleanResult result = young.remove(false);
    EXPECT_EQ(result.filesDeleted, 1u);
    EXPECT_FALSE(exists(young.file));
}

TEST(DeleteEntry, AFileInASubfolderIsDeletedBelowTheSameRoot) {
    Preview preview;
    std::wstring nested = preview.folder / L"a\\b\\nested.tmp";
    test::makeDirectories(preview.folder / L"a\\b");
    test::writeAgedFile(nested, test::nowFileTime() - 48 * kHour, "xyz");
    std::atomic<bool> cancel{false};
    ScanReport report = scanFolder(preview.folder.path(), cancel);
    const FileEntry* entry = test::findEntry(report, nested);
    ASSERT_NE(entry, nullptr);
    CleanResult result;
    deleteEntry(*entry, report.roots[0], true, cancel, result, {});
    EXPECT_EQ(result.filesDeleted, 1u);
    EXPECT_EQ(result.bytesFreed, 3u);
    EXPECT_FALSE(exists(nested));
    EXPECT_TRUE(exists(preview.file));
}

TEST(DeleteEntry, ALockedFileSurvivesBothPolicies) {
    Preview preview;
    // Held by a second handle without FILE_SHARE_DELETE, as another process would.
    HANDLE holder = CreateFileW(preview.file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    CleanResult skip = preview.remove(true, CleanOptions{true});
    CleanResult retry;
    double retryMs = elapsedMs([&] { retry = preview.remove(true, CleanOptions{false}); });
    CloseHandle(holder);

    CleanResult skipped;
    skipped.skipped = 1;
    skipped.lockedSkipped = 1;
    EXPECT_EQ(counters(skip), counters(skipped));
    CleanResult failed;
    failed.failed = 1;
    failed.lockedFailed = 1;
    failed.lockRetries = 2;
    EXPECT_EQ(counters(retry), counters(failed));
    EXPECT_GE(retryMs, 90.0) << "two waits of 50 ms";
    EXPECT_TRUE(exists(preview.file));

    // A reader that allows deletion still holds the file: the open is exclusive, so it is refused all the same.
    HANDLE sharing = CreateFileW(preview.file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(sharing, INVALID_HANDLE_VALUE);
    CleanResult shared = preview.remove(true, CleanOptions{true});
    CloseHandle(sharing);
    EXPECT_EQ(counters(shared), counters(skipped));
    EXPECT_TRUE(exists(preview.file));

    // Once the holders are gone the same entry goes.
    EXPECT_EQ(preview.remove().filesDeleted, 1u);
}

TEST(DeleteEntry, AFileOutsideItsRootIsNeverDeleted) {
    TempFolder parent;
    Preview preview(true, parent.path());
    // A sibling whose name starts with the root's name, holding a file the entry now describes exactly.
    test::makeDirectories(preview.folder.path() + L"Other");
    std::wstring outside = preview.folder.path() + L"Other\\old.tmp";
    test::writeAgedFile(outside, test::nowFileTime() - 48 * kHour, "0123456789");
    const BY_HANDLE_FILE_INFORMATION info = test::identityOf(outside);
    preview.report.entries[0].path = outside;
    preview.report.entries[0].fileIndex = fileIndexOf(info);
    preview.report.entries[0].lastWriteTime = fileTimeValue(info.ftLastWriteTime);
    EXPECT_EQ(counters(preview.remove()), counters(expectedSkip()));
    EXPECT_TRUE(exists(outside));
}

TEST(DeleteEntry, ARootReplacedByAJunctionFailsAndNothingOutsideIsTouched) {
    Preview preview;
    TempFolder outside;
    test::writeAgedFile(outside / L"old.tmp", test::nowFileTime() - 48 * kHour, "0123456789");
    PM_MAKE_JUNCTION_OR_SKIP(outside / L"probe", preview.folder.path());
    ASSERT_TRUE(RemoveDirectoryW((outside / L"probe").c_str()));
    std::wstring moved = preview.folder.path() + L"-moved";
    ASSERT_TRUE(MoveFileW(preview.folder.path().c_str(), moved.c_str()));
    ASSERT_TRUE(createJunction(preview.folder.path(), outside.path())) << GetLastError();
    CleanResult result = preview.remove();
    RemoveDirectoryW(preview.folder.path().c_str());
    MoveFileW(moved.c_str(), preview.folder.path().c_str());
    CleanResult failed;
    failed.failed = 1;  // 4393: the root chain refuses the junction
    EXPECT_EQ(counters(result), counters(failed));
    EXPECT_TRUE(exists(outside / L"old.tmp"));
}

// The runner's Unix symlinks stand where a root or a file was. Whatever the platform reports for them, nothing
// behind them may be deleted. (Wine follows them even with FILE_FLAG_OPEN_REPARSE_POINT.)
TEST(DeleteEntry, NothingIsDeletedThroughALinkStandingWhereARootOrFileWas) {
    const std::wstring links = test::privateLinkFixturesPath(L"delete-root-or-file");
    if (links.empty()) GTEST_SKIP() << "link fixtures are laid out only by the test runner in the private prefix";
    std::atomic<bool> cancel{false};
    ScanReport scanned;
    scanLocations({{links + L"\\scanned", CleanCategory::BrowserCache, false}}, scanned, cancel, {},
                  test::nowFileTime());
    const FileEntry* plain = test::findEntry(scanned, links + L"\\scanned\\plain.bin");
    ASSERT_NE(plain, nullptr);
    const BY_HANDLE_FILE_INFORMATION outside = test::identityOf(links + L"\\outside\\file.bin");

    // The root seen through "alias" (a link to "scanned"), with every identity of the real file and root.
    FileEntry throughAlias = *plain;
    throughAlias.path = links + L"\\alias\\plain.bin";
    throughAlias.root = links + L"\\alias";
    RootIdentity aliasRoot = scanned.roots[0];
    aliasRoot.path = throughAlias.root;
    // A file link below the real root, previewed with the identity of its target outside.
    FileEntry fileLink = *plain;
    fileLink.path = links + L"\\scanned\\file-link";
    fileLink.fileIndex = fileIndexOf(outside);
    fileLink.size = fileSizeOf(outside);
    fileLink.lastWriteTime = fileTimeValue(outside.ftLastWriteTime);

    for (const auto& [entry, root] : {std::pair{throughAlias, aliasRoot}, std::pair{fileLink, scanned.roots[0]}}) {
        SCOPED_TRACE(testing::PrintToString(entry.path));
        CleanResult result;
        deleteEntry(entry, root, false, cancel, result, {});
        EXPECT_EQ(result.filesDeleted, 0u);
        EXPECT_EQ(result.skipped + result.failed, 1u);
    }
    EXPECT_TRUE(exists(links + L"\\scanned\\plain.bin"));
    EXPECT_TRUE(exists(links + L"\\outside\\file.bin"));
}

// The previewed file moved elsewhere below the same root and a Unix symlink put where it was: the open
// reaches the very file the preview saw (same index, size and time), but by another final path.
TEST(DeleteEntry, ALinkWhereTheFileWasToTheSameFileMovedBelowTheRootDeletesNothing) {
    const std::wstring links = test::privateLinkFixturesPath(L"delete-moved");
    if (links.empty()) GTEST_SKIP() << "link fixtures are laid out only by the test runner in the private prefix";
    std::atomic<bool> cancel{false};
    ScanReport scanned;
    scanLocations({{links + L"\\moved", CleanCategory::BrowserCache, false}}, scanned, cancel, {}, test::nowFileTime());
    const FileEntry* moved = test::findEntry(scanned, links + L"\\moved\\inner\\moved.bin");
    ASSERT_NE(moved, nullptr);
    FileEntry wasHere = *moved;
    wasHere.path = links + L"\\moved\\was-here";
    CleanResult result;
    deleteEntry(wasHere, scanned.roots[0], false, cancel, result, {});
    EXPECT_EQ(counters(result), counters(expectedSkip()));
    EXPECT_TRUE(exists(links + L"\\moved\\inner\\moved.bin"));
}

// The parent's chain continues below the held root chain. A directory link placed below the root is refused
// whether the platform shows it (a reparse point, 4393) or follows it (Wine 8: the level's own final path then
// leads outside the root), and an entry previewed through it with the identity of the file it reaches deletes
// nothing.
TEST(DeleteEntry, AChainContinuedBelowTheRootRefusesALinkPlacedBelowIt) {
    const std::wstring links = test::privateLinkFixturesPath(L"delete-below-root");
    if (links.empty()) GTEST_SKIP() << "link fixtures are laid out only by the test runner in the private prefix";
    const std::wstring root = links + L"\\scanned";
    PinnedDirectoryChain held;
    ASSERT_TRUE(openDirectoryChain(held, root));
    ChainBelow below(root, held.finalPath);
    if (below.reach(root + L"\\dir-link"))
        EXPECT_FALSE(isPathInside(below.finalPath(), root)) << testing::PrintToString(below.finalPath());
    else
        EXPECT_EQ(GetLastError(), kErrorReparseTagInvalid);

    std::atomic<bool> cancel{false};
    ScanReport scanned;
    scanLocations({{root, CleanCategory::BrowserCache, false}}, scanned, cancel, {}, test::nowFileTime());
    ASSERT_EQ(scanned.roots.size(), 1u);
    const struct {
        const wchar_t* through;  // below the root
        const wchar_t* reached;  // the file the link leads to
        bool outside;            // the folder the link reaches lies outside the root
    } cases[] = {{L"\\scanned\\dir-link\\file.bin", L"\\outside\\file.bin", true},
                 {L"\\scanned\\inner-link\\deep.bin", L"\\scanned\\inner\\deep.bin", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.through)));
        const BY_HANDLE_FILE_INFORMATION reached = test::identityOf(links + c.reached);
        FileEntry entry{links + c.through, scanned.roots[0].path, fileSizeOf(reached), CleanCategory::BrowserCache,
                        fileTimeValue(reached.ftLastWriteTime), fileIndexOf(reached), reached.dwVolumeSerialNumber};
        // A folder outside the root is refused before any file in it is opened: a file there that another
        // handle holds is never even tried (it would count as locked).
        HandleHolder other(c.outside ? CreateFileW((links + c.reached).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                   OPEN_EXISTING, 0, nullptr)
                                     : INVALID_HANDLE_VALUE);
        CleanResult result;
        deleteEntry(entry, scanned.roots[0], false, cancel, result, {});
        EXPECT_EQ(result.filesDeleted, 0u);
        EXPECT_EQ(result.skipped + result.failed, 1u);
        EXPECT_EQ(result.lockedSkipped, 0u);
        EXPECT_TRUE(exists(links + c.reached));
    }
}

// In a folder that tells case apart, "Sub" and "sub" are two folders. Deleting their entries one after another
// with the directories held from entry to entry, as a clean pass does, pins each entry's own folder: the
// held "Sub" is not taken for "sub".
TEST(DeleteEntry, FoldersDifferingOnlyInCaseAreEachPinnedWhileTheirEntriesAreInHand) {
    const std::wstring root = test::caseOnlyFoldersPath();
    if (root.empty()) GTEST_SKIP() << "the folders Sub and sub are laid out from the Unix side only by the test runner";
    const wchar_t* const names[] = {L"Sub\\a.bin", L"Sub\\b.bin", L"sub\\c.bin", L"sub\\d.bin"};
    for (const wchar_t* name : names) test::writeFile(root + L"\\" + name, "case");
    std::atomic<bool> cancel{false};
    ScanReport scanned;
    scanLocations({{root, CleanCategory::BrowserCache, false}}, scanned, cancel, {}, test::nowFileTime());
    ASSERT_EQ(scanned.roots.size(), 1u);
    ASSERT_EQ(scanned.entries.size(), 4u);
    // Sub's entries, then sub's (ordinal order).
    std::sort(scanned.entries.begin(), scanned.entries.end(),
              [](const FileEntry& x, const FileEntry& y) { return x.path < y.path; });
    std::wstring rootNormal;
    ASSERT_TRUE(normalizePath(scanned.roots[0].path, rootNormal));

    // A rename (or a deletion) of a folder opens it for DELETE, which fails with 32 while another handle holds
    // it without FILE_SHARE_DELETE. The probe stops at that open: under Wine a folder of the pair that was
    // moved away cannot come back, its name then finding the other one.
    auto renamable = [&](const wchar_t* name) {
        HandleHolder folder(CreateFileW((root + L"\\" + name).c_str(), DELETE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!folder.valid()) EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << name;
        return folder.valid();
    };
    HeldDirectories held;
    CleanResult result;
    std::vector<bool> upperRenamable, lowerRenamable;  // after each entry, while its folder is still in hand
    for (const FileEntry& entry : scanned.entries) {
        deleteEntryHeld(entry, scanned.roots[0], rootNormal, false, cancel, result, {}, held);
        upperRenamable.push_back(renamable(L"Sub"));
        lowerRenamable.push_back(renamable(L"sub"));
    }
    held.release();
    CleanResult allDeleted;
    allDeleted.filesDeleted = 4;
    allDeleted.bytesFreed = 16;
    EXPECT_EQ(counters(result), counters(allDeleted));
    EXPECT_EQ(upperRenamable, (std::vector<bool>{false, false, true, true}));
    EXPECT_EQ(lowerRenamable, (std::vector<bool>{true, true, false, false}));
    for (const wchar_t* name : names) EXPECT_FALSE(exists(root + L"\\" + name)) << testing::PrintToString(name);
    EXPECT_TRUE(renamable(L"Sub"));
    EXPECT_TRUE(renamable(L"sub"));
}

}  // namespace
}  // namespace pm
