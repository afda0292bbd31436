// Translation of the interface texts: the Russian source text in, the current language's text out.
#pragma once

#include <string>

namespace pm {

inline constexpr int LanguageCount = 20;

// The interface languages by index. The index is a language's identity everywhere: its table column
// (index + 1), its date locale and its font.
inline constexpr const char* LanguageCodes[LanguageCount] = {
    "ru", "en", "hi", "zh", "ko", "ja", "de", "fr", "es", "it",
    "pt", "tr", "ar", "id", "vi", "th", "pl", "uk", "nl", "bn",
};

inline constexpr int EnglishLanguage = 1;
inline constexpr int ArabicLanguage = 12;

// Index of the interface language. Starts as English; only applyLanguageSetting changes it.
// UI thread only: no synchronisation.
extern int currentLanguage;

// currentLanguage as an index that is safe to look up by: anything outside 0..19 reads as English.
int currentLanguageIndex();

// The current language's text of the row whose key equals text exactly, or a copy of text.
// No normalisation: case, spaces and line feeds must match the key.
std::wstring translate(const std::wstring& text);
std::wstring translateLiteral(const wchar_t* text);

// Index of the code in LanguageCodes (exact, lower-case two letters), or -1.
int languageIndex(const std::string& code);

std::string currentLanguageCode();

// True for Arabic, the one right-to-left language.
bool isRightToLeft();

}  // namespace pm
