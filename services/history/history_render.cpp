// The history as the user reads it: each record in the current language after its local date and
// time, older entries after their stamp as written, and everything else exactly as stored.
#include "services/history/history_reader.h"

#include "services/history/history_line_internal.h"
#include "services/history/legacy_entry.h"
#include "services/history/text_codec.h"
#include "services/i18n/date_format.h"
#include "services/i18n/size_format.h"
#include "services/i18n/translate.h"

#include <string_view>

namespace pm {

namespace {

using history::RecordPrefix;

// The fixed phrases of the templates in the current language. The history window renders thousands of
// records each time it opens: translating them once per rendering, not once per record, halves the work.
struct Phrases {
    std::wstring skipped = translateLiteral(L"Пропущено:");
    std::wstring errors = translateLiteral(L"Ошибки:");
    std::wstring files = translateLiteral(L"файлов");
    std::wstring scan = translateLiteral(L"Анализ:");
    std::wstring scanCancelled = translateLiteral(L"Анализ отменён. Показан найденный до отмены объём.");
    std::wstring scanComplete = translateLiteral(L"Анализ завершён");
    std::wstring cleanupCancelled = translateLiteral(L"Очистка отменена.");
    std::wstring cleanupComplete = translateLiteral(L"Очистка завершена.");
    std::wstring deleted = translateLiteral(L"Удалено:");
    std::wstring recycleEmptied = translateLiteral(L"Корзина очищена.");
    std::wstring scanAgain = translateLiteral(L"Повторите анализ для обновления списка.");
    std::wstring searchCancelled = translateLiteral(L"Поиск отменён");
    std::wstring searchComplete = translateLiteral(L"Поиск завершён");
    std::wstring filesFound = translateLiteral(L"Найдено файлов:");
    std::wstring listLimited = translateLiteral(L"Список ограничен. Увеличьте минимальный размер и повторите поиск.");
    std::wstring moveCancelled = translateLiteral(L"Перемещение отменено.");
    std::wstring moved = translateLiteral(L"В корзину перемещено:");
    std::wstring errorsExcluded =
        translateLiteral(L"Файлы с ошибками не учтены в результате. Проверьте системную корзину.");
    std::wstring keptFiles = translateLiteral(L"Недоступные или изменившиеся файлы сохранены.");
};

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring messageText(const HistoryRecord& record) {
    return record.free_text ? record.text : translate(record.text);
}

// The templates append piece by piece into one buffer, for the same reason.
void appendCount(std::wstring& out, std::uint64_t count) {
    out += formatCount(count);
}

void appendSkippedErrors(std::wstring& out, const HistoryRecord& r, std::wstring_view separator, const Phrases& p) {
    out += p.skipped;
    out += L' ';
    appendCount(out, r.skipped);
    out += separator;
    out += p.errors;
    out += L' ';
    appendCount(out, r.errors);
}

// "N files", the separator and the size.
void appendFilesAndSize(std::wstring& out, const HistoryRecord& r, std::wstring_view separator, const Phrases& p) {
    appendCount(out, r.files);
    out += L' ';
    out += p.files;
    out += separator;
    out += formatSize(r.bytes);
}

void appendScan(std::wstring& out, const HistoryRecord& r, const Phrases& p) {
    out += p.scan;
    out += L' ';
    appendFilesAndSize(out, r, L", ", p);
    out += L". ";
    out += r.cancelled ? p.scanCancelled : p.scanComplete;
    if (r.counters_known) {
        out += L" · ";
        appendSkippedErrors(out, r, L" · ", p);
    }
}

void appendCleanup(std::wstring& out, const HistoryRecord& r, const Phrases& p) {
    out += r.cancelled ? p.cleanupCancelled : p.cleanupComplete;
    out += L'\n';
    out += p.deleted;
    out += L' ';
    appendFilesAndSize(out, r, L"; ", p);
    out += L".\n";
    appendSkippedErrors(out, r, L". ", p);
    out += L'.';
    if (r.recycle_emptied) {
        out += L'\n';
        out += p.recycleEmptied;
    }
    out += L"\n\n";
    out += p.scanAgain;
}

void appendLargeSearch(std::wstring& out, const HistoryRecord& r, const Phrases& p) {
    if (!r.text.empty()) {
        out += messageText(r);
        return;
    }
    out += r.cancelled ? p.searchCancelled : p.searchComplete;
    out += L" · ";
    out += p.filesFound;
    out += L' ';
    appendCount(out, r.files);
    out += L" · ";
    appendSkippedErrors(out, r, L" · ", p);
    if (r.truncated) {
        out += L'\n';
        out += p.listLimited;
    }
}

void appendRecycle(std::wstring& out, const HistoryRecord& r, const Phrases& p) {
    if (r.cancelled) {
        out += p.moveCancelled;
        out += L'\n';
    }
    out += p.moved;
    out += L' ';
    appendCount(out, r.files);
    out += L" · ";
    out += formatSize(r.bytes);
    out += L'\n';
    appendSkippedErrors(out, r, L" · ", p);
    out += L'\n';
    out += r.errors != 0 ? p.errorsExcluded : p.keptFiles;
}

std::wstring renderText(const HistoryRecord& record, const Phrases& phrases) {
    std::wstring out;
    out.reserve(160 + record.text.size() + record.detail.size());
    switch (record.kind) {
    case HistoryKind::Scan: appendScan(out, record, phrases); break;
    case HistoryKind::Cleanup: appendCleanup(out, record, phrases); break;
    case HistoryKind::LargeSearch: appendLargeSearch(out, record, phrases); break;
    case HistoryKind::Recycle: appendRecycle(out, record, phrases); break;
    case HistoryKind::Message: out += messageText(record); break;
    default: out += record.text; break;
    }
    // A message's detail is a sentence of its own (the self-test's reason). Older entries stored it with
    // its blank, records store it bare: both read with one space after the message.
    if (record.kind == HistoryKind::Message && !out.empty() && !record.detail.empty() &&
        !isBlank(out.back()) && !isBlank(record.detail.front())) {
        out += L' ';
    }
    out += record.detail;
    return out;
}

void flushEntry(std::string& pending, std::wstring& output, const Phrases& phrases) {
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
        output += toCrLf(formatDateTime(time) + L"  " + renderText(record, phrases));
    } else {
        const std::wstring text = utf8ToWideSanitized(body);
        std::size_t afterStamp = 0;
        HistoryRecord legacy;
        if (parseLegacyStamp(text, afterStamp) && parseLegacyEntry(text.substr(afterStamp), legacy)) {
            output += toCrLf(text.substr(0, afterStamp) + renderText(legacy, phrases));
        } else {
            output += toCrLf(text);
        }
    }
    output += tail;
    pending.clear();
}

bool isRecordLine(std::string_view line) {
    return line.size() >= RecordPrefix.size() && line.substr(0, RecordPrefix.size()) == RecordPrefix;
}

}  // namespace

