// The scan and clean-up operations in this process: progress posts, the completion handlers with the
// real history file, the questions of a clean-up, a worker's failure, a full message queue, and memory.
#include "app/format_bytes.h"
#include "app/operations.h"
#include "app/operations_internal.h"
#include "app/worker_messages_internal.h"
#include "app/worker_posts.h"
#include "app/worker_posts_internal.h"
#include "app/commands.h"
#include "app/large_files_internal.h"
#include "app/large_operations.h"
#include "services/history/history_writer.h"
#include "services/history/text_codec.h"
#include "engine/recycle_bin.h"
#include "engine/scan.h"
#include "services/i18n/translate.h"
#include "tests/app/history_lines.h"
#include "tests/app/test_allocator.h"
#include "tests/engine/clean_fixtures.h"
#include "tests/app/ops_window.h"
#include "tests/engine/location_fixtures.h"
#include "tests/support/test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace pm {
namespace {

constexpr wchar_t CleanFailedPhrase[] =
    L"Очистка прервана из-за ошибки. Файлы, которые не удалось обработать, сохранены.";

int countQueued(HWND window, UINT message) {
    int count = 0;
    MSG queued;
    while (PeekMessageW(&queued, window, message, message, PM_REMOVE)) {
        delete reinterpret_cast<ProgressUpdate*>(queued.lParam);
        ++count;
    }
    return count;
}

struct LanguageScope {
    explicit LanguageScope(int language) : saved(currentLanguage) { currentLanguage = language; }
    ~LanguageScope() { currentLanguage = saved; }
    int saved;
};

// Made and destroyed with the test: its destructor counts, so a record the poster drops is seen to be freed.
struct CountedRecord {
    static inline std::atomic<int> alive{0};
    CountedRecord() { ++alive; }
    ~CountedRecord() { --alive; }
};

TEST(ProgressPosts, OnePostPer80MsPerThreadButTheFinalReportAlways) {
    test::OpsWindow ops;
    // A fresh thread starts with its own tick: its first report always goes out.
    std::thread([] {
        postProgress(L"a", 1, 10);
        Sleep(50);
        postProgress(L"b", 2, 10);   // 50 ms later, not complete: dropped
        postProgress(L"c", 10, 10);  // complete: posted at once
    }).join();
    EXPECT_EQ(countQueued(ops.window, WM_APP_PROGRESS), 2);
    std::thread([] {
        postProgress(L"scan", 1, 0);
        Sleep(100);
        postProgress(L"scan", 2, 0);  // 100 ms later: posted
    }).join();
    EXPECT_EQ(countQueued(ops.window, WM_APP_PROGRESS), 2);
}

TEST(WorkerMessages, ProgressLinesSizesAndCleanResultsInEnglishAndRussian) {
    const CleanResult plain{3565158, 12, 1, 0, 0, 0, 0, false, false};
    CleanResult emptied = plain;
    emptied.recycleBinEmptied = true;
    CleanResult cancelled = plain;
    cancelled.cancelled = true;
    struct Case {
        int language;
        std::wstring actual;
        std::wstring expected;
    };
    const std::wstring dot = L" \u00B7 ";
    std::vector<Case> cases;
    {
        LanguageScope english(EnglishLanguage);
        cases.push_back({1, progressLine(L"Finished", 10, 40), L"Processed: 10 / 40" + dot + L"Cleanup complete."});
        cases.push_back({1, progressLine(L"C:\\t\\a.tmp", 7, 0), L"Files checked: 7" + dot + L"C:\\t\\a.tmp"});
        cases.push_back({1, progressLine(L"Cancelled", 5, 5), L"Processed: 5 / 5" + dot + L"Cleanup canceled."});
        cases.push_back({1, progressLine(L"Recycle Bin", 5, 6), L"Processed: 5 / 6" + dot + L"Recycle Bin"});
        cases.push_back({1, cleanResultText(plain),
                         L"Cleanup complete.\nDeleted: 12 files; 3.4 MB.\nSkipped: 1. Errors: 0\n\n"
                         L"Scan again to update the list."});
        cases.push_back({1, cleanResultText(emptied),
                         L"Cleanup complete.\nDeleted: 12 files; 3.4 MB.\nSkipped: 1. Errors: 0\nRecycle Bin emptied."
                         L"\n\nScan again to update the list."});
        cases.push_back({1, cleanResultText(cancelled).substr(0, 18), L"Cleanup canceled.\n"});
        cases.push_back({1, formatBytes(1023), L"1023 B"});
        cases.push_back({1, formatBytes(1024), L"1.0 KB"});
        cases.push_back({1, formatBytes(5ULL << 30), L"5.00 GB"});
    }
    {
        LanguageScope russian(0);
        cases.push_back({0, cleanResultText(emptied),
                         L"Очистка завершена.\nУдалено: 12 файлов; 3.4 МБ.\nПропущено: 1. Ошибки: 0\nКорзина очищена."
                         L"\n\nПовторите анализ для обновления списка."});
        cases.push_back({0, formatBytes(5ULL << 30), L"5.00 ГБ"});
        cases.push_back({0, formatBytes(1048575), L"1024.0 КБ"});
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i << " language " << cases[i].language);
        EXPECT_EQ(cases[i].actual, cases[i].expected);
    }
}

