// The small scanners shared by the recognisers of older history entries, the stamp that starts such
// an entry, and the strict unsigned decimal that record lines use for their counters as well.
#include "services/history/legacy_entry.h"
#include "services/history/legacy_entry_internal.h"

#include <limits>

namespace pm {

namespace {

constexpr std::uint64_t MaxU64 = std::numeric_limits<std::uint64_t>::max();
constexpr std::size_t MaxDecimalDigits = 20;
constexpr std::size_t MaxFractionDigits = 9;

bool isDigit(wchar_t unit) {
    return unit >= L'0' && unit <= L'9';
}

bool isBlank(wchar_t unit) {
    return unit == L' ' || unit == L'\t';
}

bool atEnd(const LegacyCursor& cursor) {
    return cursor.index >= cursor.text.size();
}

// The value of count ASCII digits at text[at]; the caller has checked that they are digits.
int digitsValue(const std::wstring& text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) value = value * 10 + (text[at + i] - L'0');
    return value;
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

}  // namespace

bool parseLegacyStamp(const std::wstring& text, std::size_t& index) {
    if (text.size() < 20) return false;
    if (text[4] != L'-' || text[7] != L'-' || text[10] != L' ' || text[13] != L':' || text[16] != L':') return false;
    for (const std::size_t at : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u, 11u, 12u, 14u, 15u, 17u, 18u}) {
        if (!isDigit(text[at])) return false;
    }
    const int year = digitsValue(text, 0, 4);
    const int month = digitsValue(text, 5, 2);
    const int day = digitsValue(text, 8, 2);
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return false;
    if (digitsValue(text, 11, 2) > 23 || digitsValue(text, 14, 2) > 59 || digitsValue(text, 17, 2) > 59) return false;
    if (!isBlank(text[19])) return false;
    std::size_t at = 19;
    while (at < text.size() && isBlank(text[at])) ++at;
    index = at;
    return true;
}

bool parseDecimalU64(const char* digits, std::size_t length, std::uint64_t& value) {
    if (digits == nullptr || length < 1 || length > MaxDecimalDigits) return false;
    if (digits[0] == '0' && length != 1) return false;
    std::uint64_t result = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (digits[i] < '0' || digits[i] > '9') return false;
        const auto digit = static_cast<std::uint64_t>(digits[i] - '0');
        if (result > (MaxU64 - digit) / 10) return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

void skipBlanks(LegacyCursor& cursor) {
    while (!atEnd(cursor) && isBlank(cursor.text[cursor.index])) ++cursor.index;
}

bool matchLiteral(LegacyCursor& cursor, std::wstring_view literal) {
    if (cursor.index > cursor.text.size() || cursor.text.substr(cursor.index, literal.size()) != literal) return false;
    cursor.index += literal.size();
    return true;
}

bool matchAnyLiteral(LegacyCursor& cursor, std::initializer_list<std::wstring_view> literals) {
    for (const std::wstring_view literal : literals) {
        if (matchLiteral(cursor, literal)) return true;
    }
    return false;
}

bool parseCount(LegacyCursor& cursor, std::uint64_t& value) {
    skipBlanks(cursor);
    if (atEnd(cursor)) return false;
    std::string digits;
    while (!atEnd(cursor) && isDigit(cursor.text[cursor.index])) {
        if (digits.size() == MaxDecimalDigits) return false;
        digits.push_back(static_cast<char>(cursor.text[cursor.index]));
        ++cursor.index;
    }
    return parseDecimalU64(digits.data(), digits.size(), value);
}

bool parseLegacySize(LegacyCursor& cursor, std::uint64_t& bytes) {
    std::uint64_t whole = 0;
    if (!parseCount(cursor, whole)) return false;
    // The fraction as an integer over 10^digits: exact, where a binary floating point would round.
    std::uint64_t fraction = 0;
    std::uint64_t scale = 1;
    if (!atEnd(cursor) && (cursor.text[cursor.index] == L',' || cursor.text[cursor.index] == L'.')) {
        ++cursor.index;
        std::size_t digits = 0;
        while (!atEnd(cursor) && isDigit(cursor.text[cursor.index])) {
            if (++digits > MaxFractionDigits) return false;
            fraction = fraction * 10 + static_cast<std::uint64_t>(cursor.text[cursor.index] - L'0');
            scale *= 10;
            ++cursor.index;
        }
        if (digits == 0) return false;
    }
    skipBlanks(cursor);
    std::uint64_t unit = 0;
    if (matchAnyLiteral(cursor, {L"ГБ", L"GB"})) {
        unit = 1073741824ULL;
    } else if (matchAnyLiteral(cursor, {L"МБ", L"MB"})) {
        unit = 1048576ULL;
    } else if (matchAnyLiteral(cursor, {L"КБ", L"KB"})) {
        unit = 1024ULL;
    } else if (matchAnyLiteral(cursor, {L"Б", L"B"})) {
        unit = 1ULL;
    } else {
        return false;
    }
    // fraction < 10^9 and unit <= 2^30, so twice their product stays below 2^62: halves round away
    // from zero exactly.
    const std::uint64_t fractionBytes = (fraction * unit * 2 + scale) / (scale * 2);
    if (whole > MaxU64 / unit) return false;
    const std::uint64_t wholeBytes = whole * unit;
    if (wholeBytes > MaxU64 - fractionBytes) return false;
    bytes = wholeBytes + fractionBytes;
    return true;
}

bool parseSkippedErrors(LegacyCursor& cursor, HistoryRecord& record, bool busy) {
    const bool labelled = busy ? matchAnyLiteral(cursor, {L"Пропущено:", L"Skipped:", L"занятые/недоступные файлы:",
                                                          L"files in use or inaccessible:"})
                               : matchAnyLiteral(cursor, {L"Пропущено:", L"Skipped:"});
    if (!labelled || !parseCount(cursor, record.skipped)) return false;
    skipBlanks(cursor);
    if (!matchAnyLiteral(cursor, {L"·", L"."})) return false;
    skipBlanks(cursor);
    if (!matchAnyLiteral(cursor, {L"Ошибки:", L"ошибки:", L"Errors:", L"errors:"})) return false;
    if (!parseCount(cursor, record.errors)) return false;
    matchLiteral(cursor, L".");
    return true;
}

}  // namespace pm
