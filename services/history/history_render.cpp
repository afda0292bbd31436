// The history as the user reads it: each record in the current language after its local date and
// time, older entries after their stamp as written, and everything else exactly as stored.
#include "services/history/history_reader.h"

#include "services/history/legacy_entry.h"
#include "services/history/text_codec.h"
#include "services/i18n/date_format.h"
#include "services/i18n/size_format.h"
#include "services/i18n/translate.h"

#include <string_view>

namespace pm {

namespace {

constexpr std::string_view RecordPrefix = "@PM-HISTORY-1\t";

std::wstring messageText(const HistoryRecord& record) {
    return record.free_text ? record.text : translate(record.text);
}

// The templates append piece by piece into one buffer: the history window renders thousands of records
// each time it opens, and temporaries of every concatenation would dominate.
void appendCount(std::wstring& out, std::uint64_t count) {
    out += std::to_wstring(count);
}

void appendSkippedErrors(std::wstring& out, const HistoryRecord& r, std::wstring_view separator) {
    out += translateLiteral(L"Пропущено:");
    out += L' ';
    appendCount(out, r.skipped);
    out += separator;
    out += translateLiteral(L"Ошибки:");
    out += L' ';
    appendCount(out, r.errors);
}

// "N files", the separator and the size.
void appendFilesAndSize(std::wstring& out, const HistoryRecord& r, std::wstring_view separator) {
    appendCount(out, r.files);
    out += L' ';
    out += translateLiteral(L"файлов");
    out += separator;
    out += formatSize(r.bytes);
}

void appendScan(std::wstring& out, const HistoryRecord& r) {
    out += translateLiteral(L"Анализ:");
    out += L' ';
    appendFilesAndSize(out, r, L", ");
    out += L". ";
    out += r.cancelled ? translateLiteral(L"Анализ отменён. Показан найденный до отмены объём.")
                       : translateLiteral(L"Анализ завершён");
    if (r.counters_known) {
        out += L" · ";
        appendSkippedErrors(out, r, L" · ");
    }
}

void appendCleanup(std::wstring& out, const HistoryRecord& r) {
    out += r.cancelled ? translateLiteral(L"Очистка отменена.") : translateLiteral(L"Очистка завершена.");
    out += L'\n';
    out += translateLiteral(L"Удалено:");
    out += L' ';
    appendFilesAndSize(out, r, L"; ");
    out += L".\n";
    appendSkippedErrors(out, r, L". ");
    out += L'.';
    if (r.recycle_emptied) {
        out += L'\n';
        out += translateLiteral(L"Корзина очищена.");
    }
    out += L"\n\n";
    out += translateLiteral(L"Повторите анализ для обновления списка.");
}

void appendLargeSearch(std::wstring& out, const HistoryRecord& r) {
    if (!r.text.empty()) {
        out += messageText(r);
        return;
    }
    out += r.cancelled ? translateLiteral(L"Поиск отменён") : translateLiteral(L"Поиск завершён");
    out += L" · ";
    out += translateLiteral(L"Найдено файлов:");
    out += L' ';
    appendCount(out, r.files);
    out += L" · ";
    appendSkippedErrors(out, r, L" · ");
    if (r.truncated) {
        out += L'\n';
        out += translateLiteral(L"Список ограничен. Увеличьте минимальный размер и повторите поиск.");
    }
}

void appendRecycle(std::wstring& out, const HistoryRecord& r) {
    if (r.cancelled) {
        out += translateLiteral(L"Перемещение отменено.");
        out += L'\n';
    }
    out += translateLiteral(L"В корзину перемещено:");
    out += L' ';
    appendCount(out, r.files);
    out += L" · ";
    out += formatSize(r.bytes);
    out += L'\n';
    appendSkippedErrors(out, r, L" · ");
    out += L'\n';
    out += r.errors != 0 ? translateLiteral(L"Файлы с ошибками не учтены в результате. Проверьте системную корзину.")
                         : translateLiteral(L"Недоступные или изменившиеся файлы сохранены.");
}

bool isRecordLine(std::string_view line) {
    return line.size() >= RecordPrefix.size() && line.substr(0, RecordPrefix.size()) == RecordPrefix;
}

}  // namespace

std::wstring formatSkippedErrors(const HistoryRecord& record, const std::wstring& separator) {
    std::wstring out;
    appendSkippedErrors(out, record, separator);
    return out;
}

std::wstring renderHistoryText(const HistoryRecord& record) {
    std::wstring out;
    out.reserve(160 + record.text.size() + record.detail.size());
    switch (record.kind) {
    case HistoryKind::Scan: appendScan(out, record); break;
    case HistoryKind::Cleanup: appendCleanup(out, record); break;
    case HistoryKind::LargeSearch: appendLargeSearch(out, record); break;
    case HistoryKind::Recycle: appendRecycle(out, record); break;
    case HistoryKind::Message: out += messageText(record); break;
    default: out += record.text; break;
    }
    out += record.detail;
    return out;
}

void flushHistoryEntry(std::string& pending, std::wstring& output) {
    if (pending.empty()) return;
    std::size_t bodyEnd = pending.size();
    while (bodyEnd > 0 && (pending[bodyEnd - 1] == '\r' || pending[bodyEnd - 1] == '\n')) --bodyEnd;
    const std::wstring tail = toCrLf(utf8ToWideSanitized(pending.substr(bodyEnd)));
    // The body in place. Showing it raw then needs no copy of the whole entry either: the body ends in
    // neither CR nor LF, so decoding and converting it apart from the tail gives the same text.
    pending.resize(bodyEnd);
    const std::string& body = pending;

    HistoryRecord record;
    std::int64_t time = 0;
    if (parseHistoryRecord(body, record, time)) {
        output += toCrLf(formatDateTime(time) + L"  " + renderHistoryText(record));
    } else {
        const std::wstring text = utf8ToWideSanitized(body);
        std::size_t afterStamp = 0;
        HistoryRecord legacy;
        if (parseLegacyStamp(text, afterStamp) && parseLegacyEntry(text.substr(afterStamp), legacy)) {
            output += toCrLf(text.substr(0, afterStamp) + renderHistoryText(legacy));
        } else {
            output += toCrLf(text);
        }
    }
    output += tail;
    pending.clear();
}

std::wstring renderHistoryLog(const std::string& bytes) {
    std::wstring output;
    output.reserve(bytes.size());
    std::string pending;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t lf = bytes.find('\n', start);
        const std::size_t end = lf == std::string::npos ? bytes.size() : lf + 1;
        const std::string_view line(bytes.data() + start, end - start);
        if (isRecordLine(line)) {
            flushHistoryEntry(pending, output);
            pending.assign(line);
            flushHistoryEntry(pending, output);
        } else {
            // A stamp and the blank after it are ASCII, so the first 20 bytes decide.
            std::size_t afterStamp = 0;
            if (parseLegacyStamp(utf8ToWideSanitized(std::string(line.substr(0, 20))), afterStamp)) {
                flushHistoryEntry(pending, output);
            }
            pending.append(line);
        }
        start = end;
    }
    flushHistoryEntry(pending, output);
    return output;
}

}  // namespace pm
