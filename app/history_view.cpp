// Loading the history window's text: the end of history.log, rendered, into the EDIT without losing
// the user's place.
#include "app/history_window_internal.h"

#include "services/history/history_reader.h"
#include "services/history/history_writer.h"
#include "services/i18n/translate.h"
#include "services/state/file_handle.h"
#include "services/state/state_file.h"
#include "ui/theme.h"
#include "ui/window_utils.h"
#include "app/window_frame.h"

#include <algorithm>
#include <optional>
#include <string>

namespace pm {

namespace {

constexpr wchar_t EmptyText[] = L"История пока пуста";
constexpr wchar_t UnavailableText[] = L"Файл истории недоступен";

HistoryText notice(const wchar_t* text) { return HistoryText{translate(text), false}; }

// Where the user is in the EDIT: the selection and the first visible line.
struct EditPlace {
    DWORD selStart = 0;
    DWORD selEnd = 0;
    LRESULT firstLine = 0;
};

EditPlace editPlace(HWND edit) {
    EditPlace place;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&place.selStart), reinterpret_cast<LPARAM>(&place.selEnd));
    place.firstLine = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    return place;
}

// Reads into bytes until count bytes came or the file ends. False on a failed read.
bool readUpTo(HANDLE file, std::string& bytes, std::size_t count) {
    bytes.resize(count);
    std::size_t done = 0;
    while (done < count) {
        DWORD read = 0;
        if (!ReadFile(file, bytes.data() + done, static_cast<DWORD>(count - done), &read, nullptr)) return false;
        if (read == 0) break;
        done += read;
    }
    bytes.resize(done);
    return true;
}

// A tail starts wherever the seek fell: drop the possibly cut first line, or, with no line end at all,
// the continuation bytes of a cut UTF-8 sequence.
void dropCutFirstLine(std::string& bytes) {
    const std::size_t lf = bytes.find('\n');
    if (lf != std::string::npos) {
        bytes.erase(0, lf + 1);
        return;
    }
    std::size_t n = 0;
    while (n < bytes.size() && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80) ++n;
    bytes.erase(0, n);
}

}  // namespace

bool keepNewestLines(std::wstring& text, std::size_t limit) {
    if (text.size() <= limit) return false;
    std::size_t start = text.size() - limit;
    if (text[start - 1] != L'\n') {
        const std::size_t lf = text.find(L'\n', start);
        if (lf != std::wstring::npos) {
            start = lf + 1;
        } else if (text[start] >= 0xDC00 && text[start] <= 0xDFFF) {
            ++start;  // never the second half of a surrogate pair
        }
    }
    text.erase(0, start);
    return true;
}

HistoryText readHistoryText(const std::wstring& path) {
    try {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return notice(GetLastError() == ERROR_FILE_NOT_FOUND ? EmptyText : UnavailableText);
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return notice(UnavailableText);
        HistoryText result;
        std::string bytes;
        std::size_t count = static_cast<std::size_t>(size.QuadPart);
        if (size.QuadPart > static_cast<LONGLONG>(HistoryTailBytes)) {
            LARGE_INTEGER offset{};
            offset.QuadPart = size.QuadPart - static_cast<LONGLONG>(HistoryTailBytes);
            if (!SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN)) return notice(UnavailableText);
            result.tail = true;
            count = HistoryTailBytes;
        }
        if (!readUpTo(file.get(), bytes, count)) return notice(UnavailableText);
        if (result.tail) dropCutFirstLine(bytes);
        if (bytes.empty()) return HistoryText{translate(EmptyText), result.tail};
        result.text = renderHistoryLog(bytes);
        // A rendering can be longer than the bytes (a bare line feed becomes CR LF), and the EDIT's limit
        // does not hold for WM_SETTEXT: keep the newest lines that fit.
        if (keepNewestLines(result.text, HistoryTextLimit)) result.tail = true;
        return result;
    } catch (...) {
        return notice(UnavailableText);
    }
}

void loadHistoryView(HWND window) {
    HistoryData* data = historyData(window);
    if (!data) return;
    HWND edit = GetDlgItem(window, HistoryEditId);
    std::optional<EditPlace> kept;
    if (edit && historyEditIsRightToLeft(edit) != isRightToLeft()) {
        // The reading direction changed: an EDIT cannot be realigned, so a new one takes its place, with
        // the old one's selection, scroll position and focus.
        kept = editPlace(edit);
        const bool focused = GetFocus() == edit;
        const bool remembered = data->focus.whenDeactivated == edit;  // the window is away meanwhile
        DestroyWindow(edit);
        edit = createHistoryEdit(window);
        if (edit && focused) SetFocus(edit);
        if (remembered) data->focus.whenDeactivated = edit;
    }
    const bool newEdit = edit && kept;

    setProgramIcon(window);
    ui::applyTitleBarTheme(window);
    ui::setWindowTextIfChanged(window, L"Pelmirt — " + translate(L"История операций"));
    if (edit) {
        if (HFONT font = newSecondaryWindowFont(data->font, data->scale)) {
            SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            if (data->font) DeleteObject(data->font);
            data->font = font;
        } else if (newEdit && data->font) {
            SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(data->font), TRUE);
        }
    }

    HistoryText loaded;
    try {
        loaded = readHistoryText(appDataDir() + L"\\" + HistoryFileName);
    } catch (...) {
        loaded = notice(UnavailableText);
    }
    data->tail = loaded.tail;
    if (edit && (newEdit || loaded.text != data->shownText)) {
        const EditPlace place = kept ? *kept : editPlace(edit);
        const bool firstLoad = data->shownText.empty();
        data->shownText = std::move(loaded.text);
        SetWindowTextW(edit, data->shownText.c_str());
        if (firstLoad) {
            const WPARAM end = data->shownText.size();
            SendMessageW(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
            SendMessageW(edit, EM_SCROLLCARET, 0, 0);
        } else {
            SendMessageW(edit, EM_SETSEL, place.selStart, static_cast<LPARAM>(place.selEnd));
            // Wine's EDIT scrolls the caret into view on EM_SETSEL (for the caret left at the end, the last
            // page); Windows' leaves that to EM_SCROLLCARET. Scroll by the difference from the line now first.
            SendMessageW(edit, EM_LINESCROLL, 0, place.firstLine - SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
        }
    }
    layoutHistoryWindow(window);
    if (edit) ui::invalidateWindow(edit, nullptr);
    ui::invalidateWindow(window, nullptr);
}

}  // namespace pm
