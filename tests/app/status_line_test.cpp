// The status text and the last-analysis line: built from the last operation's counters, label by label in
// the interface language, and built again with the same numbers when the language changes.
#include "app/format_bytes.h"
#include "app/status_line.h"
#include "services/i18n/date_format.h"
#include "services/i18n/translate.h"
#include "tests/app/layout_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

namespace pm {
namespace {

TEST(StatusLine, BothLinesInRussianAndEnglish) {
    struct Case {
        const char* language;
        uint32_t kind;
        bool cancelled;
        std::wstring status;  // after a scan with 3 skipped, 0 errors, or a clean-up (a move) of 1536 B, 2 skipped,
                              // 1 error (5 files moved)
    };
    const std::wstring size = L"{size}";
    const Case cases[] = {
        {"ru", 1, false, L"Анализ завершён · Пропущено: 3 · Ошибки: 0"},
        {"en", 1, false, L"Scan complete · Skipped: 3 · Errors: 0"},
        {"ru", 2, false, L"Удалено {size} · Пропущено: 2 · Ошибки: 1"},
        {"en", 2, true, L"Deleted: {size} · Skipped: 2 · Errors: 1"},  // a cancelled clean-up reads the same
        {"en", 1, true, L"Scan canceled. Showing the space found before cancellation."},
        {"ru", 3, false, L"В корзину перемещено: 5 · {size} · Пропущено: 2 · Ошибки: 1"},
        {"en", 3, true, L"Move canceled · Moved to Recycle Bin: 5 · {size} · Skipped: 2 · Errors: 1"},
        {"en", 0, false, L"(kept)"},  // no operation: the text stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        applyLanguageSetting(c.language);
        lastOperationKind = c.kind;
        lastCancelled = c.cancelled;
        lastSkipped = c.kind == 1 ? 3 : 2;
        lastErrors = c.kind == 1 ? 0 : 1;
        lastBytes = 1536;
        lastFiles = 5;
        statusText = L"(kept)";
        lastOperationTime = 0;
        updateStatusLine();
        std::wstring expected = c.status;
        if (const size_t at = expected.find(size); at != std::wstring::npos) expected.replace(at, 6, formatBytes(1536));
        EXPECT_EQ(statusText, expected);
        const bool russian = std::string(c.language) == "ru";
        EXPECT_EQ(statusLine, russian ? L"Анализ ещё не выполнялся" : L"No scan yet");

        lastOperationTime = 1700000000;
        updateStatusLine();
        EXPECT_EQ(statusLine, (russian ? L"Последний анализ: " : L"Last scan: ") + formatDateTime(1700000000));
    }
    applyLanguageSetting("en");
}

// The cancelled move's sentence leads the line and ends at the separator, without the full stop of its
// script (".", "。", "।"); the history keeps the whole sentence on a line of its own.
TEST(StatusLine, CancelledMoveEndsItsSentenceAtTheSeparatorInEveryLanguage) {
    lastOperationKind = 3;
    lastCancelled = true;
    lastFiles = lastSkipped = lastErrors = lastBytes = 0;
    const std::pair<const char*, std::wstring> spelled[] = {
        {"en", L"Move canceled"}, {"zh", L"移动已取消"},           {"ja", L"移動をキャンセルしました"},
        {"hi", L"ले जाना रद्द किया गया"}, {"ar", L"تم إلغاء النقل"}, {"th", L"ยกเลิกการย้ายแล้ว"},
    };
    for (const auto& [code, lead] : spelled) {
        applyLanguageSetting(code);
        updateStatusLine();
        EXPECT_TRUE(statusText.starts_with(lead + L" \u00B7 ")) << code;
    }
    for (int language = 0; language < LanguageCount; ++language) {
        SCOPED_TRACE(LanguageCodes[language]);
        applyLanguageSetting(LanguageCodes[language]);
        updateStatusLine();
        const std::wstring sentence = translate(L"Перемещение отменено.");
        const std::wstring lead = statusText.substr(0, statusText.find(L" \u00B7 "));
        WORD type = 0;
        ASSERT_TRUE(GetStringTypeW(CT_CTYPE1, &lead.back(), 1, &type));
        EXPECT_FALSE(type & C1_PUNCT) << "a stop before the separator";
        EXPECT_TRUE(sentence.starts_with(lead) && sentence.size() - lead.size() <= 1) << "more than the stop left out";
    }
    lastOperationKind = 0;
    applyLanguageSetting("en");
}

using test::LayoutWindowTest;

TEST_F(LayoutWindowTest, LanguageChoiceRebuildsBothLinesWithTheSameNumbers) {
    lastOperationKind = 1;
    lastCancelled = false;
    lastSkipped = 4;
    lastErrors = 2;
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

    EXPECT_EQ(statusText, L"Scan complete · Skipped: 4 · Errors: 2");
    EXPECT_EQ(statusLine, L"Last scan: " + formatDateTime(1700000000));
    lastOperationKind = 0;
    lastOperationTime = 0;
}

}  // namespace
}  // namespace pm
