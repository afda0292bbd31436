// Appending to the real history file: whole lines from many threads, nothing written while another
// handle writes, and a line cut short by an earlier failed write does not swallow the next record.
#include "services/history/history_writer.h"
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

std::string readBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    std::vector<char> buffer(1 << 20);
    DWORD read = 0;
    while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read > 0) {
        bytes.append(buffer.data(), read);
    }
    CloseHandle(file);
    return bytes;
}

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

    const std::vector<std::string> lines = crLfLines(readBytes(path_));
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
    const std::string before = readBytes(path_);
    ASSERT_EQ(crLfLines(before).size(), 1u);
    // The stored line names the text by its id.
    EXPECT_EQ(recordObject(crLfLines(before)[0]).at("text").asString(), "");

    HANDLE writer = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    appendHistoryMessage(L"dropped");
    CloseHandle(writer);
    EXPECT_EQ(readBytes(path_), before);

    // Out of bounds: nothing written, nothing thrown.
    HistoryRecord tooLong;
    tooLong.detail.assign(8193, L'x');
    appendHistory(tooLong);
    EXPECT_EQ(readBytes(path_), before);
}

TEST_F(HistoryAppend, ALineCutShortStaysApartFromTheNextRecord) {
    appendHistoryMessage(L"first");
    const std::string whole = readBytes(path_);
    // What a failed write leaves: part of a record and no line end.
    test::writeFile(path_, whole + whole.substr(0, 30));
    appendHistoryMessage(L"second");
    const std::vector<std::string> lines = crLfLines(readBytes(path_));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], whole.substr(0, 30));
    EXPECT_EQ(recordObject(lines[2]).at("text").asString(), "second");

    // A file that ends with a bare LF needs nothing added.
    test::writeFile(path_, "older entry\n");
    appendHistoryMessage(L"third");
    const std::string bytes = readBytes(path_);
    EXPECT_EQ(bytes.compare(0, 26, "older entry\n@PM-HISTORY-1\t"), 0) << bytes;
}

}  // namespace
}  // namespace pm
