#include "services/i18n/language.h"

#include "services/i18n/language_internal.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

namespace pm {

namespace detail {

std::string narrowAsciiTag(const wchar_t* text, std::size_t length) {
    std::string narrow;
    narrow.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        const auto unit = static_cast<unsigned>(static_cast<std::uint16_t>(text[i]));
        if (unit > 127) return std::string();
        narrow.push_back(static_cast<char>(unit));
    }
    return narrow;
}

std::vector<std::string> splitLanguageTags(const wchar_t* buffer, std::size_t length) {
    std::vector<std::string> tags;
    std::size_t start = 0;
    while (start < length) {
        std::size_t end = start;
        while (end < length && buffer[end] != L'\0') ++end;
        if (end == length) break;    // no terminator: a cut tag is not trusted
        if (end == start) break;     // the empty string closes the list
        tags.push_back(narrowAsciiTag(buffer + start, end - start));
        start = end + 1;
    }
    return tags;
}

std::string firstSupportedLanguage(const std::vector<std::string>& tags) {
    for (const std::string& tag : tags) {
        std::string code = normalizeLanguageTag(tag.data(), tag.size());
        if (!code.empty()) return code;
    }
    return std::string();
}

std::string chooseUiLanguage(const std::vector<std::string>& preferredTags, const std::string& defaultTag) {
    std::string code = firstSupportedLanguage(preferredTags);
    if (code.empty()) code = normalizeLanguageTag(defaultTag.data(), defaultTag.size());
    return code.empty() ? std::string(LanguageCodes[EnglishLanguage]) : code;
}

}  // namespace detail

namespace {

// Sizes of the preferred-language list that are worth reading (units, terminators included).
constexpr ULONG MinPreferredListLength = 2;
constexpr ULONG MaxPreferredListLength = 32768;

// The user's preferred interface languages in order, as narrow tags; empty when the list is unavailable.
std::vector<std::string> preferredUiLanguageTags() {
    ULONG count = 0;
    ULONG length = 0;
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &length)) return {};
    if (length < MinPreferredListLength || length > MaxPreferredListLength) return {};
    std::vector<wchar_t> buffer(length, L'\0');
    ULONG filled = length;
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, buffer.data(), &filled)) return {};
    return detail::splitLanguageTags(buffer.data(), buffer.size());
}

// The locale name of the default interface language as a narrow tag, or an empty text.
std::string defaultUiLanguageTag() {
    const LANGID language = GetUserDefaultUILanguage();
    if (language == 0) return std::string();
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (LCIDToLocaleName(MAKELCID(language, SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) == 0) {
        return std::string();
    }
    return detail::narrowAsciiTag(name, std::wcslen(name));
}

}  // namespace

std::string normalizeLanguageTag(const char* tag, std::size_t length) {
    std::string primary;
    for (std::size_t i = 0; i < length && tag[i] != '-' && tag[i] != '_'; ++i) {
        const auto byte = static_cast<unsigned char>(tag[i]);
        if (byte >= 0x80) return std::string();
        primary.push_back(byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : tag[i]);
    }
    if (primary == "in") primary = "id";  // the older code of Indonesian
    return languageIndex(primary) >= 0 ? primary : std::string();
}

bool isValidLanguageSetting(const std::string& setting) {
    return setting == "system" || languageIndex(setting) >= 0;
}

const std::vector<LanguageOption>& languageOptions() {
    static const std::vector<LanguageOption> options = {
        {"system", L"System"},
        {"en", L"English"},
        {"hi", L"हिन्दी"},
        {"zh", L"简体中文"},
        {"ko", L"한국어"},
        {"ja", L"日本語"},
        {"de", L"Deutsch"},
        {"fr", L"Français"},
        {"es", L"Español"},
        {"it", L"Italiano"},
        {"ru", L"Русский"},
        {"pt", L"Português"},
        {"tr", L"Türkçe"},
        {"ar", L"العربية"},
        {"id", L"Bahasa Indonesia"},
        {"vi", L"Tiếng Việt"},
        {"th", L"ไทย"},
        {"pl", L"Polski"},
        {"uk", L"Українська"},
        {"nl", L"Nederlands"},
        {"bn", L"বাংলা"},
    };
    return options;
}

std::string detectUiLanguage() {
    return detail::chooseUiLanguage(preferredUiLanguageTags(), defaultUiLanguageTag());
}

void applyLanguageSetting(const std::string& setting) {
    int index = languageIndex(setting);
    if (index < 0) index = languageIndex(detectUiLanguage());
    if (index < 0) index = EnglishLanguage;
    currentLanguage = index;
}

}  // namespace pm
