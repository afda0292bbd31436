#include "app/history_note.h"

#include "services/history/history_record.h"
#include "services/history/history_writer.h"

namespace pm {

void recordHistoryNote(const std::wstring& text, const std::wstring& detail) {
    HistoryRecord record;
    record.kind = HistoryKind::Message;
    record.counters_known = true;
    record.text = text;
    record.detail = detail;
    appendHistory(record);
}

}  // namespace pm
