#include "services/i18n/translate.h"

#include "services/i18n/translation_table.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace pm {

int currentLanguage = EnglishLanguage;

namespace {

using Row = const wchar_t* const[TranslationColumnCount];

// Unsigned UTF-16 code units, then length: the order the table is sorted in. wchar_t's own ordering
// is not relied on, so the comparison means the same with any compiler.
bool keyLess(std::wstring_view key, std::wstring_view text) {
    const std::size_t common = std::min(key.size(), text.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto a = static_cast<std::uint16_t>(key[i]);
        const auto b = static_cast<std::uint16_t>(text[i]);
        if (a != b) return a < b;
    }
    return key.size() < text.size();
}

}  // namespace

std::wstring translate(const std::wstring& text) {
    const std::wstring_view wanted(text);
    const auto first = TranslationTable;
    const auto last = TranslationTable + TranslationRowCount;
    const auto row = std::lower_bound(first, last, wanted,
                                      [](const Row& r, std::wstring_view t) { return keyLess(r[0], t); });
    if (row != last && std::wstring_view((*row)[0]) == wanted) return (*row)[currentLanguageIndex() + 1];
    return text;
}

int currentLanguageIndex() {
    return currentLanguage >= 0 && currentLanguage < LanguageCount ? currentLanguage : EnglishLanguage;
}

std::wstring translateLiteral(const wchar_t* text) {
    return translate(text ? std::wstring(text) : std::wstring());
}

int languageIndex(const std::string& code) {
    for (int i = 0; i < LanguageCount; ++i) {
        if (code == LanguageCodes[i]) return i;
    }
    return -1;
}

std::string currentLanguageCode() {
    return LanguageCodes[currentLanguageIndex()];
}

bool isRightToLeft() {
    return currentLanguage == ArabicLanguage;
}

}  // namespace pm
