// The message catalog: every interface text with a stable id, so that a history line can name a text
// in a way that survives a change of language.
#pragma once

#include "services/i18n/translation_table.h"

#include <string>

namespace pm {

struct MessageCatalogRow {
    const wchar_t* russian;  // the translation key
    const wchar_t* english;
    const char* id;          // "m:" and 16 lowercase hex digits: FNV-1a 64 of the Russian text's UTF-8
};

// One row per row of the translation table, in the same order. The ids are stored, never computed:
// logs already written name their texts by them.
extern const MessageCatalogRow MessageCatalog[TranslationRowCount];

// The first row whose Russian text equals text exactly, else the first whose English text does,
// else null.
const MessageCatalogRow* findCatalogMessage(const std::wstring& text);

}  // namespace pm
