// Scan and clean-up through pelmirt.exe, driven from this process as a user would, on fixtures where the
// system keeps them in the private prefix: aged and fresh temporary files, Chrome and Firefox caches, the
// Recycle Bin, and a stand-in chrome.exe.
#include "engine/scan.h"
#include "services/i18n/translate.h"
#include "services/state/state_file.h"
#include "tests/app/history_lines.h"
#include "tests/app/ops_window.h"
#include "tests/engine/clean_fixtures.h"
#include "tests/engine/location_fixtures.h"
#include "tests/engine/stand_in_process.h"
#include "tests/support/app_driver.h"
#include "tests/support/test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace pm {
namespace {

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

using test::historyCounter;

// The first record of the kind appended after `before` lines, waiting up to timeoutMs.
JsonValue waitForRecord(size_t before, const char* kind, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        for (const JsonValue& record : test::historyObjectsAfter(before)) {
            if (jsonGetString(record, "kind", "") == kind) return record;
        }
        Sleep(50);
    } while (GetTickCount64() < deadline);
    return {};
}

void command(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

// Answers the next box of the program: its caption, after pressing the button.
std::wstring answer(HWND window, int button) {
    HWND dialog = test::waitForDialog(window, 10000);
    if (!dialog) return L"<no box>";
    const std::wstring caption = test::windowText(dialog);
    test::pressTaskDialogButton(dialog, button);
    for (int i = 0; i < 200 && IsWindow(dialog); ++i) Sleep(10);
    return caption;
}

// Every fixture of a run, with the program's settings (English, browser closing as asked) written before it
// starts and the previous state file put back afterwards.
class OpsEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        PM_REQUIRE_PRIVATE_RECYCLE_BIN();
        savedState_ = test::readFile(statePath());
        test::emptyRecycleBin();
        for (const wchar_t* name : {L"a.tmp", L"b.tmp", L"c.tmp"}) {
            temp_.agedFile(name, std::string(1000, 'x'));
            aged_.push_back(temp_ / name);
        }
        test::writeFile(temp_ / L"fresh.tmp", "fresh");
        caches_ = {browsers_.chrome + L"\\Default\\Cache\\Cache_Data\\data_1",
                   browsers_.firefox + L"\\p1.default\\cache2\\entries\\AB12"};
        for (const std::wstring& cache : caches_) browsers_.file(cache);
        for (int i = 0; i < 2; ++i) {
            const std::wstring binned = temp_ / (L"binned" + std::to_wstring(i) + L".txt");
            test::writeFile(binned, "to the bin");
            ASSERT_TRUE(test::recycle(binned));
        }
    }

    void TearDown() override {
        if (savedState_ == "<missing>") {
            DeleteFileW(statePath().c_str());
        } else if (!savedState_.empty()) {
            test::writeFile(statePath(), savedState_);
        }
        test::emptyRecycleBin();
    }

    static std::wstring statePath() { return appDataDir() + L"\\state.dat"; }

    // Starts the program with these settings and runs its scan; the window, or null. A step that fails says
    // which it was and what it saw, so that a rare failure can be told apart.
    HWND startAndScan(test::AppProcess& process, bool closeBrowsers, JsonValue& scanRecord) {
        AppSettings settings;
        settings.language = "en";
        settings.close_browsers = closeBrowsers;
        saveAppState(settings);
        HWND window = test::startMainWindow(process, L"");
        if (!window) return nullptr;
        const size_t before = test::readHistoryLines().size();
        command(window, 120);
        scanRecord = waitForRecord(before, "scan", 30000);
        if (jsonGetString(scanRecord, "kind", "") != "scan") {
            ADD_FAILURE() << "no scan record after line " << before << " of " << test::readHistoryLines().size()
                          << " in the history; the window " << (IsWindow(window) ? "is there" : "is gone")
                          << ", the process: " << process.state();
        }
        return window;
    }

    // The same, once the scan's record is there; null otherwise.
    HWND startAndScan(test::AppProcess& process, bool closeBrowsers) {
        JsonValue scan;
        HWND window = startAndScan(process, closeBrowsers, scan);
        return jsonGetString(scan, "kind", "") == "scan" ? window : nullptr;
    }

    // Starts the clean-up of the analysis, answering "Yes" to its confirmation and to the browser question.
    static void cleanUpClosingBrowsers(HWND window) {
        command(window, 121);
        EXPECT_EQ(answer(window, IDYES), translate(L"Подтверждение очистки"));
        EXPECT_EQ(answer(window, IDYES), translate(L"Закрытие браузеров"));
    }

    test::UserTempFolder temp_;
    test::BrowserLayout browsers_;
    std::vector<std::wstring> aged_;
    std::vector<std::wstring> caches_;
    std::string savedState_;
};

