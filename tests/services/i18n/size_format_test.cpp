// Sizes at every unit boundary: the unit is chosen before rounding, the number never localised.
#include "services/i18n/size_format.h"
#include "tests/services/i18n/language_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace pm {
namespace {

using FormatSize = test::LanguageTest;

TEST_F(FormatSize, UnitBoundaries) {
    const struct {
        std::uint64_t bytes;
        const wchar_t* english;
    } cases[] = {
        {0, L"0 B"},
        {1, L"1 B"},
        {1023, L"1023 B"},
        {1024, L"1.0 KB"},
        {1536, L"1.5 KB"},
        {1048575, L"1024.0 KB"},
        {1048576, L"1.0 MB"},
        {3565158, L"3.4 MB"},
        {1073741823, L"1024.0 MB"},
        {1073741824, L"1.00 GB"},
        {1099511627776ULL, L"1024.00 GB"},
        {18446744073709551615ULL, L"17179869184.00 GB"},
    };
    currentLanguage = EnglishLanguage;
    for (const auto& c : cases) EXPECT_EQ(formatSize(c.bytes), c.english) << c.bytes;
}

TEST_F(FormatSize, TranslatesOnlyTheUnit) {
    currentLanguage = languageIndex("ru");
    EXPECT_EQ(formatSize(1023), L"1023 Б");
    EXPECT_EQ(formatSize(1024), L"1.0 КБ");
    EXPECT_EQ(formatSize(1048576), L"1.0 МБ");
    EXPECT_EQ(formatSize(1073741824), L"1.00 ГБ");
    currentLanguage = languageIndex("de");  // a comma language: the number keeps its '.'
    EXPECT_EQ(formatSize(1536).substr(0, 4), L"1.5 ");
}

}  // namespace
}  // namespace pm
