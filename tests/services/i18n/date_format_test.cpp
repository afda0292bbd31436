#include "services/i18n/date_format.h"
#include "services/i18n/language.h"
#include "tests/services/i18n/language_fixture.h"
#include "tests/support/test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <string>

namespace pm {
namespace {

using FormatDateTime = test::LanguageTest;

// 2024-03-05 14:28:37 on the computer's clock: no field shares digits with the seconds.
std::int64_t fixedLocalTime() {
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = 14;
    local.tm_min = 28;
    local.tm_sec = 37;
    local.tm_isdst = -1;
    return _mktime64(&local);
}

SYSTEMTIME fixedSystemTime() {
    SYSTEMTIME st{};
    st.wYear = 2024;
    st.wMonth = 3;
    st.wDay = 5;
    st.wHour = 14;
    st.wMinute = 28;
    st.wSecond = 37;
    return st;
}

std::wstring localeInfo(const wchar_t* locale, LCTYPE type) {
    wchar_t value[128] = {};
    return GetLocaleInfoEx(locale, type | LOCALE_NOUSEROVERRIDE, value, 128) ? value : L"";
}

// The date through the locale's short-date picture, read on its own; the time through the locale's
// default format without seconds.
std::wstring expectedText(const wchar_t* locale) {
    const SYSTEMTIME st = fixedSystemTime();
    const std::wstring picture = localeInfo(locale, LOCALE_SSHORTDATE);
    wchar_t date[128] = {};
    wchar_t clock[128] = {};
    if (picture.empty() || !GetDateFormatEx(locale, 0, &st, picture.c_str(), date, 128, nullptr)) return L"";
    if (!GetTimeFormatEx(locale, LOCALE_NOUSEROVERRIDE | TIME_NOSECONDS, &st, nullptr, clock, 128)) return L"";
    return std::wstring(date) + L' ' + clock;
}

TEST_F(FormatDateTime, UsesEachLanguagesLocaleWithoutSeconds) {
    const std::int64_t t = fixedLocalTime();
    ASSERT_GT(t, 0);
    for (int language = 0; language < LanguageCount; ++language) {
        currentLanguage = language;
        const std::wstring text = formatDateTime(t);
        const std::wstring expected = expectedText(DateLocaleNames[language]);
        ASSERT_FALSE(expected.empty()) << LanguageCodes[language];
        EXPECT_EQ(text, expected) << LanguageCodes[language];
        EXPECT_EQ(text.find(L"37"), std::wstring::npos) << LanguageCodes[language];
        EXPECT_NE(text.find(L"28"), std::wstring::npos) << LanguageCodes[language];
        EXPECT_NE(text.find(L' '), std::wstring::npos) << LanguageCodes[language];
    }
}

TEST_F(FormatDateTime, LanguagesDifferWhereTheirLocalesDo) {
    const std::int64_t t = fixedLocalTime();
    currentLanguage = 1;
    const std::wstring english = formatDateTime(t);
    currentLanguage = 0;
    const std::wstring russian = formatDateTime(t);
    EXPECT_NE(english, russian);
    EXPECT_EQ(russian, expectedText(L"ru-RU"));
    EXPECT_EQ(english, expectedText(L"en-US"));
}

// Puts the user's regional formats back however the test ends.
class UserFormatOverride {
public:
    UserFormatOverride()
        : shortDate_(userValue(LOCALE_SSHORTDATE)), timeFormat_(userValue(LOCALE_STIMEFORMAT)) {}
    ~UserFormatOverride() {
        if (!shortDate_.empty()) SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, shortDate_.c_str());
        if (!timeFormat_.empty()) SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, timeFormat_.c_str());
    }
    UserFormatOverride(const UserFormatOverride&) = delete;
    UserFormatOverride& operator=(const UserFormatOverride&) = delete;
    bool saved() const { return !shortDate_.empty() && !timeFormat_.empty(); }

private:
    static std::wstring userValue(LCTYPE type) {
        wchar_t value[128] = {};
        return GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, value, 128) ? value : L"";
    }
    std::wstring shortDate_;
    std::wstring timeFormat_;
};

// The user's own short-date and time formats change what the locale would print; the result must not.
TEST_F(FormatDateTime, IgnoresTheUsersRegionalOverrides) {
    PM_REQUIRE_TEST_PREFIX();
    wchar_t userLocale[LOCALE_NAME_MAX_LENGTH] = {};
    ASSERT_GT(GetUserDefaultLocaleName(userLocale, LOCALE_NAME_MAX_LENGTH), 0);
    int language = -1;
    for (int i = 0; i < LanguageCount; ++i) {
        if (std::wstring(DateLocaleNames[i]) == userLocale) language = i;
    }
    if (language < 0) GTEST_SKIP() << "the user locale is none of the interface languages' date locales";

    currentLanguage = language;
    const std::int64_t t = fixedLocalTime();
    const std::wstring before = formatDateTime(t);
    {
        UserFormatOverride guard;
        ASSERT_TRUE(guard.saved());
        ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, L"yyyy'~'MM'~'dd"));
        ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, L"HH'^'mm'^'ss"));
        // The override is real: the same call without the flag follows it.
        const SYSTEMTIME st = fixedSystemTime();
        wchar_t date[128] = {};
        ASSERT_GT(GetDateFormatEx(userLocale, DATE_SHORTDATE, &st, nullptr, date, 128, nullptr), 0);
        ASSERT_EQ(std::wstring(date), L"2024~03~05");

        const std::wstring during = formatDateTime(t);
        EXPECT_EQ(during, before);
        EXPECT_EQ(during.find(L'~'), std::wstring::npos);
        EXPECT_EQ(during.find(L'^'), std::wstring::npos);
    }
    EXPECT_EQ(formatDateTime(t), before);
}

TEST_F(FormatDateTime, TimeBeyondTheCalendarGivesADash) {
    currentLanguage = 1;
    // The last second the runtime converts, then the first it refuses.
    EXPECT_NE(formatDateTime(32535244799LL - 14 * 3600), L"\u2014");
    EXPECT_EQ(formatDateTime(32535244800LL + 14 * 3600), L"\u2014");
    EXPECT_EQ(formatDateTime(INT64_MAX), L"\u2014");
}

}  // namespace
}  // namespace pm