TEST_F(OpsEndToEnd, ScanThenCleanUpDeletesExactlyWhatWasPreviewedAndSelected) {
    std::atomic<bool> cancel{false};
    const ScanReport expected = scanTargets(cancel, {});
    ASSERT_EQ(expected.recycleBinItems, 2);
    uint64_t previewed = 0;
    for (const FileEntry& entry : expected.entries) previewed += entry.category != CleanCategory::RecycleBin;

    JsonValue scan;
    test::AppProcess process;
    HWND window = startAndScan(process, false, scan);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(jsonGetString(scan, "kind", ""), "scan");
    EXPECT_EQ(historyCounter(scan, "files"), static_cast<int64_t>(expected.entries.size()) + 2);
    EXPECT_EQ(historyCounter(scan, "bytes"), static_cast<int64_t>(expected.categoryBytes[0] + expected.categoryBytes[1]) +
                                          expected.recycleBinBytes);
    temp_.agedFile(L"after-scan.tmp", "not previewed");

    // "No" at the first question: nothing deleted, nothing recorded, the analysis still there.
    size_t before = test::readHistoryLines().size();
    command(window, 121);
    EXPECT_EQ(answer(window, IDNO), translate(L"Подтверждение очистки"));
    Sleep(300);
    for (const std::wstring& path : aged_) EXPECT_TRUE(exists(path)) << "kept after No";
    EXPECT_TRUE(test::historyObjectsAfter(before).empty());

    // "Yes": the previewed temporary files and caches go; the fresh file, the later file and the bin stay.
    command(window, 121);
    EXPECT_EQ(answer(window, IDYES), translate(L"Подтверждение очистки")) << "the analysis survived the No";
    const JsonValue cleanup = waitForRecord(before, "cleanup", 30000);
    ASSERT_EQ(jsonGetString(cleanup, "kind", ""), "cleanup");
    EXPECT_EQ(answer(window, IDOK), L"Pelmirt 1.2.0") << "the result box";
    EXPECT_EQ(historyCounter(cleanup, "files"), static_cast<int64_t>(previewed));
    EXPECT_FALSE(jsonGetBool(cleanup, "recycle_emptied", true));
    for (const std::wstring& path : aged_) EXPECT_FALSE(exists(path)) << testing::PrintToString(path);
    for (const std::wstring& path : caches_) EXPECT_FALSE(exists(path)) << testing::PrintToString(path);
    EXPECT_TRUE(exists(temp_ / L"fresh.tmp"));
    EXPECT_TRUE(exists(temp_ / L"after-scan.tmp"));
    EXPECT_EQ(test::queryRecycleBin().i64NumItems, 2) << "the bin was not selected";
}

TEST_F(OpsEndToEnd, BrowserQuestionAsksChromeToCloseAndARefusalKeepsItsCaches) {
    struct Case {
        const wchar_t* mode;
        bool cachesKept;
    } cases[] = {{L"", false}, {L"refuse", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.mode)));
        for (const std::wstring& cache : caches_) browsers_.file(cache);
        for (const std::wstring& path : aged_) temp_.agedFile(path.substr(temp_.path().size() + 1), "old");
        test::StandIn chrome(L"chrome.exe", c.mode);
        ASSERT_TRUE(chrome.started() && chrome.waitForWindows());

        test::AppProcess process;
        HWND window = startAndScan(process, true);
        ASSERT_NE(window, nullptr);
        const size_t before = test::readHistoryLines().size();
        cleanUpClosingBrowsers(window);
        const JsonValue cleanup = waitForRecord(before, "cleanup", 30000);
        ASSERT_EQ(jsonGetString(cleanup, "kind", ""), "cleanup");
        answer(window, IDOK);

        EXPECT_EQ(chrome.exitsWithin(0), !c.cachesKept) << "asked to close";
        for (const std::wstring& path : caches_) EXPECT_EQ(exists(path), c.cachesKept) << testing::PrintToString(path);
        for (const std::wstring& path : aged_) EXPECT_FALSE(exists(path)) << "temporary files are cleaned anyway";
        if (c.cachesKept) {
            EXPECT_GE(historyCounter(cleanup, "skipped"), static_cast<int64_t>(caches_.size()));
        }
    }
}

