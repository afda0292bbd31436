// Reading record lines strictly and rendering whole files: every record kind in English and Russian,
// the shapes a real file takes, and no byte of the input ever hidden.
#include "services/history/history_reader.h"
#include "services/history/history_writer.h"
#include "services/history/message_catalog.h"
#include "services/history/text_codec.h"
#include "services/i18n/date_format.h"
#include "tests/services/history/history_test_util.h"
#include "tests/services/i18n/language_fixture.h"
#include "tests/services/json/json_test_util.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace pm {
namespace {

using test::counted;

constexpr std::int64_t kTime = 1733740000;  // December 2024

std::string line(const HistoryRecord& record, std::int64_t time = kTime) {
    return formatHistoryRecord(record, time);
}

std::wstring stamp(std::int64_t time = kTime) {
    return formatDateTime(time) + L"  ";
}

struct Rendered {
    HistoryRecord record;
    const wchar_t* english;
    const wchar_t* russian;
};

std::vector<Rendered> everyKind() {
    std::vector<Rendered> cases;
    HistoryRecord r = counted(HistoryKind::Scan, 120, 3565158, 2, 1);
    cases.push_back({r, L"Scan: 120 files, 3.4 MB. Scan complete · Skipped: 2 · Errors: 1",
                     L"Анализ: 120 файлов, 3.4 МБ. Анализ завершён · Пропущено: 2 · Ошибки: 1"});
    r.cancelled = true;
    r.counters_known = false;
    r.detail = L" (C:)";
    cases.push_back({r, L"Scan: 120 files, 3.4 MB. Scan canceled. Showing the space found before cancellation. (C:)",
                     L"Анализ: 120 файлов, 3.4 МБ. Анализ отменён. Показан найденный до отмены объём. (C:)"});
    r = counted(HistoryKind::Cleanup, 12, 3565158, 1, 0);
    r.recycle_emptied = true;
    cases.push_back({r,
                     L"Cleanup complete.\r\nDeleted: 12 files; 3.4 MB.\r\nSkipped: 1. Errors: 0.\r\n"
                     L"Recycle Bin emptied.\r\n\r\nScan again to update the list.",
                     L"Очистка завершена.\r\nУдалено: 12 файлов; 3.4 МБ.\r\nПропущено: 1. Ошибки: 0.\r\n"
                     L"Корзина очищена.\r\n\r\nПовторите анализ для обновления списка."});
    r.cancelled = true;
    r.recycle_emptied = false;
    r.counters_known = false;  // shown all the same
    cases.push_back({r,
                     L"Cleanup canceled.\r\nDeleted: 12 files; 3.4 MB.\r\nSkipped: 1. Errors: 0.\r\n\r\n"
                     L"Scan again to update the list.",
                     L"Очистка отменена.\r\nУдалено: 12 файлов; 3.4 МБ.\r\nПропущено: 1. Ошибки: 0.\r\n\r\n"
                     L"Повторите анализ для обновления списка."});
    r = counted(HistoryKind::LargeSearch, 7, 99, 0, 3);
    r.cancelled = true;
    r.truncated = true;
    cases.push_back({r,
                     L"Search canceled · Files found: 7 · Skipped: 0 · Errors: 3\r\n"
                     L"The list is limited. Increase the minimum size and search again.",
                     L"Поиск отменён · Найдено файлов: 7 · Пропущено: 0 · Ошибки: 3\r\n"
                     L"Список ограничен. Увеличьте минимальный размер и повторите поиск."});
    r.text = L"Поиск доступен только на локальном диске.";
    cases.push_back({r, L"Search is available only on a local drive.", L"Поиск доступен только на локальном диске."});
    r = counted(HistoryKind::Recycle, 2, 2048, 1, 1);
    r.cancelled = true;
    cases.push_back({r,
                     L"Move canceled.\r\nMoved to Recycle Bin: 2 · 2.0 KB\r\nSkipped: 1 · Errors: 1\r\n"
                     L"Files with errors are excluded from the result. Check the system Recycle Bin.",
                     L"Перемещение отменено.\r\nВ корзину перемещено: 2 · 2.0 КБ\r\nПропущено: 1 · Ошибки: 1\r\n"
                     L"Файлы с ошибками не учтены в результате. Проверьте системную корзину."});
    r.cancelled = false;
    r.errors = 0;
    cases.push_back({r,
                     L"Moved to Recycle Bin: 2 · 2.0 KB\r\nSkipped: 1 · Errors: 0\r\n"
                     L"Unavailable or changed files were kept.",
                     L"В корзину перемещено: 2 · 2.0 КБ\r\nПропущено: 1 · Ошибки: 0\r\n"
                     L"Недоступные или изменившиеся файлы сохранены."});
    r = HistoryRecord{};
    r.text = L"Self-test failed.";  // English in, stored by its id, shown in the language of the day
    r.detail = L" access denied";
    cases.push_back({r, L"Self-test failed. access denied", L"Самопроверка не пройдена. access denied"});
    r.detail = L"Filesystem does not support junction test fixtures.";  // as the self-test stores it
    cases.push_back({r, L"Self-test failed. Filesystem does not support junction test fixtures.",
                     L"Самопроверка не пройдена. Filesystem does not support junction test fixtures."});
    r.text = L"my own note\nline two";
    r.detail.clear();
    cases.push_back({r, L"my own note\r\nline two", L"my own note\r\nline two"});
    return cases;
}

using RenderHistory = test::LanguageTest;

TEST_F(RenderHistory, EveryKindInEnglishAndRussianFromTheSameBytes) {
    const std::vector<Rendered> cases = everyKind();
    std::string file;
    for (const Rendered& c : cases) file += line(c.record) + "\r\n";
    for (const char* language : {"en", "ru"}) {
        currentLanguage = languageIndex(language);
        std::wstring expected;
        for (const Rendered& c : cases) expected += stamp() + (language[0] == 'e' ? c.english : c.russian) + L"\r\n";
        EXPECT_EQ(renderHistoryLog(file), expected) << language;
    }
}

TEST_F(RenderHistory, ScanCountersOnlyWhenKnownAndUnknownKindsVerbatim) {
    currentLanguage = EnglishLanguage;
    HistoryRecord r;
    r.kind = HistoryKind::Scan;
    r.counters_known = false;
    r.detail = L"!";
    EXPECT_EQ(renderHistoryText(r), L"Scan: 0 files, 0 B. Scan complete!");
    r.kind = static_cast<HistoryKind>(9);
    r.text = L"Корзина";
    EXPECT_EQ(renderHistoryText(r), L"Корзина!");
    EXPECT_EQ(formatSkippedErrors(r, L"|"), L"Skipped: 0|Errors: 0");
}

// A valid line with one piece replaced.
std::string edited(const std::string& from, const std::string& to) {
    HistoryRecord r;
    r.kind = HistoryKind::Cleanup;
    r.files = 12;
    r.text = L"note";
    std::string text = line(r);
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(ParseHistoryRecord, StrictAboutEveryMember) {
    const std::string passedId = findCatalogMessage(L"Самопроверка пройдена.")->id;
    const struct {
        std::string line;
        bool valid;
    } cases[] = {
        {edited("", ""), true},
        {edited("\"files\":\"12\"", "\"files\" : \"12\""), true},
        {edited("{\"v\":1,", "{\"v\": 1,"), true},
        {edited("}", "}  \r\n\t"), true},
        {edited("{\"v\":1,\"time\":1733740000,", "{\"time\":1733740000,\"v\":1,"), true},
        {edited("\"files\":\"12\"", "\"files\":12"), false},
        {edited("\"files\":\"12\"", "\"files\":\"012\""), false},
        {edited("\"files\":\"12\"", "\"files\":\"123456789012345678901\""), false},
        {edited("\"files\":\"12\"", "\"files\":\"18446744073709551616\""), false},
        {edited("\"files\":\"12\"", "\"files\":\"18446744073709551615\""), true},
        {edited("\"files\":\"12\"", "\"files\":\"0\""), true},
        {edited("\"files\":\"12\"", "\"files\":\"-1\""), false},
        {edited("\"v\":1", "\"v\":1.0"), false},
        {edited("\"v\":1", "\"v\":2"), false},
        {edited("\"v\":1", "\"v\":\"1\""), false},
        {edited("1733740000", "0"), false},
        {edited("1733740000", "-5"), false},
        {edited("1733740000", "253402300800"), false},
        {edited("1733740000", "253402300799"), true},
        {edited("\"kind\":\"cleanup\"", "\"kind\":\"Cleanup\""), false},
        {edited("\"cancelled\":false", "\"cancelled\":0"), false},
        {edited("}", ",\"extra\":1}"), false},
        {edited(",\"detail\":\"\"", ""), false},
        {edited("\"detail\":\"\"", "\"detail\":\"\",\"detail\":\"\""), false},
        {edited("\"message\":\"\",\"text\":\"note\"", "\"message\":\"m:0123456789abcdef\",\"text\":\"\""), false},
        {edited("\"message\":\"\",\"text\":\"note\"", "\"message\":\"" + passedId + "\",\"text\":\"\""), true},
        {edited("\"message\":\"\",\"text\":\"note\"", "\"message\":\"" + passedId + "\",\"text\":\"x\""), false},
        {edited("\"message\":\"\",\"text\":\"note\"",
                "\"message\":\"" + passedId.substr(0, 17) + "F\",\"text\":\"\""),
         false},
        {edited("\"text\":\"note\"", "\"text\":\"a\\u0001b\""), false},
        {edited("\"text\":\"note\"", "\"text\":\"\xC0\x80\""), false},
        {edited("\"text\":\"note\"", "\"text\":\"\\ud800\""), false},
        {edited("\"text\":\"note\"", "\"text\":\"\\ud83d\\ude00 \\t\""), true},
        {edited("\"text\":\"note\"", "\"text\":\"" + std::string(32768, 'a') + "\""), true},
        {edited("\"text\":\"note\"", "\"text\":\"" + std::string(32769, 'a') + "\""), false},
        {edited("@PM-HISTORY-1\t", "@PM-HISTORY-1 "), false},
        {edited("@PM-HISTORY-1\t", "@PM-HISTORY-2\t"), false},
        {edited("}", "} x"), false},
        {"", false},
        {"@PM-HISTORY-1\t", false},
    };
    int index = 0;
    for (const auto& c : cases) {
        HistoryRecord record;
        std::int64_t time = 0;
        EXPECT_EQ(parseHistoryRecord(c.line, record, time), c.valid) << index << ": " << c.line.substr(0, 300);
        // What fails is shown exactly as stored.
        if (!c.valid && !c.line.empty()) {
            EXPECT_EQ(renderHistoryLog(c.line + "\r\n"), utf8ToWideSanitized(c.line) + L"\r\n") << index;
        }
        ++index;
    }
}

TEST_F(RenderHistory, FileShapes) {
    currentLanguage = EnglishLanguage;
    HistoryRecord r;
    r.text = L"Self-test passed.";
    const std::string rec = line(r);
    const std::wstring shown = stamp() + L"Self-test passed.";
    const struct {
        std::string file;
        std::wstring text;
    } cases[] = {
        {rec + "\n" + rec, shown + L"\r\n" + shown},                                   // LF only, no final line end
        {rec + "\r\n\r\n\n" + rec + "\r\n", shown + L"\r\n\r\n\r\n" + shown + L"\r\n"},  // blank lines kept
        {"\xEF\xBB\xBF" + rec + "\r\n", L"\xFEFF" + utf8ToWideSanitized(rec) + L"\r\n"},  // BOM: first line raw
        {rec.substr(20) + "\r\n" + rec + "\r\n", utf8ToWideSanitized(rec.substr(20)) + L"\r\n" + shown + L"\r\n"},
        {"cut line\nsecond\r\nthird\n" + rec, L"cut line\r\nsecond\r\nthird\r\n" + shown},
        {"bad \xFF\xC0 bytes\x01\n", L"bad \xFFFD\xFFFD bytes\xFFFD\r\n"},
        {"a\rb\n", L"a\rb\r\n"},
        {"", L""},
        {"\n", L"\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(renderHistoryLog(c.file), c.text) << test::printable(c.file);
}

TEST_F(RenderHistory, OlderEntriesUnderTheirStamps) {
    currentLanguage = EnglishLanguage;
    const std::string file =
        "2024-03-05 10:00:00\t\tОчистка завершена.\r\nУдалено: 12 файлов; 3,4 МБ.\r\nПропущено: 1. Ошибки: 0.\r\n\r\n"
        "Повторите анализ для обновления списка.\r\n"
        "2024-03-05 10:01:00 Self-test failed: access denied\n"
        "2024-03-05 10:02:00 something else\n"
        "   continued\n"
        "2024-03-05 10:03:00 Cleanup complete.\n"  // a cleanup missing its last paragraph
        "Deleted: 1 files; 1 B.\n"
        "Skipped: 0. Errors: 0.\n";
    EXPECT_EQ(renderHistoryLog(file),
              L"2024-03-05 10:00:00\t\tCleanup complete.\r\nDeleted: 12 files; 3.4 MB.\r\n"
              L"Skipped: 1. Errors: 0.\r\n\r\n"
              L"Scan again to update the list.\r\n"
              L"2024-03-05 10:01:00 Self-test failed. access denied\r\n"
              L"2024-03-05 10:02:00 something else\r\n"
              L"   continued\r\n"
              L"2024-03-05 10:03:00 Cleanup complete.\r\n"
              L"Deleted: 1 files; 1 B.\r\n"
              L"Skipped: 0. Errors: 0.\r\n");
    currentLanguage = languageIndex("ru");
    EXPECT_EQ(renderHistoryLog("2024-03-05 10:01:00 Self-test passed\n"),
              L"2024-03-05 10:01:00 Самопроверка пройдена.\r\n");
}

// Every LF of the output follows a CR, and each input line shows up: rendered, or as stored.
void expectNothingHidden(const std::string& file) {
    const std::wstring out = renderHistoryLog(file);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == L'\n') {
            ASSERT_TRUE(i > 0 && out[i - 1] == L'\r') << test::printable(file);
        }
    }
    std::size_t searchFrom = 0;
    std::size_t start = 0;
    while (start < file.size()) {
        std::size_t end = file.find('\n', start);
        end = end == std::string::npos ? file.size() : end + 1;
        std::string body = file.substr(start, end - start);
        while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.pop_back();
        HistoryRecord record;
        std::int64_t time = 0;
        const std::wstring expected = parseHistoryRecord(body, record, time)
                                          ? toCrLf(stamp(time) + renderHistoryText(record))
                                          : toCrLf(utf8ToWideSanitized(body));
        const std::size_t at = out.find(expected, searchFrom);
        ASSERT_NE(at, std::wstring::npos) << test::printable(file);
        searchFrom = at + expected.size();
        start = end;
    }
}

TEST_F(RenderHistory, RandomBytesAndMutatedLinesHideNothing) {
    currentLanguage = EnglishLanguage;
    std::mt19937 random(42);
    std::vector<std::string> valid;
    for (const Rendered& c : everyKind()) valid.push_back(line(c.record));
    for (int i = 0; i < 1500; ++i) {
        std::string file;
        const int lines = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < lines; ++k) {
            std::string text = valid[random() % valid.size()];
            if (random() % 4 == 0) {
                text.assign(random() % 40, '\0');
                for (char& c : text) c = static_cast<char>(random() % 256);
            }
            const int mutations = static_cast<int>(random() % 3);
            for (int m = 0; m < mutations && !text.empty(); ++m) {
                const std::size_t at = random() % text.size();
                switch (random() % 3) {
                case 0: text[at] = static_cast<char>(random() % 256); break;
                case 1: text.erase(at, 1 + random() % 8); break;
                default: text.insert(at, 1, "\"\\{}:,0\n\r\t"[random() % 11]); break;
                }
            }
            file += text + (random() % 2 ? "\r\n" : "\n");
        }
        expectNothingHidden(file);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace pm