std::wstring formatSkippedErrors(const HistoryRecord& record, const std::wstring& separator) {
    std::wstring out;
    appendSkippedErrors(out, record, separator, Phrases{});
    return out;
}

std::wstring renderHistoryText(const HistoryRecord& record) {
    return renderText(record, Phrases{});
}

void flushHistoryEntry(std::string& pending, std::wstring& output) {
    flushEntry(pending, output, Phrases{});
}

std::wstring renderHistoryLog(const std::string& bytes) {
    const Phrases phrases;
    std::wstring output;
    output.reserve(bytes.size());
    std::string pending;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t lf = bytes.find('\n', start);
        const std::size_t end = lf == std::string::npos ? bytes.size() : lf + 1;
        const std::string_view line(bytes.data() + start, end - start);
        if (isRecordLine(line)) {
            flushEntry(pending, output, phrases);
            pending.assign(line);
            flushEntry(pending, output, phrases);
        } else {
            // A stamp and the blank after it are ASCII, so the first 20 bytes decide.
            std::size_t afterStamp = 0;
            if (parseLegacyStamp(utf8ToWideSanitized(std::string(line.substr(0, 20))), afterStamp)) {
                flushEntry(pending, output, phrases);
            }
            pending.append(line);
        }
        start = end;
    }
    flushEntry(pending, output, phrases);
    return output;
}

}  // namespace pm