int filesIn(const std::wstring& folder) {
    int count = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        count += !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

BOOL CALLBACK collectText(HWND child, LPARAM texts) {
    reinterpret_cast<std::wstring*>(texts)->append(test::windowText(child) + L"|");
    return TRUE;
}

TEST_F(OpsEndToEnd, CancelDuringTheCleanUpKeepsWhatIsDeletedAndTheRest) {
    const int count = 400;
    const std::wstring many = temp_ / L"many";
    test::makeDirectories(many);
    for (int i = 0; i < count; ++i) {
        const std::wstring path = many + L"\\f" + std::to_wstring(i) + L".tmp";
        test::writeFile(path, "x");
        test::setLastWriteTime(path, test::nowFileTime() - 48 * test::kHour);
    }
    JsonValue scan;
    test::AppProcess process;
    HWND window = startAndScan(process, false, scan);
    ASSERT_NE(window, nullptr);
    ASSERT_GE(historyCounter(scan, "files"), count);

    const size_t before = test::readHistoryLines().size();
    command(window, 121);
    EXPECT_EQ(answer(window, IDYES), translate(L"Подтверждение очистки"));
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (filesIn(many) == count && GetTickCount64() < deadline) Sleep(5);
    command(window, 122);
    const JsonValue cleanup = waitForRecord(before, "cleanup", 30000);
    ASSERT_EQ(jsonGetString(cleanup, "kind", ""), "cleanup");
    // The box's texts, read once its controls exist (a busy machine shows the frame first).
    const std::wstring cancelled = translate(L"Очистка отменена.");
    std::wstring texts;
    for (int i = 0; i < 500 && texts.find(cancelled) == std::wstring::npos; ++i) {
        texts.clear();
        if (HWND box = test::waitForDialog(window, 10000)) EnumChildWindows(box, collectText, reinterpret_cast<LPARAM>(&texts));
        Sleep(10);
    }
    answer(window, IDOK);

    const int left = filesIn(many);
    EXPECT_TRUE(jsonGetBool(cleanup, "cancelled", false));
    EXPECT_GT(left, 0) << "the cancel came before the end";
    EXPECT_LT(left, count);
    // The three aged files beside the folder may go first, in the order of the scan.
    EXPECT_GE(historyCounter(cleanup, "files"), count - left) << "every file gone was counted";
    EXPECT_LE(historyCounter(cleanup, "files"), count - left + 3);
    EXPECT_NE(texts.find(cancelled), std::wstring::npos) << testing::PrintToString(texts);
}

// The user logs off while a clean-up runs (held in its wait for a browser that will not close) or while
// nothing runs: the system's WM_QUERYENDSESSION and WM_ENDSESSION reach the main window, the clean-up is
// cancelled and recorded, the settings are saved, and the program ends by itself.
TEST_F(OpsEndToEnd, SessionEndCancelsARunningCleanUpRecordsItAndEnds) {
    for (bool cleaning : {true, false}) {
        SCOPED_TRACE(cleaning ? "during a clean-up" : "idle");
        test::StandIn chrome(L"chrome.exe", L"refuse");
        ASSERT_TRUE(chrome.started() && chrome.waitForWindows());
        test::AppProcess process;
        HWND window = startAndScan(process, true);
        ASSERT_NE(window, nullptr);
        const size_t before = test::readHistoryLines().size();
        if (cleaning) cleanUpClosingBrowsers(window);
        DeleteFileW(statePath().c_str());

        DWORD_PTR reply = 0;
        ASSERT_TRUE(SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                                        &reply));
        EXPECT_EQ(reply, static_cast<DWORD_PTR>(TRUE)) << "the session may end";
        SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &reply);
        // Windows may end the process as soon as WM_ENDSESSION returns: the exit has run by then, so what
        // must be kept is kept and no icon is left behind. (Left for later, it would still run here, a few
        // milliseconds after the reply: only the window tells the two apart.)
        EXPECT_FALSE(IsWindow(window)) << "the exit was left for after the session's end";
        const std::vector<JsonValue> records = test::historyObjectsAfter(before);
        EXPECT_NE(test::readFile(statePath()), "<missing>") << "the settings were not saved";
        const std::optional<DWORD> code = process.waitForExit(10000);
        ASSERT_TRUE(code.has_value()) << "still running after the session ended";
        EXPECT_EQ(*code, 0u);

        if (cleaning) {
            ASSERT_EQ(records.size(), 1u);
            EXPECT_EQ(jsonGetString(records[0], "kind", ""), "cleanup");
            EXPECT_TRUE(jsonGetBool(records[0], "cancelled", false));
            for (const std::wstring& path : aged_) EXPECT_TRUE(exists(path)) << "deleted after the cancel";
        } else {
            EXPECT_TRUE(records.empty());
        }
    }
}

}  // namespace
}  // namespace pm
