// The history window on the real history file of the private prefix: what it shows, what it keeps of
// the user's place across reloads, and the language it speaks.
#include "app/app_messages.h"
#include "app/history_window.h"
#include "app/history_window_internal.h"
#include "app/shell_globals.h"
#include "services/history/history_writer.h"
#include "services/history/text_codec.h"
#include "services/i18n/translate.h"
#include "services/state/state_file.h"
#include "tests/app/real_keys.h"
#include "tests/support/test_files.h"
#include "tests/ui/draw_support.h"
#include "tests/ui/win_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pm {
namespace {

std::wstring historyPath() { return appDataDir() + L"\\" + HistoryFileName; }

class HistoryWindowTest : public test::MainWindowFixture {
protected:
    void SetUp() override {
        PM_REQUIRE_TEST_PREFIX();
        MainWindowFixture::SetUp();
        DeleteFileW(historyPath().c_str());
    }
    void TearDown() override {
        const std::vector<HWND> open(historyWindows);
        for (HWND window : open) DestroyWindow(window);
        EXPECT_TRUE(historyWindows.empty()) << "every window leaves the list as it goes";
        historyWindows.clear();
        DeleteFileW(historyPath().c_str());
        currentLanguage = EnglishLanguage;
        MainWindowFixture::TearDown();
    }

