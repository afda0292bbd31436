#include "services/history/message_catalog.h"

#include <string_view>

namespace pm {

const MessageCatalogRow* findCatalogMessage(const std::wstring& text) {
    const std::wstring_view wanted(text);
    // Two passes, so that a Russian text always beats an equal English one; within a pass the first row
    // wins, which settles the English texts the table holds twice.
    for (const MessageCatalogRow& row : MessageCatalog) {
        if (wanted == row.russian) return &row;
    }
    for (const MessageCatalogRow& row : MessageCatalog) {
        if (wanted == row.english) return &row;
    }
    return nullptr;
}

}  // namespace pm
