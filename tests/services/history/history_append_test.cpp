// Appending to the real history file: whole lines from many threads, nothing written while another
// handle writes, and a line cut short by an earlier failed write does not swallow the next record.
#include "services/history/history_reader.h"
#include "services/history/history_writer.h"
#include "services/i18n/date_format.h"
#include "services/i18n/translate.h"
#include "services/json/json.h"
#include "services/state/state_file.h"
#include "tests/support/test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

namespace pm {
namespace {

// The lines of the file, each without its CR LF; fails the test for a line without CR LF.
std::vector<std::string> crLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "a line without CR LF at " << start;
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The record's JSON object when the line is a whole record line, else a null value.
JsonValue recordObject(const std::string& line) {
    const std::string prefix = "@PM-HISTORY-1\t";
    if (line.compare(0, prefix.size(), prefix) != 0) return {};
    try {
        return parseJson(line.substr(prefix.size()));
    } catch (...) {
        return {};
    }
}

class HistoryAppend : public ::testing::Test {
protected:
    void SetUp() override {
        PM_REQUIRE_TEST_PREFIX();
        path_ = appDataDir() + L"\\history.log";
        test::removeTree(path_);
    }
    void TearDown() override {
        if (!path_.empty()) test::removeTree(path_);
    }
    std::wstring path_;
};

TEST_F(HistoryAppend, EightThreadsLeaveEveryLineWhole) {
    constexpr int kThreads = 8;
    constexpr int kEach = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kEach; ++i) {
                HistoryRecord record;
                record.kind = HistoryKind::Scan;
                record.files = static_cast<std::uint64_t>(t) * 1000 + i;
                record.text = std::wstring(static_cast<std::size_t>(i % 97) * 20, L'\x0416');  // lines of many sizes
                appendHistory(record);
            }
        });
    }
    for (auto& thread : threads) thread.join();

    const std::vector<std::string> lines = crLfLines(test::readFile(path_));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kEach));
    std::set<std::string> seen;
    for (const std::string& line : lines) {
        const JsonValue object = recordObject(line);
        ASSERT_EQ(object.kind, JsonKind::Object) << line.substr(0, 80);
        EXPECT_EQ(object.members.size(), 14u);
        EXPECT_TRUE(seen.insert(object.at("files").asString()).second);
    }
}

TEST_F(HistoryAppend, AnotherWriterMakesTheAppendDropItsRecord) {
    appendHistoryMessage(L"Самопроверка пройдена.");
    const std::string before = test::readFile(path_);
    ASSERT_EQ(crLfLines(before).size(), 1u);
    // The stored line names the text by its id.
    EXPECT_EQ(recordObject(crLfLines(before)[0]).at("text").asString(), "");

    HANDLE writer = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    appendHistoryMessage(L"dropped");
    CloseHandle(writer);
    EXPECT_EQ(test::readFile(path_), before);

    // Out of bounds: nothing written, nothing thrown.
    HistoryRecord tooLong;
    tooLong.detail.assign(8193, L'x');
    appendHistory(tooLong);
    EXPECT_EQ(test::readFile(path_), before);
}

TEST_F(HistoryAppend, ALineCutShortStaysApartFromTheNextRecord) {
    appendHistoryMessage(L"first");
    const std::string whole = test::readFile(path_);
    // What a failed write leaves: part of a record and no line end.
    test::writeFile(path_, whole + whole.substr(0, 30));
    appendHistoryMessage(L"second");
    const std::vector<std::string> lines = crLfLines(test::readFile(path_));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], whole.substr(0, 30));
    EXPECT_EQ(recordObject(lines[2]).at("text").asString(), "second");

    // A file that ends with a bare LF needs nothing added.
    test::writeFile(path_, "older entry\n");
    appendHistoryMessage(L"third");
    const std::string bytes = test::readFile(path_);
    EXPECT_EQ(bytes.compare(0, 26, "older entry\n@PM-HISTORY-1\t"), 0) << bytes;
}

TEST_F(HistoryAppend, AppendedRecordsRenderInTheLanguageOfTheDay) {
    HistoryRecord cleanup;
    cleanup.kind = HistoryKind::Cleanup;
    cleanup.files = 12;
    cleanup.bytes = 3565158;
    cleanup.skipped = 1;
    cleanup.recycle_emptied = true;
    appendHistory(cleanup);
    appendHistoryMessage(L"Самопроверка пройдена.");
    const std::string bytes = test::readFile(path_);
    const std::vector<std::string> lines = crLfLines(bytes);
    ASSERT_EQ(lines.size(), 2u);
    std::int64_t times[2] = {};
    for (int i = 0; i < 2; ++i) {
        HistoryRecord record;
        ASSERT_TRUE(parseHistoryRecord(lines[i], record, times[i]));
    }
    const int saved = currentLanguage;
    currentLanguage = EnglishLanguage;
    EXPECT_EQ(renderHistoryLog(bytes),
              formatDateTime(times[0]) + L"  Cleanup complete.\r\nDeleted: 12 files; 3.4 MB.\r\n"
                  L"Skipped: 1. Errors: 0.\r\nRecycle Bin emptied.\r\n\r\nScan again to update the list.\r\n" +
                  formatDateTime(times[1]) + L"  Self-test passed.\r\n");
    currentLanguage = languageIndex("ru");
    EXPECT_EQ(renderHistoryLog(bytes).substr(formatDateTime(times[0]).size(), 22), L"  Очистка завершена.\r\n");
    currentLanguage = saved;
}

}  // namespace
}  // namespace pm