    HWND open() {
        openHistoryWindow();
        return historyWindows.empty() ? nullptr : historyWindows.front();
    }
    static HWND edit(HWND window) { return GetDlgItem(window, HistoryEditId); }
    static std::wstring text(HWND window) {
        HWND e = edit(window);
        std::wstring t(static_cast<size_t>(GetWindowTextLengthW(e)) + 1, L'\0');
        t.resize(static_cast<size_t>(GetWindowTextW(e, t.data(), static_cast<int>(t.size()))));
        return t;
    }
    static std::pair<DWORD, DWORD> selection(HWND window) {
        DWORD start = 0, end = 0;
        SendMessageW(edit(window), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
    static LRESULT firstLine(HWND window) { return SendMessageW(edit(window), EM_GETFIRSTVISIBLELINE, 0, 0); }
    static void reload(HWND window) { SendMessageW(window, WM_APP_SETTINGS_CHANGED, 0, 0); }
    static std::wstring crlf(const std::string& utf8) { return toCrLf(utf8ToWideSanitized(utf8)); }
};

std::string numberedLines(int count) {
    std::string lines;
    for (int i = 0; i < count; ++i) lines += "строка " + std::to_string(i) + "\n";
    return lines;
}

TEST_F(HistoryWindowTest, MissingOrEmptyFileSaysNoActivityYetInTheCurrentLanguage) {
    for (int language : {0, EnglishLanguage, ArabicLanguage}) {
        for (bool exists : {false, true}) {
            SCOPED_TRACE(testing::Message() << "language " << language << ", file exists " << exists);
            currentLanguage = language;
            if (exists) test::writeFile(historyPath(), "");
            HWND window = open();
            ASSERT_NE(window, nullptr);
            EXPECT_EQ(text(window), translate(L"История пока пуста"));
            if (language == EnglishLanguage) {
                EXPECT_EQ(text(window), L"No activity yet");
            }
            EXPECT_EQ(test::windowText(window), L"Pelmirt — " + translate(L"История операций"));
            EXPECT_FALSE(historyData(window)->tail);
            const bool rtl = (GetWindowLongPtrW(edit(window), GWL_EXSTYLE) & WS_EX_RTLREADING) != 0;
            EXPECT_EQ(rtl, language == ArabicLanguage);
            DestroyWindow(window);
            DeleteFileW(historyPath().c_str());
        }
    }
}

TEST_F(HistoryWindowTest, LongFileShowsItsLast2MiBFromTheFirstWholeLineWithTheCaretAtTheEnd) {
    // Cyrillic lines of varying length: 3 MiB of bytes, far fewer characters than the EDIT's limit.
    std::string file;
    for (int i = 0; file.size() < 3 * 1024 * 1024; ++i) {
        file += "запись " + std::to_string(i) + " " + std::string(static_cast<size_t>(i % 37) * 2, 'x') + "\n";
    }
    test::writeFile(historyPath(), file);
    const std::size_t cut = file.size() - HistoryTailBytes;
    ASSERT_NE(file[cut - 1], '\n') << "the cut must fall inside a line, so that the window drops its start";
    std::string tail = file.substr(cut);
    tail.erase(0, tail.find('\n') + 1);

    HWND window = open();
    ASSERT_NE(window, nullptr);
    const std::wstring shown = text(window);
    EXPECT_EQ(shown.size(), crlf(tail).size());
    EXPECT_TRUE(shown == crlf(tail));
    EXPECT_TRUE(historyData(window)->tail) << "the subtitle says only the latest entries are shown";
    EXPECT_EQ(selection(window), std::make_pair(static_cast<DWORD>(shown.size()), static_cast<DWORD>(shown.size())));
    EXPECT_GT(firstLine(window), 1000) << "scrolled to the newest entries";
}

TEST_F(HistoryWindowTest, TailWithoutLineFeedLosesOnlyTheContinuationBytesOfItsCutCharacter) {
    struct Case {
        std::string file;
        std::wstring shown;
    };
    // Appended piece by piece: GCC 12 takes "literal" + a temporary string for an overlapping copy (its
    // bug 105329, a false -Wrestrict).
    // "x" + Ж... + "z": the seek lands on the second byte of the first Ж.
    std::string two = "x";
    for (int i = 0; i < 0x100000; ++i) two += "Ж";
    two += "z";
    // "x" + €...: the seek lands on the second of the first €'s three bytes.
    std::string three = "x";
    for (int i = 0; i < 699051; ++i) three += "€";
    const Case cases[] = {
        {two, std::wstring(0x100000 - 1, L'Ж') + L"z"},
        {three, std::wstring(699051 - 1, L'€')},
    };
    // Read through the window's own loader: an EDIT given one line of a million characters takes
    // minutes to lay it out under Wine.
    for (const Case& c : cases) {
        test::writeFile(historyPath(), c.file);
        const HistoryText loaded = readHistoryText(historyPath());
        EXPECT_TRUE(loaded.text == c.shown) << "length " << loaded.text.size() << ", wanted " << c.shown.size();
        EXPECT_TRUE(loaded.tail);
    }
}

TEST_F(HistoryWindowTest, ReloadKeepsTheSelectionAndTheFirstVisibleLine) {
    test::writeFile(historyPath(), numberedLines(300));
    HWND window = open();
    ASSERT_NE(window, nullptr);
    SendMessageW(edit(window), EM_SETSEL, 40, 52);
    SendMessageW(edit(window), EM_LINESCROLL, 0, 120 - firstLine(window));
    ASSERT_EQ(firstLine(window), 120);

    // Unchanged file: the EDIT is not touched at all (setting its text would clear the modified flag).
    SendMessageW(edit(window), EM_SETMODIFY, TRUE, 0);
    const LRESULT font = SendMessageW(edit(window), WM_GETFONT, 0, 0);
    reload(window);
    EXPECT_TRUE(SendMessageW(edit(window), EM_GETMODIFY, 0, 0));
    EXPECT_EQ(SendMessageW(edit(window), WM_GETFONT, 0, 0), font) << "the same font is not set again";
    EXPECT_EQ(selection(window), std::make_pair(DWORD{40}, DWORD{52}));
    EXPECT_EQ(firstLine(window), 120);

    // A record appended meanwhile: new text, same place.
    test::writeFile(historyPath(), numberedLines(301));
    reload(window);
    EXPECT_FALSE(SendMessageW(edit(window), EM_GETMODIFY, 0, 0)) << "the text was replaced";
    EXPECT_EQ(text(window), crlf(numberedLines(301)));
    EXPECT_EQ(selection(window), std::make_pair(DWORD{40}, DWORD{52}));
    EXPECT_EQ(firstLine(window), 120);
}

// A long history scrolled to the middle with the caret left at the end, where the window put it: a change
// of reading direction (a new EDIT in place of the old one) and a new record keep the same lines in view.
TEST_F(HistoryWindowTest, LanguageChangeAndANewRecordKeepTheFirstVisibleLineOfALongHistory) {
    test::writeFile(historyPath(), numberedLines(300));
    currentLanguage = EnglishLanguage;
    HWND window = open();
    ASSERT_NE(window, nullptr);
    SendMessageW(edit(window), EM_LINESCROLL, 0, 150 - firstLine(window));
    ASSERT_EQ(firstLine(window), 150);
    const std::pair<int, int> steps[] = {{ArabicLanguage, 300}, {EnglishLanguage, 300}, {EnglishLanguage, 301}};
    for (const auto& [language, lines] : steps) {
        currentLanguage = language;
        test::writeFile(historyPath(), numberedLines(lines));
        reload(window);
        ASSERT_EQ((GetWindowLongPtrW(edit(window), GWL_EXSTYLE) & WS_EX_RTLREADING) != 0, language == ArabicLanguage);
        EXPECT_EQ(firstLine(window), 150) << language << ", " << lines << " lines";
    }
}

TEST_F(HistoryWindowTest, OpenWindowShowsANewRecordAfterTheReloadAndSwitchesLanguage) {
    currentLanguage = 0;
    HistoryRecord scan;
    scan.kind = HistoryKind::Scan;
    scan.files = 12;
    appendHistory(scan);
    HWND window = open();
    ASSERT_NE(window, nullptr);
    EXPECT_NE(text(window).find(L"Анализ: 12"), std::wstring::npos) << "in Russian";

    openHistoryWindow();
    EXPECT_EQ(historyWindows.size(), 1u) << "the command brings the open window back";

    appendHistoryMessage(L"Самопроверка пройдена.");
    EXPECT_EQ(text(window).find(L"Самопроверка пройдена."), std::wstring::npos);
    reload(window);
    EXPECT_NE(text(window).find(L"Самопроверка пройдена."), std::wstring::npos);

    currentLanguage = EnglishLanguage;
    reload(window);
    EXPECT_NE(text(window).find(L"Scan: 12"), std::wstring::npos);
    EXPECT_NE(text(window).find(L"Self-test passed."), std::wstring::npos);
    EXPECT_EQ(text(window).find(L"Анализ"), std::wstring::npos);
    EXPECT_EQ(test::windowText(window), L"Pelmirt — Activity history");
}

TEST_F(HistoryWindowTest, DpiChangeScalesTheLayoutAndTheFontAndKeepsTheText) {
    test::writeFile(historyPath(), numberedLines(20));
    HWND window = open();
    ASSERT_NE(window, nullptr);
    const std::wstring before = text(window);
    RECT suggested{0, 0, 1530, 1020};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_FLOAT_EQ(historyData(window)->scale, 1.5f);
    RECT child{};
    GetWindowRect(edit(window), &child);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&child), 2);
    EXPECT_EQ(child.left, 297);
    EXPECT_EQ(child.top, 188);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(child.right, client.right - 42);
    EXPECT_EQ(child.bottom, client.bottom - 42);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(edit(window), WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -21);
    EXPECT_EQ(text(window), before);
}

TEST_F(HistoryWindowTest, RenderingLongerThanTheLimitKeepsTheNewestWholeLines) {
    // 1.5 MiB of bare line feeds render as twice as many characters (CR LF each).
    std::string file(0x180000, '\n');
    file += "самая новая строка\n";
    test::writeFile(historyPath(), file);
    HWND window = open();
    ASSERT_NE(window, nullptr);
    const std::wstring shown = text(window);
    EXPECT_LE(shown.size(), HistoryTextLimit);
    EXPECT_GT(shown.size(), HistoryTextLimit - 2) << "as much as fits";
    EXPECT_EQ(shown.substr(0, 2), L"\r\n") << "starts at a line";
    EXPECT_EQ(shown.substr(shown.size() - 20), L"самая новая строка\r\n");
    EXPECT_TRUE(historyData(window)->tail);
}

// Opened, the window has its text focused, not its frame: Page Up and the arrows move through the history
// at once, without a Tab first.
TEST_F(HistoryWindowTest, OpensWithTheFocusOnItsTextSoThePageAndArrowKeysMoveAtOnce) {
    test::writeFile(historyPath(), numberedLines(300));
    HWND window = open();
    ASSERT_NE(window, nullptr);
    if (GetActiveWindow() != window) {
        ASSERT_TRUE(SetForegroundWindow(window));  // opened behind: on activation
    }
    EXPECT_EQ(GetFocus(), edit(window));
    const LRESULT atTheEnd = firstLine(window);
    ASSERT_GT(atTheEnd, 0) << "the newest lines are in view";
    ASSERT_NE(test::pressKey(VK_PRIOR), nullptr);
    EXPECT_LT(firstLine(window), atTheEnd) << "Page Up scrolled back";
}

// The text box has the focus again when the window is back, also when a change of reading direction put a
// new text box in place of the focused one, while the window was active or while another one was.
TEST_F(HistoryWindowTest, TextBoxMadeAgainByALanguageChangeKeepsTheFocus) {
    for (bool away : {false, true}) {
        SCOPED_TRACE(away ? "changed while another window was active" : "changed while active");
        currentLanguage = EnglishLanguage;
        HWND window = open();
        ASSERT_NE(window, nullptr);
        HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                     nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(other, nullptr);
        ASSERT_TRUE(SetForegroundWindow(window));
        SetFocus(edit(window));
        ASSERT_EQ(GetFocus(), edit(window));
        if (away) {
            SetForegroundWindow(other);
            ASSERT_NE(GetActiveWindow(), window);
        }
        currentLanguage = ArabicLanguage;
        reload(window);
        ASSERT_TRUE(historyEditIsRightToLeft(edit(window))) << "a new text box";
        if (away) SetForegroundWindow(window);
        EXPECT_EQ(GetActiveWindow(), window);
        EXPECT_EQ(GetFocus(), edit(window));
        DestroyWindow(other);
        DestroyWindow(window);
    }
}

TEST(HistoryTextLimit, KeepsTheNewestEndAtALineStart) {
    struct Case {
        std::wstring text;
        size_t limit;
        std::wstring kept;
    };
    const Case cases[] = {
        {L"ab\r\ncd\r\n", 8, L"ab\r\ncd\r\n"},        // short enough: untouched
        {L"ab\r\ncd\r\nef\r\n", 7, L"ef\r\n"},        // the cut line goes
        {L"ab\r\ncd\r\n", 4, L"cd\r\n"},              // the cut is a line start
        {L"abcdef", 3, L"def"},                       // one line longer than the limit
        {L"a\U0001F600b", 2, L"b"},                   // never half a surrogate pair
    };
    for (const Case& c : cases) {
        std::wstring text = c.text;
        EXPECT_EQ(keepNewestLines(text, c.limit), c.text.size() > c.limit);
        EXPECT_EQ(text, c.kept);
    }
}

}  // namespace
}  // namespace pm
