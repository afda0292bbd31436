// Strict reading of one record line: anything the writer could not have produced is refused, and the
// renderer then shows the line as stored.
#include "services/history/history_reader.h"

#include "services/history/history_line_internal.h"
#include "services/history/legacy_entry.h"
#include "services/history/message_catalog.h"
#include "services/history/text_codec.h"
#include "services/json/json.h"

#include <string_view>

namespace pm {

namespace {

using history::LastValidTimeMinusOne;
using history::RecordPrefix;
constexpr std::size_t MaxStoredTextBytes = 32768;
constexpr std::size_t MemberCount = 14;

bool readKind(const std::string& name, HistoryKind& kind) {
    static constexpr const char* names[] = {"scan", "cleanup", "large_search", "recycle", "message"};
    for (std::int32_t i = 0; i < 5; ++i) {
        if (name == names[i]) {
            kind = static_cast<HistoryKind>(i);
            return true;
        }
    }
    return false;
}

bool readCount(const JsonValue& object, const char* key, std::uint64_t& value) {
    const JsonValue& member = object.at(key);
    return member.kind == JsonKind::String && parseDecimalU64(member.text.data(), member.text.size(), value);
}

bool readFlag(const JsonValue& object, const char* key, bool& value) {
    const JsonValue& member = object.at(key);
    if (member.kind != JsonKind::Bool) return false;
    value = member.boolValue;
    return true;
}

// The bytes of a string member, without a copy; null for any other kind.
const std::string* stringMember(const JsonValue& object, const char* key) {
    const JsonValue& member = object.at(key);
    return member.kind == JsonKind::String ? &member.text : nullptr;
}

// Text the writer produced: short enough and exactly what encodeUtf8 gives for its own decoding.
bool readStoredText(const std::string* bytes, std::wstring& text) {
    if (bytes == nullptr || bytes->size() > MaxStoredTextBytes) return false;
    text = utf8ToWideSanitized(*bytes);
    return encodeUtf8(text) == *bytes;
}

}  // namespace

bool parseHistoryRecord(const std::string& line, HistoryRecord& record, std::int64_t& time) noexcept {
    try {
        if (line.size() < RecordPrefix.size() || line.size() > RecordPrefix.size() + history::MaxRecordObjectBytes) {
            return false;
        }
        if (std::string_view(line).substr(0, RecordPrefix.size()) != RecordPrefix) return false;
        const JsonValue object = parseJson(line.substr(RecordPrefix.size()));
        if (object.kind != JsonKind::Object || object.members.size() != MemberCount) return false;

        if (object.at("v").asInt64() != 1) return false;
        const std::int64_t stamp = object.at("time").asInt64();
        if (static_cast<std::uint64_t>(stamp) - 1 > LastValidTimeMinusOne) return false;

        HistoryRecord read;
        const std::string* kind = stringMember(object, "kind");
        if (kind == nullptr || !readKind(*kind, read.kind)) return false;
        if (!readCount(object, "files", read.files) || !readCount(object, "bytes", read.bytes) ||
            !readCount(object, "skipped", read.skipped) || !readCount(object, "errors", read.errors)) {
            return false;
        }
        if (!readFlag(object, "cancelled", read.cancelled) ||
            !readFlag(object, "recycle_emptied", read.recycle_emptied) ||
            !readFlag(object, "truncated", read.truncated) ||
            !readFlag(object, "counters_known", read.counters_known)) {
            return false;
        }
        const std::string* message = stringMember(object, "message");
        if (message == nullptr) return false;
        std::wstring text;
        std::wstring detail;
        if (!readStoredText(stringMember(object, "text"), text)) return false;
        if (!readStoredText(stringMember(object, "detail"), detail)) return false;

        if (!message->empty()) {
            const MessageCatalogRow* row = nullptr;
            for (const MessageCatalogRow& candidate : MessageCatalog) {
                if (*message == candidate.id) {
                    row = &candidate;
                    break;
                }
            }
            if (row == nullptr || !text.empty()) return false;
            read.text = row->russian;
            read.free_text = false;
        } else {
            read.text = std::move(text);
            read.free_text = true;
        }
        read.detail = std::move(detail);
        record = std::move(read);
        time = stamp;
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace pm
