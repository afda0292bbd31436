// Older free-text entries: the stamp with real calendar rules, sizes, and each result text in both
// languages, recognised only in its exact shape.
#include "services/history/legacy_entry.h"
#include "services/history/legacy_entry_internal.h"
#include "tests/services/history/history_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace pm {
namespace {

using test::counted;
using test::describe;

TEST(ParseLegacyStamp, CalendarAndFixedPositions) {
    const struct {
        const wchar_t* text;
        std::size_t index;  // 0 = not a stamp
    } cases[] = {
        {L"2024-02-29 10:00:00\tx", 20},
        {L"2024-02-29 10:00:00 \t  x", 23},
        {L"2024-02-29 10:00:00 ", 20},
        {L"2023-02-29 10:00:00\tx", 0},
        {L"1900-02-29 10:00:00 x", 0},
        {L"2000-02-29 10:00:00 x", 20},
        {L"0000-01-01 00:00:00 x", 0},
        {L"0001-01-01 00:00:00 x", 20},
        {L"9999-12-31 23:59:59 x", 20},
        {L"2024-01-01 24:00:00 x", 0},
        {L"2024-01-01 23:60:00 x", 0},
        {L"2024-01-01 23:00:60 x", 0},
        {L"2024-13-01 10:00:00 x", 0},
        {L"2024-04-31 10:00:00 x", 0},
        {L"2024-04-00 10:00:00 x", 0},
        {L"2024-01-01 10:00:00x", 0},
        {L"2024-01-01 10:00:00", 0},
        {L"2024-1-01 10:00:00  x", 0},
        {L"2024-01-01T10:00:00 x", 0},
        {L"2024/01/01 10:00:00 x", 0},
        {L"2024-01-01 10:00:00\nx", 0},
        {L"202a-01-01 10:00:00 x", 0},
        {L"２024-01-01 10:00:00 x", 0},  // a fullwidth digit is not a digit here
    };
    for (const auto& c : cases) {
        std::size_t index = 0;
        const bool stamp = parseLegacyStamp(c.text, index);
        EXPECT_EQ(stamp ? index : 0, c.index) << c.text;
    }
}

TEST(ParseLegacySize, UnitsFractionsAndRounding) {
    const struct {
        const wchar_t* text;
        bool valid;
        std::uint64_t bytes;
    } cases[] = {
        {L"1,5 МБ", true, 1572864},
        {L"1.5 MB", true, 1572864},
        {L"  1.5MB", true, 1572864},
        {L"0.5 B", true, 1},
        {L"0.4 B", true, 0},
        {L"2 ГБ", true, 2147483648ULL},
        {L"1.25 КБ", true, 1280},
        {L"3 Б", true, 3},
        {L"0.000000001 GB", true, 1},
        {L"1.123456789 GB", true, 1206302542},
        {L"17179869183.999999999 GB", true, 18446744073709551615ULL},
        {L"16777216 TB", false, 0},
        {L"18446744073709551615 B", true, 18446744073709551615ULL},
        {L"18446744073709551615.5 B", false, 0},
        {L"17179869184 GB", false, 0},
        {L"1.0000000001 GB", false, 0},
        {L"05 MB", false, 0},
        {L"1.5", false, 0},
        {L"1. MB", false, 0},
        {L"1.5 mb", false, 0},
        {L"-1 MB", false, 0},
    };
    for (const auto& c : cases) {
        LegacyCursor cursor{c.text, 0};
        std::uint64_t bytes = 0;
        EXPECT_EQ(parseLegacySize(cursor, bytes), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(bytes, c.bytes) << c.text;
        }
    }
}

TEST(ParseLegacyEntry, ResultTextsInBothLanguages) {
    HistoryRecord scan = counted(HistoryKind::Scan, 120, 3565158, 2, 1);
    HistoryRecord cancelledScan = counted(HistoryKind::Scan, 5, 1024, 0, 0);
    cancelledScan.cancelled = true;
    cancelledScan.counters_known = false;
    HistoryRecord cleanup = counted(HistoryKind::Cleanup, 12, 3565158, 1, 0);
    cleanup.recycle_emptied = true;
    HistoryRecord cancelledCleanup = counted(HistoryKind::Cleanup, 3, 0, 0, 4);
    cancelledCleanup.cancelled = true;
    HistoryRecord search = counted(HistoryKind::LargeSearch, 7, 0, 0, 3);
    search.truncated = true;
    HistoryRecord cancelledSearch = counted(HistoryKind::LargeSearch, 0, 0, 2, 0);
    cancelledSearch.cancelled = true;
    HistoryRecord recycle = counted(HistoryKind::Recycle, 2, 2048, 1, 1);
    recycle.cancelled = true;
    HistoryRecord recycleKept = counted(HistoryKind::Recycle, 1, 1, 0, 0);
    HistoryRecord passed = counted(HistoryKind::Message, 0, 0, 0, 0);
    passed.text = L"Самопроверка пройдена.";
    HistoryRecord failed = passed;
    failed.text = L"Самопроверка не пройдена.";
    failed.detail = L" access denied";
    HistoryRecord coded = passed;
    coded.text = L"Не удалось завершить поиск.";
    coded.detail = L" [E_42]";
    HistoryRecord emptyCode = coded;
    emptyCode.detail = L" []";
    HistoryRecord longCode = coded;
    longCode.detail = L" [" + std::wstring(65, L'A') + L"]";
    const std::wstring scanText = L"Scan: 120 files, 3.4 MB. Scan complete · Skipped: 2 · Errors: 1";

    const struct {
        std::wstring text;
        const HistoryRecord* record;  // null = not recognised
    } cases[] = {
        {L"Анализ: 120 файлов, 3,4 МБ. Анализ завершён · Пропущено: 2 · Ошибки: 1", &scan},
        {L"Scan: 120 files, 3.4 MB. Scan complete · Skipped: 2 · Errors: 1.  ", &scan},
        {L"Scan: 120 files,3.4 MB.Scan complete.files in use or inaccessible: 2 . errors: 1", &scan},
        {L"Анализ: 120 файлов, 3.4 МБ. Анализ завершён · занятые/недоступные файлы: 2 · ошибки: 1", &scan},
        {L"Анализ: 5 файлов, 1 КБ. Анализ отменён. Показан найденный до отмены объём.", &cancelledScan},
        {L"Scan: 5 files, 1.0 KB. Scan canceled. Showing the space found before cancellation. · Skipped: 0", nullptr},
        {L"Scan: 120 files, 3.4 MB. Scan complete", nullptr},
        {L"Scan: 0120 files, 3.4 MB. Scan complete · Skipped: 2 · Errors: 1", nullptr},
        {L"Очистка завершена.\nУдалено: 12 файлов; 3,4 МБ.\nПропущено: 1. Ошибки: 0.\nКорзина очищена.\n\n"
         L"Повторите анализ для обновления списка.", &cleanup},
        {L"Cleanup complete.\r\nDeleted: 12 files; 3.4 MB.\r\nSkipped: 1. Errors: 0.\r\nRecycle Bin emptied.\r\n\r\n"
         L"Scan again to update the list.", &cleanup},
        {L"Cleanup canceled.\nDeleted: 3 files; 0 B.\nSkipped: 0 · Errors: 4\n\nScan again to update the list.",
         &cancelledCleanup},
        {L"Cleanup complete.\nDeleted: 12 files; 3.4 MB.\nSkipped: 1. Errors: 0.\nRecycle Bin emptied.", nullptr},
        {L"Cleanup complete.\nDeleted: 12 files; 3.4 MB.\nfiles in use or inaccessible: 1. Errors: 0.\n\n"
         L"Scan again to update the list.", nullptr},
        {L"Search complete · Files found: 7 · Skipped: 0 · Errors: 3\n"
         L"The list is limited. Increase the minimum size and search again.", &search},
        {L"Поиск отменён. Найдено файлов: 0. Пропущено: 2. Ошибки: 0.", &cancelledSearch},
        {L"Move canceled.\nMoved to Recycle Bin: 2 · 2.0 KB\nSkipped: 1 · Errors: 1\n"
         L"Unavailable or changed files were kept.", &recycle},
        {L"В корзину перемещено: 1 · 1 Б\nПропущено: 0 · Ошибки: 0\n"
         L"Файлы с ошибками не учтены в результате. Проверьте системную корзину.", &recycleKept},
        {L"Moved to Recycle Bin: 1 · 1 B\nSkipped: 0 · Errors: 0", nullptr},
        {L"Self-test passed", &passed},
        {L"Self-test passed.", &passed},          // the catalog's English sentence
        {L"Самопроверка пройдена.", &passed},
        {L"Self-test failed: access denied", &failed},
        {L"Не удалось завершить поиск. [E_42]", &coded},
        {L"Unable to complete the search. [E_42]", &coded},
        {L"Не удалось завершить поиск. []", &emptyCode},
        {L"Не удалось завершить поиск. [E 42]", nullptr},
        {L"Не удалось завершить поиск.[E_42]", nullptr},
        {L"Не удалось завершить поиск. [" + std::wstring(65, L'A') + L"]", &longCode},  // 68 units from " ["
        {L"Не удалось завершить поиск. [" + std::wstring(66, L'A') + L"]", nullptr},
        {L"Сначала выполните анализ", nullptr},   // a catalog text, but not a sentence
        {L"Корзина", nullptr},
        {L"", nullptr},
        {scanText + std::wstring(16384 - scanText.size(), L' '), &scan},
        {scanText + std::wstring(16385 - scanText.size(), L' '), nullptr},
    };
    for (const auto& c : cases) {
        HistoryRecord got;
        const bool recognised = parseLegacyEntry(c.text, got);
        EXPECT_EQ(recognised, c.record != nullptr) << c.text;
        if (recognised && c.record) {
            EXPECT_EQ(describe(got), describe(*c.record)) << c.text;
        }
    }
}

}  // namespace
}  // namespace pm
