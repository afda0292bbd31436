#include "services/i18n/language.h"
#include "services/i18n/language_internal.h"
#include "tests/services/i18n/language_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pm {
namespace {

std::string normalized(const std::string& tag) {
    return normalizeLanguageTag(tag.data(), tag.size());
}

TEST(NormalizeLanguageTag, TakesThePrimarySubtag) {
    const struct {
        const char* tag;
        const char* code;
    } cases[] = {
        {"en-US", "en"}, {"EN_gb", "en"}, {"En", "en"}, {"en", "en"}, {"zh-Hans-CN", "zh"},
        {"in-ID", "id"}, {"IN", "id"}, {"id-ID", "id"}, {"pt-BR", "pt"}, {"ru-RU", "ru"},
        {"uk_UA.UTF-8", "uk"}, {"bn-IN", "bn"}, {"ar-SA", "ar"}, {"de-", "de"},
        {"fil-PH", ""}, {"sr-Latn", ""}, {"", ""}, {" en", ""}, {"en ", ""}, {"-en", ""},
        {"eng", ""}, {"e", ""}, {"in-", "id"}, {"xx", ""}, {"de.UTF-8", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(normalized(c.tag), c.code) << '"' << c.tag << '"';
}

TEST(NormalizeLanguageTag, RefusesBytesOutsideAscii) {
    EXPECT_EQ(normalized("\xC3\xA9n"), "");
    EXPECT_EQ(normalized("e\x80"), "");
    // Beyond the primary subtag nothing is looked at.
    EXPECT_EQ(normalized("de-\xC3\xA9"), "de");
    // Only the given length counts, and a zero inside is a byte like any other.
    EXPECT_EQ(normalizeLanguageTag("de-DE", 2), "de");
    EXPECT_EQ(normalizeLanguageTag("dex", 2), "de");
    EXPECT_EQ(normalizeLanguageTag("d", 0), "");
    EXPECT_EQ(normalizeLanguageTag(nullptr, 0), "");
    EXPECT_EQ(normalized(std::string("d\0e", 3)), "");
}

TEST(IsValidLanguageSetting, AcceptsSystemAndSupportedCodes) {
    for (const char* setting : {"system", "ru", "bn", "en", "ar"}) EXPECT_TRUE(isValidLanguageSetting(setting));
    for (const char* setting : {"RU", "en-US", "", "System", "xx", "in"}) {
        EXPECT_FALSE(isValidLanguageSetting(setting)) << setting;
    }
}

TEST(LanguageOptions, ListsEveryLanguageOnceInDisplayOrder) {
    const std::vector<LanguageOption>& options = languageOptions();
    ASSERT_EQ(options.size(), 21u);
    EXPECT_EQ(options[0].code, "system");
    EXPECT_EQ(options[0].nativeName, L"System");
    EXPECT_EQ(options[1].code, "en");
    EXPECT_EQ(options[10].code, "ru");
    EXPECT_EQ(options[10].nativeName, L"Русский");
    EXPECT_EQ(options[13].nativeName, L"العربية");
    EXPECT_EQ(options[20].code, "bn");
    std::vector<int> seen(LanguageCount, 0);
    for (std::size_t i = 1; i < options.size(); ++i) {
        const int index = languageIndex(options[i].code);
        ASSERT_GE(index, 0) << options[i].code;
        ++seen[index];
        EXPECT_FALSE(options[i].nativeName.empty());
    }
    for (int i = 0; i < LanguageCount; ++i) EXPECT_EQ(seen[i], 1) << LanguageCodes[i];
    EXPECT_EQ(&languageOptions(), &options);
}

TEST(DateLocaleNames, BelongToTheirLanguage) {
    for (int i = 0; i < LanguageCount; ++i) {
        const std::wstring name = DateLocaleNames[i];
        const std::string narrow(name.begin(), name.end());
        EXPECT_EQ(normalized(narrow), LanguageCodes[i]) << narrow;
    }
    EXPECT_STREQ(DateLocaleNames[10], L"pt-BR");
    EXPECT_STREQ(DateLocaleNames[19], L"bn-IN");
}

// The list as GetUserPreferredUILanguages writes it: zero-terminated tags, an empty one at the end.
std::vector<std::string> split(const std::wstring& buffer) {
    return detail::splitLanguageTags(buffer.data(), buffer.size());
}

using Tags = std::vector<std::string>;

TEST(SplitLanguageTags, ReadsEachTagUpToTheEmptyOne) {
    EXPECT_EQ(split(std::wstring(L"fil-PH\0de-DE\0\0", 14)), (Tags{"fil-PH", "de-DE"}));
    EXPECT_EQ(split(std::wstring(L"en-US\0\0", 7)), (Tags{"en-US"}));
    EXPECT_EQ(split(std::wstring(L"\0\0", 2)), Tags{});
    EXPECT_EQ(split(std::wstring()), Tags{});
    // Whatever follows the empty tag is not part of the list.
    EXPECT_EQ(split(std::wstring(L"de-DE\0\0ru-RU\0\0", 14)), (Tags{"de-DE"}));
}

TEST(SplitLanguageTags, DropsATagCutByTheBufferEnd) {
    EXPECT_EQ(split(std::wstring(L"de-DE\0ru-R", 10)), (Tags{"de-DE"}));
    EXPECT_EQ(split(std::wstring(L"de-DE", 5)), Tags{});
    EXPECT_EQ(split(std::wstring(L"de-DE\0", 6)), (Tags{"de-DE"}));
}

TEST(SplitLanguageTags, ATagOutsideAsciiBecomesEmptyButKeepsItsPlace) {
    EXPECT_EQ(split(std::wstring(L"d\u00E9-DE\0ru-RU\0\0", 13)), (Tags{"", "ru-RU"}));
    EXPECT_EQ(detail::narrowAsciiTag(L"\x007F", 1), "\x7F");
    EXPECT_EQ(detail::narrowAsciiTag(L"a\x0080", 2), "");
    EXPECT_EQ(detail::narrowAsciiTag(L"\xFF41", 1), "");
}

TEST(FirstSupportedLanguage, TakesTheFirstTagThatNormalizes) {
    EXPECT_EQ(detail::firstSupportedLanguage({"fil-PH", "de-DE"}), "de");
    EXPECT_EQ(detail::firstSupportedLanguage({"in-ID", "en-US"}), "id");
    EXPECT_EQ(detail::firstSupportedLanguage({"", "sr-Latn", "ru-RU", "en"}), "ru");
    EXPECT_EQ(detail::firstSupportedLanguage({"fil-PH", "sr-Latn"}), "");
    EXPECT_EQ(detail::firstSupportedLanguage({}), "");
    EXPECT_EQ(detail::firstSupportedLanguage(split(std::wstring(L"fil-PH\0de-DE\0\0", 14))), "de");
}

TEST(ChooseUiLanguage, PreferredLanguagesFirstThenTheDefaultThenEnglish) {
    const struct {
        std::vector<std::string> preferred;
        const char* defaultTag;
        const char* code;
    } cases[] = {
        {{"de-DE"}, "fr-FR", "de"},           // a supported preferred tag beats the default
        {{"fil-PH", "ja-JP"}, "fr-FR", "ja"}, // the first supported one, not the first one
        {{"fil-PH"}, "fr-FR", "fr"},          // none supported: the default
        {{}, "pt-BR", "pt"},                  // no list at all: the default
        {{""}, "in-ID", "id"},
        {{"fil-PH"}, "sr-Latn-RS", "en"},     // neither supported: English
        {{}, "", "en"},
    };
    for (const auto& c : cases) EXPECT_EQ(detail::chooseUiLanguage(c.preferred, c.defaultTag), c.code) << c.defaultTag;
}

using ApplyLanguageSetting = test::LanguageTest;

TEST_F(ApplyLanguageSetting, UsesASupportedCodeAsItIs) {
    applyLanguageSetting("de");
    EXPECT_EQ(currentLanguage, 6);
    applyLanguageSetting("ar");
    EXPECT_EQ(currentLanguage, 12);
    EXPECT_TRUE(isRightToLeft());
    applyLanguageSetting("ru");
    EXPECT_EQ(currentLanguage, 0);
    EXPECT_EQ(translate(L"Очистить"), L"Очистить");
}

// What the system prefers depends on the machine: here only that any other value means detection.
TEST_F(ApplyLanguageSetting, AnythingElseDetects) {
    const int detected = languageIndex(detectUiLanguage());
    ASSERT_GE(detected, 0);
    for (const char* setting : {"system", "xx", "", "EN", "de-DE"}) {
        currentLanguage = detected == 6 ? 0 : 6;
        applyLanguageSetting(setting);
        EXPECT_EQ(currentLanguage, detected) << setting;
    }
}

}  // namespace
}  // namespace pm
