// The constant table of interface texts: one row per Russian source text, one column per language.
#pragma once

#include <cstddef>

namespace pm {

// Column 0 is the key; column index + 1 holds the text of language index (see LanguageCodes).
inline constexpr std::size_t TranslationColumnCount = 21;
inline constexpr std::size_t TranslationRowCount = 200;

// TranslationRowCount rows, sorted by key in unsigned UTF-16 code-unit order, a prefix before the keys
// it starts; keys unique. Plain constant data: nothing is built or allocated at start-up.
// (The bound is left to the definition, so that a row added or lost there fails to compile.)
extern const wchar_t* const TranslationTable[][TranslationColumnCount];

}  // namespace pm