// Handlers that write the real history file.
class HandlerTest : public testing::Test {
protected:
    void SetUp() override { PM_REQUIRE_TEST_PREFIX(); }
};

TEST_F(HandlerTest, ScanDoneCountsTheRecycleBinAndContinuesAWaitingExit) {
    for (bool exiting : {false, true}) {
        SCOPED_TRACE(exiting);
        test::OpsWindow ops;
        exitAfterOperation = exiting;
        cancelRequested = exiting;  // an exit raises the flag
        busy = true;
        operationPhase = PhaseScanning;
        auto* report = new ScanReport;
        for (int i = 0; i < 10; ++i) report->entries.push_back(FileEntry{L"C:\\t\\f" + std::to_wstring(i), L"C:\\t", 1000});
        report->categoryBytes = {10000, 0};
        report->recycleBinItems = 3;
        report->recycleBinBytes = 500;
        report->skipped = 4;
        report->errors = 2;
        const size_t before = test::readHistoryLines().size();
        ASSERT_TRUE(PostMessageW(ops.window, WM_APP_SCAN_DONE, 0, reinterpret_cast<LPARAM>(report)));
        ops.pumpUntil([] { return !busy; }, 2000);
        ops.pumpUntil([] { return false; }, 100);  // the continuation, when one was posted

        EXPECT_FALSE(busy);
        EXPECT_EQ(operationPhase, PhaseIdle);
        EXPECT_TRUE(analysisPresent);
        EXPECT_EQ(scanReport.entries.size(), 10u);
        EXPECT_EQ(lastOperationKind, 1u);
        EXPECT_EQ(lastCancelled, exiting);
        EXPECT_EQ(ops.exitContinuations, exiting ? 1 : 0);
        EXPECT_TRUE(ops.dialogCaptions.empty()) << "a scan shows no box";
        const std::vector<JsonValue> records = test::historyObjectsAfter(before);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(test::historyCounters(records[0]), "scan 13 10500 4 2");
        EXPECT_EQ(jsonGetBool(records[0], "cancelled", !exiting), exiting);
    }
}

