#include "services/i18n/date_format.h"

#include "services/i18n/language.h"
#include "services/i18n/translate.h"

#include <windows.h>

#include <ctime>

namespace pm {

namespace {

constexpr int FormatBufferLength = 128;
const wchar_t* const Unformattable = L"\u2014";

}  // namespace

std::wstring formatDateTime(std::int64_t secondsSince1970) {
    const __time64_t time = secondsSince1970;
    std::tm local{};
    if (_localtime64_s(&local, &time) != 0) return Unformattable;

    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(local.tm_year + 1900);
    st.wMonth = static_cast<WORD>(local.tm_mon + 1);
    st.wDay = static_cast<WORD>(local.tm_mday);
    st.wHour = static_cast<WORD>(local.tm_hour);
    st.wMinute = static_cast<WORD>(local.tm_min);
    st.wSecond = static_cast<WORD>(local.tm_sec);

    const wchar_t* locale = DateLocaleNames[currentLanguageIndex()];
    wchar_t date[FormatBufferLength] = {};
    wchar_t clock[FormatBufferLength] = {};
    // The locale's own formats, whatever the user changed in the regional settings.
    if (GetDateFormatEx(locale, LOCALE_NOUSEROVERRIDE | DATE_SHORTDATE, &st, nullptr, date,
                        FormatBufferLength, nullptr) == 0) {
        return Unformattable;
    }
    if (GetTimeFormatEx(locale, LOCALE_NOUSEROVERRIDE | TIME_NOSECONDS, &st, nullptr, clock,
                        FormatBufferLength) == 0) {
        return Unformattable;
    }
    std::wstring text(date);
    text += L' ';
    text += clock;
    return text;
}

}  // namespace pm
