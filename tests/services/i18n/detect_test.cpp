// Language detection through the real system calls, in a process whose locale CTest chose:
// PM_EXPECT_PREFERRED is the tag Windows must report first, PM_EXPECT_LANGUAGE the code that must win.
#include "services/i18n/language.h"
#include "services/i18n/translate.h"
#include "services/i18n/translation_table.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace pm {
namespace {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::wstring firstPreferredTag() {
    ULONG count = 0;
    ULONG length = 0;
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &length) || length == 0) return L"";
    std::vector<wchar_t> buffer(length, L'\0');
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, buffer.data(), &length)) return L"";
    return buffer.data();
}

TEST(DetectUiLanguage, FollowsTheUsersPreferredLanguage) {
    const std::string expected = environmentValue("PM_EXPECT_LANGUAGE");
    const std::string preferred = environmentValue("PM_EXPECT_PREFERRED");
    if (expected.empty() || preferred.empty()) GTEST_SKIP() << "run by CTest with a chosen locale only";

    // Without this the locale may not have reached Windows, and an "en" answer would prove nothing.
    ASSERT_EQ(firstPreferredTag(), std::wstring(preferred.begin(), preferred.end()));
    EXPECT_EQ(detectUiLanguage(), expected);

    for (const char* setting : {"system", "xx", ""}) {
        currentLanguage = expected == "ja" ? 0 : 5;
        applyLanguageSetting(setting);
        EXPECT_EQ(currentLanguageCode(), expected) << setting;
    }
    EXPECT_EQ(isRightToLeft(), expected == "ar");
    // The detected language's own texts come out.
    const int index = languageIndex(expected);
    ASSERT_GE(index, 0);
    for (std::size_t r = 0; r < TranslationRowCount; ++r) {
        if (std::wstring(TranslationTable[r][0]) == L"Очистить") {
            EXPECT_EQ(translate(TranslationTable[r][0]), TranslationTable[r][index + 1]);
        }
    }

    // A chosen language wins over what the system prefers.
    applyLanguageSetting("ja");
    EXPECT_EQ(currentLanguage, 5);
}

}  // namespace
}  // namespace pm
