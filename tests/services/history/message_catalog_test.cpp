// The catalog against its source, the translation table, and its stored ids against their definition.
#include "services/history/message_catalog.h"
#include "services/history/text_codec.h"
#include "services/i18n/translation_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

namespace pm {
namespace {

std::string fnvId(const std::string& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    char text[19];
    std::snprintf(text, sizeof text, "m:%016llx", static_cast<unsigned long long>(hash));
    return text;
}

TEST(MessageCatalog, FollowsTheTranslationTableWithStableIds) {
    std::set<std::string> ids;
    for (std::size_t r = 0; r < TranslationRowCount; ++r) {
        const MessageCatalogRow& row = MessageCatalog[r];
        EXPECT_EQ(std::wstring(row.russian), TranslationTable[r][0]) << r;
        EXPECT_EQ(std::wstring(row.english), TranslationTable[r][2]) << r;
        EXPECT_EQ(row.id, fnvId(encodeUtf8(row.russian))) << r;
        EXPECT_TRUE(ids.insert(row.id).second) << row.id;
    }
    // One id written by earlier versions, spelled out, so a change in the hashing cannot go unnoticed.
    EXPECT_EQ(fnvId(""), "m:cbf29ce484222325");
    EXPECT_EQ(fnvId("a"), "m:af63dc4c8601ec8c");
}

TEST(FindCatalogMessage, RussianFirstThenTheFirstEnglishRow) {
    for (std::size_t r = 0; r < TranslationRowCount; ++r) {
        const MessageCatalogRow& row = MessageCatalog[r];
        EXPECT_EQ(findCatalogMessage(row.russian), &row);
        const MessageCatalogRow* english = findCatalogMessage(row.english);
        ASSERT_NE(english, nullptr);
        // A duplicated English text finds the first of its rows.
        EXPECT_LE(english, &row);
        EXPECT_EQ(std::wstring(english->english), row.english);
    }
    int duplicated = 0;
    for (const wchar_t* text : {L"Close browsers", L"Run a scan first", L"Deleted:"}) {
        const MessageCatalogRow* found = findCatalogMessage(text);
        ASSERT_NE(found, nullptr) << "no row for a duplicated English text";
        for (const MessageCatalogRow* row = MessageCatalog; row != found; ++row) EXPECT_NE(std::wstring(row->english), text);
        for (const MessageCatalogRow& row : MessageCatalog) duplicated += std::wstring(row.english) == text;
    }
    EXPECT_EQ(duplicated, 6);
    EXPECT_EQ(findCatalogMessage(L""), nullptr);
    EXPECT_EQ(findCatalogMessage(L"scan complete"), nullptr);  // case counts
    EXPECT_EQ(findCatalogMessage(L"Scan complete "), nullptr);
}

}  // namespace
}  // namespace pm