TEST_F(HandlerTest, CleanDoneShowsItsBoxOnlyWhenTheWindowIsOnScreen) {
    struct Case {
        bool shown;
        bool inTray;
        bool exiting;
        size_t boxes;
        int continuations;
    } cases[] = {
        {true, false, false, 1, 0},
        {false, true, false, 0, 0},  // hidden to the tray: status and history only
        {true, false, true, 0, 1},   // an exit waits: it goes on instead of a box
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.shown << c.inTray << c.exiting);
        test::OpsWindow ops;
        LanguageScope english(EnglishLanguage);
        if (c.shown) ShowWindow(ops.window, SW_SHOWNORMAL);
        ui::hiddenToTray = c.inTray;
        exitAfterOperation = c.exiting;
        analysisPresent = true;
        scanReport.entries.resize(3);
        busy = true;
        operationPhase = PhaseCleaning;
        auto* result = new CleanResult{2048, 2, 1, 1, 0, 0, 0, true, false};
        const size_t before = test::readHistoryLines().size();
        ASSERT_TRUE(PostMessageW(ops.window, WM_APP_CLEAN_DONE, 0, reinterpret_cast<LPARAM>(result)));
        ops.pumpUntil([] { return !busy; }, 2000);
        ops.pumpUntil([&] { return ops.dialogCaptions.size() >= c.boxes; }, 2000);
        ops.pumpUntil([] { return false; }, 150);

        EXPECT_EQ(ops.dialogCaptions.size(), c.boxes);
        EXPECT_EQ(ops.exitContinuations, c.continuations);
        EXPECT_FALSE(analysisPresent);
        EXPECT_TRUE(scanReport.entries.empty());
        EXPECT_EQ(lastOperationKind, 2u);
        EXPECT_EQ(lastBytes, 2048u);
        EXPECT_EQ(lastResultText.substr(0, 18), L"Cleanup complete.\n");
        const std::vector<JsonValue> records = test::historyObjectsAfter(before);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(test::historyCounters(records[0]), "cleanup 2 2048 1 1");
        EXPECT_TRUE(jsonGetBool(records[0], "recycle_emptied", false));
    }
}

TEST_F(HandlerTest, WorkerExceptionBecomesTheFixedPhraseAndKeepsTheAnalysis) {
    const ProgressCallback throwing = [](const std::wstring&, uint64_t, uint64_t) {
        throw std::runtime_error("engine failure");
    };
    struct Case {
        bool clean;
        const wchar_t* text;
    } cases[] = {
        {false, L"Не удалось завершить анализ."},
        {true, L"Очистка прервана из-за ошибки. Файлы, которые не удалось обработать, сохранены."},
    };
    test::UserTempFolder folder;
    folder.agedFile(L"old.tmp", "old");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clean);
        test::OpsWindow ops;
        analysisPresent = true;
        scanReport.entries.resize(5);
        busy = true;
        const size_t before = test::readHistoryLines().size();
        if (c.clean) {
            std::atomic<bool> cancel{false};
            CleanRequest request{scanFolder(folder.location, cancel), {true, false, false}, false, AppSettings{}};
            std::erase_if(request.report.entries,
                          [&](const FileEntry& e) { return e.path.find(folder.path()) != 0; });
            ASSERT_EQ(request.report.entries.size(), 1u);
            runCleanWorkerWith(std::move(request), throwing);
        } else {
            runScanWorkerWith(throwing);
        }
        MSG posted{};
        ASSERT_TRUE(PeekMessageW(&posted, ops.window, WM_APP_WORKER_ERROR, WM_APP_WORKER_ERROR, PM_NOREMOVE));
        EXPECT_EQ(reinterpret_cast<WorkerFailure*>(posted.lParam)->text, c.text);
        ops.pumpUntil([] { return !busy; }, 2000);

        EXPECT_EQ(statusText, c.text);
        EXPECT_EQ(lastOperationKind, 0u);
        EXPECT_TRUE(analysisPresent);
        EXPECT_EQ(scanReport.entries.size(), 5u);
        const std::vector<JsonValue> records = test::historyObjectsAfter(before);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(jsonGetString(records[0], "kind", ""), "message");
        EXPECT_EQ(jsonGetString(records[0], "message", ""), test::catalogId(c.text));
    }
}

