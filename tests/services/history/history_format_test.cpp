// History lines byte for byte: the 14 members in order, counters as quoted decimals, catalog ids, the
// bounds that refuse a record.
#include "services/history/history_writer.h"
#include "services/history/message_catalog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace pm {
namespace {

const std::string kDefaultTail =
    R"("files":"0","bytes":"0","skipped":"0","errors":"0","cancelled":false,"recycle_emptied":false,)"
    R"("truncated":false,"counters_known":true,)";

std::string formatError(const HistoryRecord& record, std::int64_t time) {
    try {
        (void)formatHistoryRecord(record, time);
        return "";
    } catch (const std::runtime_error& e) {
        return e.what();
    }
}

TEST(FormatHistoryRecord, ExactLines) {
    HistoryRecord plain;
    plain.text = L"hello";
    EXPECT_EQ(formatHistoryRecord(plain, 1),
              "@PM-HISTORY-1\t{\"v\":1,\"time\":1,\"kind\":\"message\"," + kDefaultTail +
                  R"("message":"","text":"hello","detail":""})");

    HistoryRecord full;
    full.kind = HistoryKind::Cleanup;
    full.files = full.bytes = full.skipped = full.errors = std::numeric_limits<std::uint64_t>::max();
    full.cancelled = full.recycle_emptied = full.truncated = true;
    full.counters_known = false;
    full.text = std::wstring(L"a\"b\\c\td\ne\rf") + wchar_t(0xD800) + L"g" + wchar_t(0) + L"h\x01\x7F" + L"\x0085";
    full.detail = L" [E_42] \xD83D\xDE00";
    EXPECT_EQ(formatHistoryRecord(full, 253402300799),
              "@PM-HISTORY-1\t{\"v\":1,\"time\":253402300799,\"kind\":\"cleanup\","
              R"("files":"18446744073709551615","bytes":"18446744073709551615","skipped":"18446744073709551615",)"
              R"("errors":"18446744073709551615","cancelled":true,"recycle_emptied":true,"truncated":true,)"
              R"("counters_known":false,"message":"",)"
              "\"text\":\"a\\\"b\\\\c\\td\\ne\\rf\xEF\xBF\xBDg\xEF\xBF\xBDh\xEF\xBF\xBD\xEF\xBF\xBD\xC2\x85\","
              "\"detail\":\" [E_42] \xF0\x9F\x98\x80\"}");
}

TEST(FormatHistoryRecord, KindNames) {
    const struct {
        int kind;
        const char* name;
    } cases[] = {{0, "scan"}, {1, "cleanup"}, {2, "large_search"}, {3, "recycle"}, {4, "message"},
                 {5, "message"}, {-1, "message"}};
    for (const auto& c : cases) {
        HistoryRecord record;
        record.kind = static_cast<HistoryKind>(c.kind);
        EXPECT_NE(formatHistoryRecord(record, 1).find(std::string(",\"kind\":\"") + c.name + "\","), std::string::npos)
            << c.kind;
    }
}

TEST(FormatHistoryRecord, BoundsOfTimeAndLength) {
    const struct {
        std::int64_t time;
        std::size_t text;
        std::size_t detail;
        bool written;
    } cases[] = {
        {0, 0, 0, false},
        {-1, 0, 0, false},
        {std::numeric_limits<std::int64_t>::min(), 0, 0, false},
        {1, 0, 0, true},
        {253402300799, 0, 0, true},
        {253402300800, 0, 0, false},
        {std::numeric_limits<std::int64_t>::max(), 0, 0, false},
        {1700000000, 8192, 8192, true},
        {1700000000, 8193, 0, false},
        {1700000000, 0, 8193, false},
    };
    for (const auto& c : cases) {
        HistoryRecord record;
        record.text.assign(c.text, L'\x4E2D');  // three bytes each in UTF-8
        record.detail.assign(c.detail, L'"');   // two bytes each once quoted
        EXPECT_EQ(formatError(record, c.time), c.written ? "" : "history bounds")
            << c.time << " " << c.text << " " << c.detail;
    }
    // The longest record stays under the reader's object limit.
    HistoryRecord longest;
    longest.text.assign(8192, L'\x4E2D');
    longest.detail.assign(8192, L'\x4E2D');
    EXPECT_LT(formatHistoryRecord(longest, 1).size(), 14u + 131072u);
}

TEST(FormatHistoryRecord, CatalogTextsAreStoredByTheirId) {
    const MessageCatalogRow* passed = findCatalogMessage(L"Самопроверка пройдена.");
    ASSERT_NE(passed, nullptr);
    const std::string byId = std::string(R"("message":")") + passed->id + R"(","text":"",)";
    for (const std::wstring text : {std::wstring(passed->russian), std::wstring(passed->english)}) {
        HistoryRecord record;
        record.text = text;
        EXPECT_NE(formatHistoryRecord(record, 5).find(byId), std::string::npos);
        // Stored as it is once marked as free text.
        record.free_text = true;
        EXPECT_NE(formatHistoryRecord(record, 5).find(R"("message":"","text":")"), std::string::npos);
    }
    // The first row of a duplicated English text.
    HistoryRecord duplicate;
    duplicate.text = L"Deleted:";
    EXPECT_NE(formatHistoryRecord(duplicate, 5).find(findCatalogMessage(L"Deleted:")->id), std::string::npos);
    // A catalog text with anything added is no longer one.
    HistoryRecord extended;
    extended.text = std::wstring(passed->english) + L" ";
    EXPECT_NE(formatHistoryRecord(extended, 5).find(R"("message":"","text":"Self-test)"), std::string::npos);
}

}  // namespace
}  // namespace pm
