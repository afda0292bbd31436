#include "services/history/history_writer.h"

#include "services/history/history_line_internal.h"
#include "services/history/message_catalog.h"
#include "services/history/text_codec.h"
#include "services/json/json.h"
#include "services/state/file_handle.h"
#include "services/state/state_file.h"

#include <windows.h>

#include <ctime>
#include <mutex>
#include <stdexcept>

namespace pm {

namespace {

using history::LastValidTimeMinusOne;

const char* kindName(HistoryKind kind) {
    switch (kind) {
    case HistoryKind::Scan: return "scan";
    case HistoryKind::Cleanup: return "cleanup";
    case HistoryKind::LargeSearch: return "large_search";
    case HistoryKind::Recycle: return "recycle";
    default: return "message";
    }
}

const char* boolText(bool value) {
    return value ? "true" : "false";
}

std::string quotedCount(std::uint64_t value) {
    std::string quoted(1, '"');
    quoted += std::to_string(value);
    quoted += '"';
    return quoted;
}

// True when the file is empty or its last byte is LF. A line cut short by an earlier failed write
// leaves no LF; the next record must then start on a line of its own, or it would be read as part of
// the broken line and shown raw.
bool endsWithLineEnd(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return false;
    if (size.QuadPart == 0) return true;
    OVERLAPPED at{};
    const auto last = static_cast<std::uint64_t>(size.QuadPart - 1);
    at.Offset = static_cast<DWORD>(last & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(last >> 32);
    char byte = 0;
    DWORD read = 0;
    if (!ReadFile(file, &byte, 1, &read, &at) || read != 1) return false;
    return byte == '\n';
}

}  // namespace

std::string formatHistoryRecord(const HistoryRecord& record, std::int64_t time) {
    if (static_cast<std::uint64_t>(time) - 1 > LastValidTimeMinusOne || record.text.size() > MaxHistoryTextUnits ||
        record.detail.size() > MaxHistoryTextUnits) {
        throw std::runtime_error("history bounds");
    }
    std::string message;
    std::string text;
    const MessageCatalogRow* row = record.free_text ? nullptr : findCatalogMessage(record.text);
    if (row) {
        message = row->id;
    } else {
        text = encodeUtf8(record.text);
    }
    std::string object;
    object.reserve(256 + text.size() + record.detail.size() * 3);
    object += "{\"v\":1,\"time\":";
    object += std::to_string(time);
    object += ",\"kind\":";
    object += jsonQuote(kindName(record.kind));
    object += ",\"files\":" + quotedCount(record.files);
    object += ",\"bytes\":" + quotedCount(record.bytes);
    object += ",\"skipped\":" + quotedCount(record.skipped);
    object += ",\"errors\":" + quotedCount(record.errors);
    object += ",\"cancelled\":";
    object += boolText(record.cancelled);
    object += ",\"recycle_emptied\":";
    object += boolText(record.recycle_emptied);
    object += ",\"truncated\":";
    object += boolText(record.truncated);
    object += ",\"counters_known\":";
    object += boolText(record.counters_known);
    object += ",\"message\":" + jsonQuote(message);
    object += ",\"text\":" + jsonQuote(text);
    object += ",\"detail\":" + jsonQuote(encodeUtf8(record.detail));
    object += "}";
    if (object.size() > history::MaxRecordObjectBytes) throw std::runtime_error("history bounds");
    return std::string(history::RecordPrefix) + object;
}

void appendHistory(const HistoryRecord& record) noexcept {
    try {
        const std::string line = formatHistoryRecord(record, _time64(nullptr)) + "\r\n";
        const std::wstring path = appDataDir() + L"\\" + HistoryFileName;

        static std::mutex appendLock;
        std::lock_guard<std::mutex> locked(appendLock);
        // Read access only to look at the last byte; writers outside this process are still shut out by
        // the share mode, so nothing can land between that look and the append.
        FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return;
        const std::string out = endsWithLineEnd(file.get()) ? line : "\r\n" + line;
        // One write per record keeps it in one piece at the end of the file. A short write is not
        // retried: the next append starts a fresh line instead.
        DWORD written = 0;
        WriteFile(file.get(), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    } catch (...) {
        // The history never stops the operation it records.
    }
}

void appendHistoryMessage(const std::wstring& text) noexcept {
    try {
        HistoryRecord record;
        record.kind = HistoryKind::Message;
        record.text = text;
        appendHistory(record);
    } catch (...) {
    }
}

}  // namespace pm
