// The status text and the last-analysis line: built from the last operation's counters, label by label in
// the interface language, and built again with the same numbers when the language changes.
#include "app/format_bytes.h"
#include "app/status_line.h"
#include "services/i18n/date_format.h"
#include "tests/app/layout_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace pm {
namespace {

struct LastOperation {
    uint32_t kind;
    bool cancelled;
    uint64_t skipped, errors, bytes;
};

void store(const LastOperation& last) {
    lastOperationKind = last.kind;
    lastCancelled = last.cancelled;
    lastSkipped = last.skipped;
    lastErrors = last.errors;
    lastBytes = last.bytes;
}

TEST(StatusLine, BothLinesInRussianAndEnglish) {
    struct Case {
        const char* language;
        LastOperation last;
        std::wstring status;  // formatBytes of lastBytes stands where "{size}" is
    };
    const Case cases[] = {
        {"ru", {1, false, 3, 0, 0}, L"Анализ завершён · Пропущено: 3 · Ошибки: 0"},
        {"en", {1, false, 3, 0, 0}, L"Scan complete · Skipped: 3 · Errors: 0"},
        {"ru", {2, false, 2, 1, 1536}, L"Удалено {size} · Пропущено: 2 · Ошибки: 1"},
        {"en", {2, true, 2, 1, 1536}, L"Deleted: {size} · Skipped: 2 · Errors: 1"},  // cancel is not shown
        {"ru", {1, true, 9, 9, 0}, L"Анализ отменён. Показан найденный до отмены объём."},
        {"en", {1, true, 9, 9, 0}, L"Scan canceled. Showing the space found before cancellation."},
        {"en", {0, false, 5, 5, 5}, L"(kept)"},  // no operation: the text stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        applyLanguageSetting(c.language);
        store(c.last);
        statusText = L"(kept)";
        lastOperationTime = 0;
        updateStatusLine();
        std::wstring expected = c.status;
        if (const size_t at = expected.find(L"{size}"); at != std::wstring::npos) {
            expected.replace(at, 6, formatBytes(c.last.bytes));
        }
        EXPECT_EQ(statusText, expected);
        EXPECT_EQ(statusLine, std::string(c.language) == "ru" ? L"Анализ ещё не выполнялся" : L"No scan yet");

        lastOperationTime = 1700000000;
        updateStatusLine();
        EXPECT_EQ(statusLine, (std::string(c.language) == "ru" ? L"Последний анализ: " : L"Last scan: ") +
                                  formatDateTime(1700000000));
    }
    applyLanguageSetting("en");
}

using test::LayoutWindowTest;

TEST_F(LayoutWindowTest, LanguageChoiceRebuildsBothLinesWithTheSameNumbers) {
    store({1, false, 4, 2, 0});
    lastOperationTime = 1700000000;
    applyLanguageSetting("ru");
    updateStatusLine();
    ASSERT_EQ(statusText, L"Анализ завершён · Пропущено: 4 · Ошибки: 2");

    // The user picks English in the language list.
    HWND combo = control(ui::LanguageComboId);
    const auto& options = languageOptions();
    const auto english = std::find_if(options.begin(), options.end(), [](const auto& o) { return o.code == "en"; });
    ASSERT_NE(english, options.end());
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(english - options.begin()), 0);
    SendMessageW(window_, WM_COMMAND, MAKEWPARAM(ui::LanguageComboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));

    EXPECT_EQ(ui::currentSettings.language, "en");
    EXPECT_EQ(statusText, L"Scan complete · Skipped: 4 · Errors: 2");
    EXPECT_EQ(statusLine, L"Last scan: " + formatDateTime(1700000000));
    store({0, false, 0, 0, 0});
    lastOperationTime = 0;
}

}  // namespace
}  // namespace pm
