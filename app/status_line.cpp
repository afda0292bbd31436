#include "app/status_line.h"

#include "app/format_bytes.h"
#include "app/shell_globals.h"
#include "services/i18n/date_format.h"
#include "services/i18n/translate.h"

#include <string>
#include <string_view>

namespace pm {

namespace {

constexpr const wchar_t* Separator = L" \u00B7 ";

// "Пропущено: n · Ошибки: m", each label translated on its own so the numbers never depend on the table.
std::wstring skippedAndErrors() {
    return translate(L"Пропущено:") + L" " + formatCount(lastSkipped) + Separator + translate(L"Ошибки:") + L" " +
           formatCount(lastErrors);
}

// A sentence that leads the line ends at the separator, without its own full stop: ".", the ideographic
// "。" (Chinese, Japanese) or the danda "।" (Hindi, Bengali).
std::wstring withoutFullStop(std::wstring sentence) {
    if (!sentence.empty() && std::wstring_view(L".\u3002\u0964").find(sentence.back()) != std::wstring_view::npos)
        sentence.pop_back();
    return sentence;
}

}  // namespace

void updateStatusLine() {
    if (lastOperationKind == 1) {
        statusText = lastCancelled ? translate(L"Анализ отменён. Показан найденный до отмены объём.")
                                   : translate(L"Анализ завершён") + Separator + skippedAndErrors();
    } else if (lastOperationKind == 2) {
        // A cancelled clean-up still freed what it freed: the same line, whatever the cancel flag says.
        statusText = translate(L"Удалено") + L" " + formatBytes(lastBytes) + Separator + skippedAndErrors();
    } else if (lastOperationKind == 3) {
        // A move to the Recycle Bin reads like the clean-up: what was moved, then what was not.
        const std::wstring cancelled = lastCancelled ? withoutFullStop(translate(L"Перемещение отменено.")) + Separator
                                                     : std::wstring();
        statusText = cancelled + translate(L"В корзину перемещено:") + L" " + formatCount(lastFiles) + Separator +
                     formatBytes(lastBytes) + Separator + skippedAndErrors();
    }
    statusLine = lastOperationTime == 0
                     ? translate(L"Анализ ещё не выполнялся")
                     : translate(L"Последний анализ:") + L" " + formatDateTime(lastOperationTime);
}

}  // namespace pm
