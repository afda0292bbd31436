#include "services/i18n/translate.h"
#include "services/i18n/translation_table.h"
#include "tests/services/i18n/language_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace pm {
namespace {

using TranslateTest = test::LanguageTest;

// Each test case runs in a process of its own, and every test that changes the language restores it.
TEST(CurrentLanguage, StartsInEnglish) {
    EXPECT_EQ(currentLanguage, 1);
    EXPECT_EQ(currentLanguageCode(), "en");
    EXPECT_FALSE(isRightToLeft());
    EXPECT_EQ(translate(L"Очистить"), L"Clean up");
}

TEST_F(TranslateTest, PicksTheCurrentLanguagesColumn) {
    currentLanguage = 1;
    EXPECT_EQ(translate(L"Очистить"), L"Clean up");
    currentLanguage = 0;
    EXPECT_EQ(translate(L"Очистить"), L"Очистить");
}

TEST_F(TranslateTest, MatchesOnlyTheExactKey) {
    currentLanguage = 1;
    EXPECT_EQ(translate(L"Очистить "), L"Очистить ");
    EXPECT_EQ(translate(L"очистить"), L"очистить");
    EXPECT_EQ(translate(L"Очистит"), L"Очистит");
    EXPECT_EQ(translate(L"Clean up"), L"Clean up");
    EXPECT_EQ(translate(L""), L"");
    EXPECT_EQ(translateLiteral(L""), L"");
}

TEST_F(TranslateTest, TrailingSpaceSelectsItsOwnRow) {
    currentLanguage = 1;
    EXPECT_EQ(translate(L"Всего"), L"Total:");
    EXPECT_EQ(translate(L"Всего "), L"Total: ");
    EXPECT_EQ(translateLiteral(L"Всего "), L"Total: ");
    EXPECT_EQ(translate(L"Очистка завершена.\n"), L"Cleanup complete.\n");
}

// Text past the table's ends in either direction, and a key with a zero inside, fall through unchanged.
TEST_F(TranslateTest, TextsOutsideTheTableComeBackUnchanged) {
    currentLanguage = 6;
    EXPECT_EQ(translate(L"\n"), L"\n");
    EXPECT_EQ(translate(L"\x0001"), L"\x0001");
    EXPECT_EQ(translate(L"\xFFFF"), L"\xFFFF");
    EXPECT_EQ(translate(L"яяя"), L"яяя");
    const std::wstring withZero(L"Очистить\0x", 10);
    EXPECT_EQ(translate(withZero), withZero);
}

// The search must reach every row, in every language.
TEST_F(TranslateTest, FindsEveryRowInEveryLanguage) {
    for (int language = 0; language < LanguageCount; ++language) {
        currentLanguage = language;
        for (std::size_t r = 0; r < TranslationRowCount; ++r) {
            ASSERT_EQ(translate(TranslationTable[r][0]), TranslationTable[r][language + 1])
                << "row " << r << ", language " << LanguageCodes[language];
        }
    }
}

TEST(LanguageIndex, AcceptsOnlyExactCodes) {
    for (int i = 0; i < LanguageCount; ++i) EXPECT_EQ(languageIndex(LanguageCodes[i]), i);
    EXPECT_EQ(languageIndex("ru"), 0);
    EXPECT_EQ(languageIndex("en"), 1);
    EXPECT_EQ(languageIndex("ar"), 12);
    EXPECT_EQ(languageIndex("bn"), 19);
    for (const char* code : {"EN", "en-US", "", "e", "eng", " en", "system", "in"}) {
        EXPECT_EQ(languageIndex(code), -1) << code;
    }
    EXPECT_EQ(languageIndex(std::string("en\0", 3)), -1);
}

TEST_F(TranslateTest, ReadingDirectionAndCodeFollowTheIndex) {
    for (int i = 0; i < LanguageCount; ++i) {
        currentLanguage = i;
        EXPECT_EQ(isRightToLeft(), i == 12) << i;
        EXPECT_EQ(currentLanguageCode(), LanguageCodes[i]);
    }
}

}  // namespace
}  // namespace pm
