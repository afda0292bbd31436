// Invariants of the translation table, checked over every row and column.
#include "services/i18n/translate.h"
#include "services/i18n/translation_table.h"
#include "tests/services/i18n/expected_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

namespace pm {
namespace {

constexpr std::size_t RussianColumn = 1;
constexpr std::size_t EnglishColumn = 2;
constexpr std::size_t UkrainianColumn = 18;

std::string describe(std::size_t row, std::size_t column) {
    std::string where = "row " + std::to_string(row) + ", column " + std::to_string(column);
    if (column > 0) where += std::string(" (") + LanguageCodes[column - 1] + ")";
    return where;
}

std::wstring_view cell(std::size_t row, std::size_t column) {
    const wchar_t* text = TranslationTable[row][column];
    return text ? std::wstring_view(text) : std::wstring_view();
}

// Unsigned UTF-16 units, a prefix before its extensions: the order translate searches in.
bool unitsLess(std::wstring_view a, std::wstring_view b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i]) return static_cast<std::uint16_t>(a[i]) < static_cast<std::uint16_t>(b[i]);
    }
    return a.size() < b.size();
}

std::wstring_view leadingBreaks(std::wstring_view s) {
    return s.substr(0, std::min(s.find_first_not_of(L" \n"), s.size()));
}

std::wstring_view trailingBreaks(std::wstring_view s) {
    const std::size_t last = s.find_last_not_of(L" \n");
    return last == std::wstring_view::npos ? s : s.substr(last + 1);
}

bool hasCyrillic(std::wstring_view s) {
    for (wchar_t c : s) {
        if (c >= 0x0400 && c <= 0x04FF) return true;
    }
    return false;
}

TEST(TranslationTable, HasTheDefinedRowCountAndEveryColumn) {
    ASSERT_EQ(TranslationRowCount, std::size(test::ExpectedTexts));
    ASSERT_EQ(TranslationColumnCount, static_cast<std::size_t>(LanguageCount) + 1);
    for (std::size_t r = 0; r < TranslationRowCount; ++r) {
        for (std::size_t c = 0; c < TranslationColumnCount; ++c) {
            ASSERT_NE(TranslationTable[r][c], nullptr) << describe(r, c);
            EXPECT_FALSE(cell(r, c).empty()) << describe(r, c);
        }
    }
}

TEST(TranslationTable, KeysStrictlyAscendInUnsignedUnitOrder) {
    for (std::size_t r = 1; r < TranslationRowCount; ++r) {
        EXPECT_TRUE(unitsLess(cell(r - 1, 0), cell(r, 0))) << "rows " << r - 1 << " and " << r;
    }
}

TEST(TranslationTable, KeysAndEnglishMatchTheDefinedTexts) {
    for (std::size_t r = 0; r < TranslationRowCount; ++r) {
        EXPECT_EQ(cell(r, 0), test::ExpectedTexts[r].key) << "row " << r;
        EXPECT_EQ(cell(r, EnglishColumn), test::ExpectedTexts[r].english) << "row " << r;
    }
}

TEST(TranslationTable, RussianColumnRepeatsTheKey) {
    for (std::size_t r = 0; r < TranslationRowCount; ++r) {
        EXPECT_EQ(cell(r, RussianColumn), cell(r, 0)) << "row " << r;
    }
}

// The interface glues these texts to numbers and to each other, so the edges must survive translation.
TEST(TranslationTable, EveryColumnKeepsTheKeysEdgesAndLineFeeds) {
    for (std::size_t r = 0; r < TranslationRowCount; ++r) {
        const std::wstring_view key = cell(r, 0);
        const auto feeds = std::count(key.begin(), key.end(), L'\n');
        for (std::size_t c = 1; c < TranslationColumnCount; ++c) {
            const std::wstring_view text = cell(r, c);
            EXPECT_EQ(leadingBreaks(text), leadingBreaks(key)) << describe(r, c);
            EXPECT_EQ(trailingBreaks(text), trailingBreaks(key)) << describe(r, c);
            EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), feeds) << describe(r, c);
            EXPECT_EQ(text.find(L'\r'), std::wstring_view::npos) << describe(r, c);
        }
    }
}

TEST(TranslationTable, NoColumnIsLeftInRussian) {
    for (std::size_t r = 0; r < TranslationRowCount; ++r) {
        for (std::size_t c = 2; c < TranslationColumnCount; ++c) {
            if (c == UkrainianColumn) continue;
            EXPECT_FALSE(hasCyrillic(cell(r, c))) << describe(r, c);
        }
    }
}

TEST(TranslationTable, NamesStayUntranslated) {
    for (const wchar_t* name : {L"Pelmirt", L"Chrome", L"Edge", L"Firefox"}) {
        for (std::size_t r = 0; r < TranslationRowCount; ++r) {
            if (cell(r, 0).find(name) == std::wstring_view::npos) continue;
            for (std::size_t c = 1; c < TranslationColumnCount; ++c) {
                EXPECT_NE(cell(r, c).find(name), std::wstring_view::npos) << describe(r, c);
            }
        }
    }
}

}  // namespace
}  // namespace pm
