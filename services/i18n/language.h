// The interface language: the language setting, detection of the user's preferred language, the
// list the settings page offers, and the locale each language formats dates in.
#pragma once

#include "services/i18n/translate.h"

#include <cstddef>
#include <string>
#include <vector>

namespace pm {

// One entry of the language list: "system" or a language code, and the language's name in itself.
struct LanguageOption {
    std::string code;
    std::wstring nativeName;
};

// Locale of dates and times, by language index.
inline constexpr const wchar_t* DateLocaleNames[LanguageCount] = {
    L"ru-RU", L"en-US", L"hi-IN", L"zh-CN", L"ko-KR", L"ja-JP", L"de-DE", L"fr-FR", L"es-ES", L"it-IT",
    L"pt-BR", L"tr-TR", L"ar-SA", L"id-ID", L"vi-VN", L"th-TH", L"pl-PL", L"uk-UA", L"nl-NL", L"bn-IN",
};

// The supported code of a language tag such as en-US, EN_gb or zh-Hans-CN ("in" counts as "id"),
// or an empty string. Only the primary subtag counts; nothing is trimmed.
std::string normalizeLanguageTag(const char* tag, std::size_t length);

// True for "system" and for a supported language code.
bool isValidLanguageSetting(const std::string& setting);

// The 21 entries of the settings page in display order, "system" first. Built on first use.
const std::vector<LanguageOption>& languageOptions();

// The user's first preferred interface language that is supported, or "en".
std::string detectUiLanguage();

// Sets currentLanguage from the setting: a supported code as it is, anything else (such as "system")
// by detection. The caller re-translates and re-lays out what is on screen.
void applyLanguageSetting(const std::string& setting);

}  // namespace pm
