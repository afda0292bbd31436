// Message boxes for real: the UI thread shows the box over a stand-in main window while a second
// thread finds the dialog, reads it and presses its buttons or closes it, as a user would.
#include "ui/message_box.h"
#include "ui/message_box_internal.h"
#include "win_fixture.h"

#include <commctrl.h>

#include <stdexcept>

namespace {

using namespace pm;
using namespace pm::test;

using MessageBoxTest = MainWindowFixture;

// What the second thread saw while the box was open.
struct Seen {
    HWND dialog = nullptr;
    std::wstring caption;
    std::vector<std::wstring> buttons;
    std::wstring defaultButton;
    LRESULT depth = -1;
    bool rtl = false;
};

// Waits for the box showing content, records it, then presses button (0: closes the box instead).
void workBox(const std::wstring& content, int button, Seen& seen, bool taskDialog = true) {
    seen.dialog = waitForDialog(ui::mainWindow, content);
    if (!seen.dialog) return;
    seen.caption = windowText(seen.dialog);
    seen.buttons = buttonTexts(seen.dialog, &seen.defaultButton);
    seen.rtl = (GetWindowLongW(seen.dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    seen.depth = SendMessageW(ui::mainWindow, QueryModalDepth, 0, 0);
    if (button == 0) {
        PostMessageW(seen.dialog, WM_CLOSE, 0, 0);
    } else if (taskDialog) {
        SendMessageW(seen.dialog, TDM_CLICK_BUTTON, static_cast<WPARAM>(button), 0);
    } else {
        PostMessageW(seen.dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);  // a classic box
    }
}

TEST_F(MessageBoxTest, ButtonsDefaultsAndResults) {
    const struct {
        UINT flags;
        int press;  // 0: close the box
        std::vector<std::wstring> buttons;
        std::wstring defaultButton;
        int result;
    } cases[] = {
        {MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING, IDYES, {L"Yes", L"No"}, L"No", IDYES},
        {MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING, IDNO, {L"Yes", L"No"}, L"No", IDNO},
        {MB_YESNO | MB_ICONQUESTION, IDNO, {L"Yes", L"No"}, L"Yes", IDNO},
        {MB_OK | MB_DEFBUTTON2, IDOK, {L"OK"}, L"OK", IDOK},       // the second-button rule is for yes/no only
        {MB_YESNO | MB_ICONERROR, 0, {L"Yes", L"No"}, L"Yes", IDCANCEL},  // closed without an answer
        {MB_OK, 0, {L"OK"}, L"OK", IDCANCEL},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::wstring content = L"Question " + std::to_wstring(++n);
        Seen seen;
        int result = -1;
        {
            Helper helper([&] { workBox(content, c.press, seen); });
            result = ui::messageBox(content, c.flags);
        }
        SCOPED_TRACE(content);
        ASSERT_NE(seen.dialog, nullptr);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(seen.caption, L"Pelmirt 1.2.0");
        EXPECT_EQ(seen.buttons, c.buttons);
        EXPECT_EQ(seen.defaultButton, c.defaultButton);
        EXPECT_FALSE(seen.rtl);
        EXPECT_EQ(seen.depth, 1);
        EXPECT_EQ(ui::modalDepth, 0u);
        EXPECT_EQ(takeModalDoneMessages(), 0);  // nothing was pending
    }
}

TEST_F(MessageBoxTest, ArabicIsTranslatedAndMirroredWithAnUntranslatedCaption) {
    currentLanguage = ArabicLanguage;
    const std::wstring source = L"Нет";  // a text with a row in the table
    const std::wstring content = translate(source);
    ASSERT_NE(content, source);
    Seen seen;
    int result = -1;
    {
        Helper helper([&] { workBox(content, IDNO, seen); });
        result = ui::messageBox(source, MB_YESNO | MB_DEFBUTTON2);
    }
    ASSERT_NE(seen.dialog, nullptr);
    EXPECT_EQ(result, IDNO);
    EXPECT_TRUE(seen.rtl);
    EXPECT_EQ(seen.caption, L"Pelmirt 1.2.0");
    EXPECT_EQ(seen.buttons, (std::vector<std::wstring>{translate(L"Да"), translate(L"Нет")}));
    EXPECT_EQ(seen.defaultButton, translate(L"Нет"));
}

TEST_F(MessageBoxTest, WithoutTaskDialogsTheClassicBoxAnswers) {
    const struct {
        UINT flags;
        int press;
    } cases[] = {{MB_YESNO | MB_ICONWARNING, IDNO}, {MB_YESNO, IDYES}, {MB_OK, IDOK}};
    for (const auto& c : cases) {
        const std::wstring content = L"Classic " + std::to_wstring(c.press);
        Seen seen;
        int result = -1;
        {
            Helper helper([&] { workBox(content, c.press, seen, false); });
            result = ui::detail::showMessageBoxWith(nullptr, content, ui::productTitle(), c.flags);
        }
        ASSERT_NE(seen.dialog, nullptr) << c.press;
        EXPECT_EQ(result, c.press);
        EXPECT_EQ(seen.caption, L"Pelmirt 1.2.0");
        EXPECT_EQ(seen.depth, 1);
        EXPECT_EQ(ui::modalDepth, 0u);
    }
}

// Two nested boxes: the inner one opens from a message the outer box's modal loop dispatches, and
// the request (if any) is made while both are open.
TEST_F(MessageBoxTest, NestedBoxesPostTheDeferredRequestOnceWhenTheOuterCloses) {
    const struct {
        bool exit, hide, destroying;
        int posted;
    } cases[] = {
        {false, false, false, 0},
        {true, false, false, 1},
        {false, true, false, 1},
        {true, true, false, 1},
        {true, false, true, 0},  // never while the main window is being destroyed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.exit << c.hide << c.destroying);
        ui::exitPending = ui::hidePending = ui::destroying = false;
        LRESULT innerDepth = -1;
        int postedAfterInner = -1;
        std::function<void()> openInner = [&] {
            ui::exitPending = c.exit;
            ui::hidePending = c.hide;
            ui::destroying = c.destroying;
            ui::messageBox(L"Inner", MB_OK);
            postedAfterInner = takeModalDoneMessages();
        };
        {
            Helper helper([&] {
                HWND outer = waitForDialog(ui::mainWindow, L"Outer");
                PostMessageW(ui::mainWindow, RunOnUiThread, 0, reinterpret_cast<LPARAM>(&openInner));
                HWND inner = waitForDialog(ui::mainWindow, L"Inner");
                innerDepth = SendMessageW(ui::mainWindow, QueryModalDepth, 0, 0);
                SendMessageW(inner, TDM_CLICK_BUTTON, IDOK, 0);
                while (findDialog(ui::mainWindow, L"Inner")) Sleep(10);
                SendMessageW(outer, TDM_CLICK_BUTTON, IDOK, 0);
            });
            EXPECT_EQ(ui::messageBox(L"Outer", MB_OK), IDOK);
        }
        EXPECT_EQ(innerDepth, 2);
        EXPECT_EQ(postedAfterInner, 0);
        EXPECT_EQ(ui::modalDepth, 0u);
        EXPECT_EQ(takeModalDoneMessages(), c.posted);
    }
}

TEST_F(MessageBoxTest, AModalScopeEndsOnAnExceptionToo) {
    ui::exitPending = true;
    try {
        ui::ModalScope outer;
        ui::ModalScope inner;
        EXPECT_EQ(ui::modalDepth, 2u);
        throw std::runtime_error("failed while preparing");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ui::modalDepth, 0u);
    EXPECT_EQ(takeModalDoneMessages(), 1);

    ui::leaveModal();  // unbalanced: stays at 0 and posts nothing
    EXPECT_EQ(ui::modalDepth, 0u);
    EXPECT_EQ(takeModalDoneMessages(), 0);
}

}  // namespace
