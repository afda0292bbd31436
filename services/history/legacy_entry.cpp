// Recognisers of the older free-text history entries, each the exact shape of one result text as the
// program once showed it, in Russian or in English.
#include "services/history/legacy_entry.h"
#include "services/history/legacy_entry_internal.h"

#include "services/history/message_catalog.h"

namespace pm {

namespace {

constexpr std::size_t MaxEntryUnits = 16384;
constexpr std::size_t MaxBracketPartUnits = 68;

// After the last element: trailing blanks, then the end of the text.
bool endsHere(LegacyCursor& cursor) {
    skipBlanks(cursor);
    return cursor.index == cursor.text.size();
}

// Blanks, "·" or ".", blanks: the separator between the parts of one line.
bool matchSeparator(LegacyCursor& cursor) {
    skipBlanks(cursor);
    if (!matchAnyLiteral(cursor, {L"·", L"."})) return false;
    skipBlanks(cursor);
    return true;
}

// The opening status of a result: one of the cancelled forms sets the flag, one of the completed forms
// leaves it; anything else is not this result.
bool matchStatus(LegacyCursor& cursor, std::initializer_list<std::wstring_view> cancelled,
                 std::initializer_list<std::wstring_view> completed, HistoryRecord& record) {
    if (matchAnyLiteral(cursor, cancelled)) {
        record.cancelled = true;
        return true;
    }
    return matchAnyLiteral(cursor, completed);
}

bool matchFilesWord(LegacyCursor& cursor) {
    skipBlanks(cursor);
    if (!matchAnyLiteral(cursor, {L"файлов", L"files"})) return false;
    skipBlanks(cursor);
    return true;
}

// The catalog row of a one-line sentence, as a message entry may hold it.
const MessageCatalogRow* sentenceRow(const std::wstring& text) {
    const MessageCatalogRow* row = findCatalogMessage(text);
    if (row == nullptr) return nullptr;
    const std::wstring_view russian(row->russian);
    if (russian.empty() || russian.back() != L'.') return nullptr;
    if (russian.find_first_of(L"\r\n") != std::wstring_view::npos) return nullptr;
    return row;
}

bool isCodeUnit(wchar_t unit) {
    return (unit >= L'A' && unit <= L'Z') || (unit >= L'a' && unit <= L'z') || (unit >= L'0' && unit <= L'9') ||
           unit == L'-' || unit == L'_';
}

}  // namespace

bool recognizeLegacyScan(const std::wstring& text, HistoryRecord& record) {
    LegacyCursor cursor{text, 0};
    if (!matchAnyLiteral(cursor, {L"Анализ:", L"Scan:"}) || !parseCount(cursor, record.files)) return false;
    if (!matchFilesWord(cursor) || !matchLiteral(cursor, L",")) return false;
    if (!parseLegacySize(cursor, record.bytes) || !matchLiteral(cursor, L".")) return false;
    skipBlanks(cursor);
    record.kind = HistoryKind::Scan;
    if (matchAnyLiteral(cursor, {L"Анализ отменён. Показан найденный до отмены объём.",
                                 L"Scan canceled. Showing the space found before cancellation."})) {
        record.cancelled = true;
        record.counters_known = false;
        return endsHere(cursor);
    }
    if (!matchAnyLiteral(cursor, {L"Анализ завершён", L"Scan complete"})) return false;
    if (!matchSeparator(cursor) || !parseSkippedErrors(cursor, record, true)) return false;
    return endsHere(cursor);
}

bool recognizeLegacyCleanup(const std::wstring& text, HistoryRecord& record) {
    LegacyCursor cursor{text, 0};
    record.kind = HistoryKind::Cleanup;
    if (!matchStatus(cursor, {L"Очистка отменена.", L"Cleanup canceled."},
                     {L"Очистка завершена.", L"Cleanup complete."}, record)) {
        return false;
    }
    if (!matchLiteral(cursor, L"\n") || !matchAnyLiteral(cursor, {L"Удалено:", L"Deleted:"})) return false;
    if (!parseCount(cursor, record.files) || !matchFilesWord(cursor) || !matchLiteral(cursor, L";")) return false;
    if (!parseLegacySize(cursor, record.bytes) || !matchLiteral(cursor, L".\n")) return false;
    if (!parseSkippedErrors(cursor, record, false)) return false;
    if (matchAnyLiteral(cursor, {L"\nКорзина очищена.", L"\nRecycle Bin emptied."})) record.recycle_emptied = true;
    if (!matchAnyLiteral(cursor,
                         {L"\n\nПовторите анализ для обновления списка.", L"\n\nScan again to update the list."})) {
        return false;
    }
    return endsHere(cursor);
}

bool recognizeLegacyLargeSearch(const std::wstring& text, HistoryRecord& record) {
    LegacyCursor cursor{text, 0};
    record.kind = HistoryKind::LargeSearch;
    if (!matchStatus(cursor, {L"Поиск отменён", L"Search canceled"}, {L"Поиск завершён", L"Search complete"}, record)) {
        return false;
    }
    if (!matchSeparator(cursor) || !matchAnyLiteral(cursor, {L"Найдено файлов:", L"Files found:"})) return false;
    if (!parseCount(cursor, record.files) || !matchSeparator(cursor)) return false;
    if (!parseSkippedErrors(cursor, record, false)) return false;
    if (matchAnyLiteral(cursor, {L"\nСписок ограничен. Увеличьте минимальный размер и повторите поиск.",
                                 L"\nThe list is limited. Increase the minimum size and search again."})) {
        record.truncated = true;
    }
    return endsHere(cursor);
}

bool recognizeLegacyRecycle(const std::wstring& text, HistoryRecord& record) {
    LegacyCursor cursor{text, 0};
    record.kind = HistoryKind::Recycle;
    if (matchAnyLiteral(cursor, {L"Перемещение отменено.\n", L"Move canceled.\n"})) record.cancelled = true;
    if (!matchAnyLiteral(cursor, {L"В корзину перемещено:", L"Moved to Recycle Bin:"})) return false;
    if (!parseCount(cursor, record.files) || !matchSeparator(cursor)) return false;
    if (!parseLegacySize(cursor, record.bytes) || !matchLiteral(cursor, L"\n")) return false;
    if (!parseSkippedErrors(cursor, record, false) || !matchLiteral(cursor, L"\n")) return false;
    // The note is not kept: rendering picks it again from the error count.
    if (!matchAnyLiteral(cursor, {L"Недоступные или изменившиеся файлы сохранены.",
                                  L"Unavailable or changed files were kept.",
                                  L"Файлы с ошибками не учтены в результате. Проверьте системную корзину.",
                                  L"Files with errors are excluded from the result. Check the system Recycle Bin."})) {
        return false;
    }
    return endsHere(cursor);
}

bool recognizeLegacyMessage(const std::wstring& text, HistoryRecord& record) {
    record.kind = HistoryKind::Message;
    static constexpr std::wstring_view failed = L"Self-test failed: ";
    if (text == L"Self-test passed") {
        record.text = L"Самопроверка пройдена.";
        return true;
    }
    if (std::wstring_view(text).starts_with(failed)) {
        record.text = L"Самопроверка не пройдена.";
        record.detail = L" " + text.substr(failed.size());
        return true;
    }
    if (const MessageCatalogRow* row = sentenceRow(text)) {
        record.text = row->russian;
        return true;
    }
    // A sentence followed by " [code]", the code of letters, digits, '-' and '_' only.
    if (text.empty() || text.back() != L']') return false;
    const std::size_t open = text.rfind(L" [");
    if (open == std::wstring::npos || text.size() - open > MaxBracketPartUnits) return false;
    for (std::size_t i = open + 2; i + 1 < text.size(); ++i) {
        if (!isCodeUnit(text[i])) return false;
    }
    const MessageCatalogRow* row = sentenceRow(text.substr(0, open));
    if (row == nullptr) return false;
    record.text = row->russian;
    record.detail = text.substr(open);
    return true;
}

bool parseLegacyEntry(const std::wstring& text, HistoryRecord& record) {
    if (text.empty() || text.size() > MaxEntryUnits) return false;
    std::wstring normal;
    normal.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        normal.push_back(text[i]);
    }
    using Recognizer = bool (*)(const std::wstring&, HistoryRecord&);
    for (const Recognizer recognize : {recognizeLegacyScan, recognizeLegacyCleanup, recognizeLegacyLargeSearch,
                                       recognizeLegacyRecycle, recognizeLegacyMessage}) {
        HistoryRecord fresh;
        if (recognize(normal, fresh)) {
            record = fresh;
            return true;
        }
    }
    return false;
}

}  // namespace pm
