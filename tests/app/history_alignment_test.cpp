// The history window's text stands where its language reads from, also after a language change while
// the window is open (the new EDIT keeps the selection, the focus and the font): the EDIT printed into a
// DIB section, its ink measured.
#include "app/app_messages.h"
#include "app/history_window.h"
#include "app/history_window_internal.h"
#include "app/shell_globals.h"
#include "services/history/history_writer.h"
#include "services/i18n/translate.h"
#include "services/state/state_file.h"
#include "tests/support/test_files.h"
#include "tests/ui/draw_support.h"
#include "tests/ui/win_fixture.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

class HistoryAlignmentTest : public test::MainWindowFixture {
protected:
    void SetUp() override {
        PM_REQUIRE_TEST_PREFIX();
        MainWindowFixture::SetUp();
        DeleteFileW((appDataDir() + L"\\" + HistoryFileName).c_str());  // "No activity yet": one short line
    }
    void TearDown() override {
        for (HWND window : std::vector<HWND>(historyWindows)) DestroyWindow(window);
        historyWindows.clear();
        MainWindowFixture::TearDown();
    }
    // The horizontal extent of the EDIT's text, and the EDIT's client width.
    static std::pair<RECT, LONG> ink(HWND window) {
        HWND edit = GetDlgItem(window, HistoryEditId);
        RECT client{};
        GetClientRect(edit, &client);
        test::Dib dib(client.right, client.bottom);
        SendMessageW(edit, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.dc()), PRF_CLIENT | PRF_ERASEBKGND);
        return {dib.inkBounds(dib.pixel(client.right - 1, client.bottom - 1)), client.right};
    }
};

TEST_F(HistoryAlignmentTest, TextStandsAtTheRightInArabicAndAtTheLeftOtherwiseAlsoAfterALanguageChange) {
    currentLanguage = EnglishLanguage;
    openHistoryWindow();
    ASSERT_EQ(historyWindows.size(), 1u);
    HWND window = historyWindows.front();
    for (int language : {EnglishLanguage, ArabicLanguage, EnglishLanguage, ArabicLanguage}) {
        SCOPED_TRACE(testing::Message() << "language " << language);
        // The user's place and focus, which a change of direction must carry over to the new EDIT.
        SendMessageW(GetDlgItem(window, HistoryEditId), EM_SETSEL, 2, 5);
        SetFocus(GetDlgItem(window, HistoryEditId));
        currentLanguage = language;
        SendMessageW(window, WM_APP_SETTINGS_CHANGED, 0, 0);
        HWND edit = GetDlgItem(window, HistoryEditId);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(FindWindowExW(window, edit, L"Edit", nullptr), nullptr) << "one EDIT";
        EXPECT_EQ(test::windowText(edit), translate(L"История пока пуста"));
        DWORD start = 0, end = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(std::make_pair(start, end), std::make_pair(DWORD{2}, DWORD{5}));
        EXPECT_EQ(GetFocus(), edit);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)), historyData(window)->font);
        const auto [text, width] = ink(window);
        ASSERT_GT(text.right, text.left) << "the text is drawn";
        if (language == ArabicLanguage) {
            EXPECT_GT(text.left, width / 2);
            EXPECT_GT(text.right, width - 12);
            EXPECT_FALSE(GetWindowLongPtrW(edit, GWL_STYLE) & WS_HSCROLL) << "a right-aligned EDIT wraps";
        } else {
            EXPECT_LT(text.left, 12);
            EXPECT_LT(text.right, width / 2);
        }
    }
}

}  // namespace
}  // namespace pm