// The window's progress post allocates and may throw: the worker still reports how much it had deleted.
TEST_F(HandlerTest, ACleanUpFailingMidwayReportsWhatItDeleted) {
    LanguageScope english(EnglishLanguage);
    test::UserTempFolder folder;
    for (const wchar_t* name : {L"a.tmp", L"b.tmp", L"c.tmp"}) folder.agedFile(name, "12345");
    test::OpsWindow ops;
    analysisPresent = true;
    busy = true;
    std::atomic<bool> cancel{false};
    CleanRequest request{scanFolder(folder.location, cancel), {true, false, false}, false, AppSettings{}};
    std::erase_if(request.report.entries, [&](const FileEntry& e) { return e.path.find(folder.path()) != 0; });
    ASSERT_EQ(request.report.entries.size(), 3u);
    int calls = 0;
    runCleanWorkerWith(std::move(request), [&](const std::wstring&, uint64_t, uint64_t) {
        if (++calls == 3) throw std::bad_alloc();  // before the third file: two are gone
    });
    MSG posted{};
    ASSERT_TRUE(PeekMessageW(&posted, ops.window, WM_APP_WORKER_ERROR, WM_APP_WORKER_ERROR, PM_NOREMOVE));
    const WorkerFailure& failure = *reinterpret_cast<WorkerFailure*>(posted.lParam);
    ASSERT_TRUE(failure.cleaned.has_value());
    EXPECT_EQ(failure.cleaned->filesDeleted, 2u);
    EXPECT_EQ(failure.cleaned->bytesFreed, 10u);
    const std::wstring counters = cleanCountersText(*failure.cleaned);
    const size_t before = test::readHistoryLines().size();
    ops.pumpUntil([] { return !busy; }, 2000);

    EXPECT_EQ(statusText, CleanFailedPhrase);
    EXPECT_FALSE(analysisPresent) << "two of the previewed files are gone";
    const std::vector<JsonValue> records = test::historyObjectsAfter(before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(jsonGetString(records[0], "message", ""), test::catalogId(CleanFailedPhrase));
    EXPECT_EQ(jsonGetString(records[0], "detail", ""), encodeUtf8(L"\n" + counters));
    EXPECT_NE(counters.find(L"Deleted: 2 files"), std::wstring::npos);
    int left = 0;
    for (const wchar_t* name : {L"a.tmp", L"b.tmp", L"c.tmp"})
        if (GetFileAttributesW((folder / name).c_str()) != INVALID_FILE_ATTRIBUTES) ++left;
    EXPECT_EQ(left, 1);
}

// The last progress call may throw too, after the Recycle Bin was emptied: the history says it was.
TEST_F(HandlerTest, ACleanUpFailingAfterEmptyingTheBinSaysItWasEmptied) {
    PM_REQUIRE_PRIVATE_RECYCLE_BIN();
    LanguageScope english(EnglishLanguage);
    test::UserTempFolder folder;
    test::emptyRecycleBin();
    test::writeFile(folder / L"binned.txt", "12345");
    ASSERT_TRUE(test::recycle(folder / L"binned.txt"));
    test::OpsWindow ops;
    analysisPresent = true;
    busy = true;
    CleanRequest request{ScanReport{}, {false, false, true}, false, AppSettings{}};
    RecycleBinTotals bin;
    ASSERT_TRUE(queryRecycleBinTotals(bin));
    request.report.recycleBinItems = bin.items;
    request.report.recycleBinBytes = bin.bytes;
    request.report.recycleBinFingerprinted =
        readRecycleBinFingerprint(request.report.recycleBinFingerprint) == RecycleBinReading::Read;
    ASSERT_TRUE(request.report.recycleBinFingerprinted);
    const size_t before = test::readHistoryLines().size();
    runCleanWorkerWith(std::move(request), [](const std::wstring& label, uint64_t, uint64_t) {
        if (label == L"Finished") throw std::bad_alloc();
    });
    ops.pumpUntil([] { return !busy; }, 2000);

    EXPECT_EQ(test::queryRecycleBin().i64NumItems, 0);
    EXPECT_FALSE(analysisPresent);
    const std::vector<JsonValue> records = test::historyObjectsAfter(before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(jsonGetString(records[0], "detail", "").find("Deleted: 1 files; 5 B.\nSkipped: 0. Errors: 0\nRecycle Bin emptied."),
              std::string::npos)
        << jsonGetString(records[0], "detail", "");
}

// The "skip files in use" setting reaches the clean pass through the window's worker.
TEST_F(HandlerTest, TheLockedFileSettingReachesTheCleanUpWorker) {
    test::UserTempFolder folder;
    folder.agedFile(L"held.tmp", "held");
    test::OpsWindow ops;
    for (bool skipLocked : {false, true}) {
        SCOPED_TRACE(skipLocked);
        std::atomic<bool> cancel{false};
        AppSettings settings;
        settings.skip_locked = skipLocked;
        CleanRequest request{scanFolder(folder.location, cancel), {true, false, false}, false, settings};
        std::erase_if(request.report.entries, [&](const FileEntry& e) { return e.path.find(folder.path()) != 0; });
        ASSERT_EQ(request.report.entries.size(), 1u);
        HANDLE holder = CreateFileW((folder / L"held.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        runCleanWorkerWith(std::move(request), {});
        CloseHandle(holder);
        MSG posted{};
        ASSERT_TRUE(PeekMessageW(&posted, ops.window, WM_APP_CLEAN_DONE, WM_APP_CLEAN_DONE, PM_REMOVE));
        const std::unique_ptr<CleanResult> result(reinterpret_cast<CleanResult*>(posted.lParam));
        EXPECT_EQ(result->lockRetries, skipLocked ? 0u : 2u);
        EXPECT_EQ(result->lockedFailed, skipLocked ? 0u : 1u);
        EXPECT_EQ(result->lockedSkipped, skipLocked ? 1u : 0u);
        EXPECT_EQ(result->filesDeleted, 0u);
    }
}

// A file saved over a listed one in the last instant went to the bin instead: the result box and the
// history name it, and the history counts it among the errors. A name too long for the history's detail
// is left out of the detail only, never costing the record.
TEST_F(HandlerTest, AMoveThatTookAnotherFileNamesIt) {
    LanguageScope english(EnglishLanguage);
    const std::wstring taken = L"C:\\d\\report.docx", deep = L"C:\\d\\" + std::wstring(MaxHistoryTextUnits, L'x');
    test::OpsWindow ops;
    ShowWindow(ops.window, SW_SHOWNORMAL);
    busy = true;
    RecycleReport report;
    report.recycled = 1;
    report.bytesRecycled = 10;
    report.failed = 2;
    report.outcomes = {{0, large::RecycleStatus::Recycled, 0, {}},
                       {1, large::RecycleStatus::Failed, 1006, deep},
                       {2, large::RecycleStatus::Failed, 1006, taken}};
    const size_t before = test::readHistoryLines().size();
    finishRecycleLarge(report);

    ASSERT_EQ(ops.dialogTexts.size(), 1u);
    EXPECT_NE(ops.dialogTexts[0].find(L"if you need it: " + taken), std::wstring::npos) << ops.dialogTexts[0];
    EXPECT_NE(ops.dialogTexts[0].find(L"if you need it: " + deep), std::wstring::npos);
    const std::vector<JsonValue> records = test::historyObjectsAfter(before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(test::historyCounters(records[0]), "recycle 1 10 0 2");
    EXPECT_EQ(jsonGetString(records[0], "detail", ""), encodeUtf8(detail::movedInsteadLines({taken})));
}

// A throwing engine call whose failure text cannot be allocated either: the worker ends without taking the
// process with it (an exception leaving a thread's body ends the program), and the operation still ends.
TEST_F(HandlerTest, WorkerFailureWithoutMemoryForItsTextStillEndsTheOperation) {
    const ProgressCallback outOfMemory = [](const std::wstring&, uint64_t, uint64_t) {
        test::allocationsFail = true;
        throw std::bad_alloc();
    };
    test::UserTempFolder folder;
    folder.agedFile(L"old.tmp", "old");
    for (bool clean : {false, true}) {
        SCOPED_TRACE(clean);
        test::OpsWindow ops;
        std::atomic<bool> cancel{false};
        CleanRequest request{scanFolder(folder.location, cancel), {true, false, false}, false, AppSettings{}};
        std::erase_if(request.report.entries, [&](const FileEntry& e) { return e.path.find(folder.path()) != 0; });
        ASSERT_EQ(request.report.entries.size(), 1u);
        bool escaped = false;
        try {
            if (clean) {
                runCleanWorkerWith(std::move(request), outOfMemory);
            } else {
                runScanWorkerWith(outOfMemory);
            }
        } catch (...) {
            escaped = true;
        }
        test::allocationsFail = false;
        EXPECT_FALSE(escaped);
        // Not even a record: the bare message still ends the operation with its fixed phrase.
        MSG posted{};
        ASSERT_TRUE(PeekMessageW(&posted, ops.window, WM_APP_WORKER_ERROR, WM_APP_WORKER_ERROR, PM_NOREMOVE));
        EXPECT_EQ(posted.lParam, 0);
        busy = true;
        operationPhase = clean ? PhaseCleaning : PhaseScanning;
        ops.pumpUntil([] { return !busy; }, 2000);
        EXPECT_FALSE(busy);
        EXPECT_EQ(statusText, clean ? std::wstring(CleanFailedPhrase) : std::wstring(L"Не удалось завершить анализ."));
    }
}

// A completion message without its record (none of ours sends one) changes nothing: the analysis, the
// status and the history stay as they are.
TEST_F(HandlerTest, CompletionWithoutARecordIsIgnored) {
    for (UINT message : {WM_APP_SCAN_DONE, WM_APP_CLEAN_DONE, WM_APP_WORKER_ERROR}) {
        SCOPED_TRACE(message - WM_APP);
        test::OpsWindow ops;
        analysisPresent = true;
        scanReport.entries.resize(5);
        lastOperationKind = 1;
        const size_t before = test::readHistoryLines().size();
        SendMessageW(ops.window, message, 0, 0);
        EXPECT_TRUE(analysisPresent);
        EXPECT_EQ(scanReport.entries.size(), 5u);
        EXPECT_EQ(lastOperationKind, 1u);
        EXPECT_EQ(statusText, L"Готов к анализу");
        EXPECT_TRUE(test::historyObjectsAfter(before).empty());
    }
}

std::thread noThreadToSpare(std::function<void()>) {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

// The system has no thread to spare: the starter ends the operation at once, as a failed worker would.
TEST_F(HandlerTest, WorkerThatCannotStartLeavesTheWindowIdleWithItsFailureText) {
    const struct {
        int command;
        const wchar_t* text;
    } cases[] = {
        {120, L"Не удалось завершить анализ."},
        {121, L"Очистка прервана из-за ошибки. Файлы, которые не удалось обработать, сохранены."},
    };
    const WorkerThreadMaker usual = makeWorkerThread;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        test::OpsWindow ops;
        ShowWindow(ops.window, SW_SHOWNORMAL);
        analysisPresent = true;
        scanReport.entries.resize(1);
        cleanSelection = {false, false, false};
        ops.answers = {IDYES};  // the clean-up's confirmation
        const size_t before = test::readHistoryLines().size();
        makeWorkerThread = noThreadToSpare;
        onCommand(c.command);
        makeWorkerThread = usual;
        ops.pumpUntil([] { return false; }, 200);

        EXPECT_FALSE(busy);
        EXPECT_EQ(operationPhase, PhaseIdle);
        EXPECT_FALSE(workerThread.joinable());
        EXPECT_EQ(statusText, c.text);
        EXPECT_TRUE(progressText.empty());
        EXPECT_TRUE(analysisPresent) << "the analysis stays";
        ASSERT_FALSE(ops.dialogCaptions.empty());
        EXPECT_EQ(ops.dialogCaptions.back(), L"Pelmirt 1.2.0") << "the failure is shown";
        const std::vector<JsonValue> records = test::historyObjectsAfter(before);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(jsonGetString(records[0], "kind", ""), "message");
        EXPECT_EQ(jsonGetString(records[0], "message", ""), test::catalogId(c.text));
    }
}

// startClean's questions, answered by the watcher: what is asked, and what a "No" leaves behind.
TEST_F(HandlerTest, CleanAsksOnlyTheDueQuestionsAndANoStartsNothing) {
    LanguageScope english(EnglishLanguage);
    const std::wstring confirm = L"Confirm cleanup", bin = L"Empty Recycle Bin";
    struct Case {
        bool binSelected;
        int64_t binItems;
        std::vector<int> answers;
        std::vector<std::wstring> asked;
        bool started;
    } cases[] = {
        {false, 3, {IDNO}, {confirm}, false},
        {true, 0, {IDNO}, {confirm}, false},
        {true, 2, {IDYES, IDNO}, {confirm, bin}, false},
        {false, 3, {IDYES}, {confirm}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.binSelected << " " << c.binItems << " " << c.answers.size());
        test::UserTempFolder folder;
        folder.agedFile(L"old.tmp", "0123456789");
        test::OpsWindow ops;
        ShowWindow(ops.window, SW_SHOWNORMAL);
        std::atomic<bool> cancel{false};
        scanReport = scanFolder(folder.location, cancel);
        std::erase_if(scanReport.entries, [&](const FileEntry& e) { return e.path.find(folder.path()) != 0; });
        ASSERT_EQ(scanReport.entries.size(), 1u);
        scanReport.recycleBinItems = c.binItems;
        scanReport.recycleBinBytes = c.binItems * 100;  // never the real bin's: the engine would not empty it
        analysisPresent = true;
        cleanSelection = {true, false, c.binSelected};
        ops.answers = c.answers;
        const size_t before = test::readHistoryLines().size();

        onCommand(121);
        const bool started = busy;
        ops.pumpUntil([] { return !busy; }, 5000);
        ops.pumpUntil([&] { return !c.started || ops.dialogCaptions.size() > c.asked.size(); }, 3000);

        EXPECT_EQ(started, c.started);
        ASSERT_GE(ops.dialogCaptions.size(), c.asked.size());
        EXPECT_EQ(std::vector<std::wstring>(ops.dialogCaptions.begin(), ops.dialogCaptions.begin() + c.asked.size()),
                  c.asked);
        const bool exists = GetFileAttributesW((folder / L"old.tmp").c_str()) != INVALID_FILE_ATTRIBUTES;
        EXPECT_EQ(exists, !c.started) << lastResultText;
        EXPECT_EQ(analysisPresent, !c.started) << "a No keeps the analysis";
        EXPECT_EQ(test::historyObjectsAfter(before).size(), c.started ? 1u : 0u);
    }
}

TEST_F(HandlerTest, GuardsStartNothingAndCancelSaysWhatStaysDeleted) {
    test::OpsWindow ops;
    struct Guard {
        bool busy, exitAfter, exitPending;
        uint32_t modal;
    } guards[] = {{true, false, false, 0}, {false, true, false, 0}, {false, false, true, 0}, {false, false, false, 1}};
    for (const Guard& g : guards) {
        busy = g.busy;
        exitAfterOperation = g.exitAfter;
        ui::exitPending = g.exitPending;
        ui::modalDepth = g.modal;
        analysisPresent = true;
        onCommand(120);
        onCommand(121);
        EXPECT_FALSE(workerThread.joinable());
        EXPECT_EQ(operationPhase, PhaseIdle);
        EXPECT_TRUE(ops.dialogCaptions.empty());
    }
    test::resetShellState(ops.window);
    for (int phase : {PhaseScanning, PhaseCleaning}) {
        operationPhase = phase;
        cancelRequested = false;
        onCommand(122);
        EXPECT_TRUE(cancelRequested);
        EXPECT_EQ(progressText, phase == PhaseCleaning ? L"Отмена… уже удалённые файлы не восстанавливаются." : L"Отмена…");
    }
    operationPhase = PhaseIdle;

    // A worker that could not start ends like a failed one: idle again, the reason in status and history.
    const size_t before = test::readHistoryLines().size();
    busy = true;
    operationPhase = PhaseScanning;
    finishWithError(L"Не удалось завершить анализ.");
    EXPECT_FALSE(busy);
    EXPECT_EQ(operationPhase, PhaseIdle);
    EXPECT_EQ(statusText, L"Не удалось завершить анализ.");
    EXPECT_EQ(test::historyObjectsAfter(before).size(), 1u);
}

// A window whose thread does not run its loop while another thread fills its queue, as a flood would.
TEST(CompletionPosts, FullQueueIsWaitedOutUntilTheWindowDrainsIt) {
    test::OpsWindow ops;
    int filled = 0;
    DWORD refusal = 0;
    std::thread([&] {
        while (filled < 20000 && PostMessageW(ops.window, WM_NULL, 0, 0)) ++filled;
        refusal = GetLastError();
    }).join();
    // Wine 8 has no limit on posted messages; Windows refuses the 10,001st with ERROR_NOT_ENOUGH_QUOTA.
    if (filled >= 20000) GTEST_SKIP() << "the message queue took 20,000 posts without refusing one";
    ASSERT_EQ(refusal, static_cast<DWORD>(ERROR_NOT_ENOUGH_QUOTA));
    bool posted = false;
    std::thread poster([&] { posted = postCompletion(WM_APP_SCAN_DONE, std::make_unique<ScanReport>()); });
    Sleep(300);
    busy = true;
    ops.pumpUntil([] { return !busy; }, 8000);
    poster.join();
    EXPECT_TRUE(posted);
    EXPECT_TRUE(analysisPresent) << "the scan record reached its handler";
}

// The same rule through a posting call that refuses as a full queue does, for as long as the test says.
std::atomic<bool> queueFull{false};
std::atomic<int> refusals{0};
BOOL WINAPI postUnlessFull(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (queueFull) {
        ++refusals;
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    return PostMessageW(window, message, wParam, lParam);
}

TEST(CompletionPosts, RefusedPostsAreRetriedWithinTheBudgetAndAGoneWindowIsNot) {
    test::OpsWindow ops;
    struct Case {
        DWORD fullForMs;
        DWORD budgetMs;
        bool posted;
    } cases[] = {{300, 5000, true}, {100000, 300, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.budgetMs);
        queueFull = true;
        refusals = 0;
        CountedRecord* record = new CountedRecord;
        bool posted = false;
        std::atomic<bool> finished{false};
        const ULONGLONG start = GetTickCount64();
        std::thread poster([&] {
            posted = postCompletionRecordWith(postUnlessFull, WM_APP_CLEAN_DONE, reinterpret_cast<LPARAM>(record),
                                              c.budgetMs);
            if (!posted) delete record;
            finished = true;
        });
        while (GetTickCount64() - start < c.fullForMs && !finished) Sleep(10);
        queueFull = false;
        poster.join();
        const ULONGLONG elapsed = GetTickCount64() - start;
        EXPECT_EQ(posted, c.posted);
        EXPECT_GT(refusals, 1) << "retried";
        EXPECT_GE(elapsed, std::min(c.fullForMs, c.budgetMs));
        MSG queued{};
        EXPECT_EQ(PeekMessageW(&queued, ops.window, WM_APP_CLEAN_DONE, WM_APP_CLEAN_DONE, PM_REMOVE) != FALSE, c.posted);
        if (c.posted) delete reinterpret_cast<CountedRecord*>(queued.lParam);
        EXPECT_EQ(CountedRecord::alive, 0);
    }

    // A window that is gone: no retries, the record destroyed at once.
    HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    ui::mainWindow = gone;
    const ULONGLONG goneStart = GetTickCount64();
    EXPECT_FALSE(postCompletion(WM_APP_CLEAN_DONE, std::make_unique<CountedRecord>()));
    EXPECT_LT(GetTickCount64() - goneStart, 1000u);
    EXPECT_EQ(CountedRecord::alive, 0);
    ui::mainWindow = ops.window;
}

// Every record a worker posts is freed: by the handler when the post went out, by the poster when it
// failed (the window is gone). Counted in C++ allocations after whole rounds of progress and scan posts
// to both windows, with the shell's own state put back to its start each time: a single leaked record
// shows as a difference, and nothing else in a round keeps an allocation.
TEST_F(HandlerTest, RecordsAreNeverLeakedAlsoWhenAPostFails) {
    test::OpsWindow ops;
    HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    const std::wstring label = L"C:\\Users\\Public\\AppData\\Local\\Temp\\report.tmp";
    auto round = [&] {
        for (HWND target : {ops.window, gone}) {
            ui::mainWindow = target;
            std::thread([&] {
                for (int i = 0; i < 500; ++i) postProgress(label, 1, 1);  // complete: every one is posted
            }).join();
            for (int scan = 0; scan < 5; ++scan) {
                busy = true;
                std::thread(runScanWorker).join();
                if (target == ops.window) ops.pumpUntil([] { return !busy; }, 5000);
            }
            ui::mainWindow = ops.window;
            ops.pumpUntil([] { return false; }, 50);
        }
        test::resetShellState(ops.window);
    };
    round();  // the shell's strings and the history file's buffers reach their working size
    const std::int64_t start = test::liveAllocations();
    for (int i = 1; i <= 3; ++i) {
        round();
        EXPECT_EQ(test::liveAllocations(), start) << "allocations held after round " << i;
    }
}

}  // namespace
}  // namespace pm
