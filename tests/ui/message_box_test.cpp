// Message boxes for real: the UI thread shows the box over the stand-in main window while a second
// thread finds the dialog, reads it and presses a button or closes it.
#include "ui/message_box.h"
#include "ui/message_box_internal.h"
#include "win_fixture.h"

#include <stdexcept>

namespace {

using namespace pm;
using namespace pm::test;
using MessageBoxTest = MainWindowFixture;

struct Seen {
    HWND dialog = nullptr;
    std::wstring caption, defaultButton;
    std::vector<std::wstring> buttons;
    LRESULT depth = -1;
    bool rtl = false;
};

// Waits for the box showing content, records it, then presses button (0: closes the box instead;
// a classic box takes WM_COMMAND, not TDM_CLICK_BUTTON).
void workBox(const std::wstring& content, int button, Seen& seen, bool classic = false) {
    if (!(seen.dialog = waitForDialog(ui::mainWindow, content))) return;
    seen.caption = windowText(seen.dialog);
    seen.rtl = (GetWindowLongW(seen.dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    for (HWND child : children(seen.dialog)) {
        const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
        if (_wcsicmp(className(child).c_str(), L"Button") != 0 || type > BS_DEFPUSHBUTTON) continue;
        seen.buttons.push_back(windowText(child));
        if (type == BS_DEFPUSHBUTTON) seen.defaultButton = windowText(child);
    }
    seen.depth = SendMessageW(ui::mainWindow, QueryModalDepth, 0, 0);
    if (button == 0) PostMessageW(seen.dialog, WM_CLOSE, 0, 0);
    else if (classic) PostMessageW(seen.dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
    else SendMessageW(seen.dialog, TDM_CLICK_BUTTON, static_cast<WPARAM>(button), 0);
}

TEST_F(MessageBoxTest, ButtonsDefaultsLayoutAndAnswers) {
    const std::wstring yes = L"Yes", no = L"No", ok = L"OK";
    const struct {
        UINT flags;
        int language, press;
        std::vector<std::wstring> buttons;
        std::wstring defaultButton;
        int result;
    } cases[] = {
        {MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING, EnglishLanguage, IDYES, {yes, no}, no, IDYES},
        {MB_YESNO | MB_ICONQUESTION, EnglishLanguage, IDNO, {yes, no}, yes, IDNO},
        {MB_OK | MB_DEFBUTTON2, EnglishLanguage, IDOK, {ok}, ok, IDOK},  // the second-button rule is yes/no only
        {MB_YESNO | MB_ICONERROR, EnglishLanguage, 0, {yes, no}, yes, IDCANCEL},  // closed unanswered
        {MB_YESNO | MB_DEFBUTTON2, ArabicLanguage, IDNO, {L"نعم", L"لا"}, L"لا", IDNO},
    };
    for (const auto& c : cases) {
        currentLanguage = c.language;
        const std::wstring content = translate(L"Нет") + L" " + std::to_wstring(c.flags);
        Seen seen;
        int result = -1;
        {
            Helper helper([&] { workBox(content, c.press, seen); });
            result = ui::messageBox(content, c.flags);
        }
        SCOPED_TRACE(content);
        ASSERT_NE(seen.dialog, nullptr);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(seen.caption, L"Pelmirt 1.2.0");  // no translation row in any language
        EXPECT_EQ(seen.buttons, c.buttons);
        EXPECT_EQ(seen.defaultButton, c.defaultButton);
        EXPECT_EQ(seen.rtl, c.language == ArabicLanguage);
        EXPECT_EQ(seen.depth, 1);
        EXPECT_EQ(ui::modalDepth, 0u);
        EXPECT_EQ(takeModalDone(), 0);  // nothing was pending
    }
}

TEST_F(MessageBoxTest, WithoutTaskDialogsTheClassicBoxAnswers) {
    Seen seen;
    int result = -1;
    {
        Helper helper([&] { workBox(L"Classic", IDNO, seen, true); });
        result = ui::detail::showMessageBoxWith(nullptr, L"Classic", ui::productTitle(), MB_YESNO);
    }
    ASSERT_NE(seen.dialog, nullptr);
    EXPECT_EQ(result, IDNO);
    EXPECT_EQ(seen.caption, L"Pelmirt 1.2.0");
    EXPECT_EQ(seen.depth, 1);
    EXPECT_EQ(ui::modalDepth, 0u);
}

// Enter held on a button that asks a question: the box opens on the press, and the keyboard's repeats that
// follow reach the box's own loop. They answer nothing, nor do a held Escape's, which would cancel it; the
// user's answer (here No) is the one returned. No row for Escape in a task dialog: Wine's ignores Escape
// though allowed to cancel, so such a row would pass with the repeats let through (the Enter row already
// shows that its loop passes the box's filter).
TEST_F(MessageBoxTest, AHeldKeysRepeatsAnswerNoBox) {
    const struct {
        bool classic;
        WORD key;
    } cases[] = {{false, VK_RETURN}, {true, VK_RETURN}, {true, VK_ESCAPE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.classic ? "classic box, " : "task dialog, ")
                                        << (c.key == VK_RETURN ? "Enter" : "Escape"));
        HWND focus = nullptr;
        int result = -1;
        {
            Helper helper([&] {
                HWND dialog = waitForDialog(ui::mainWindow, L"Held");
                if (!dialog) return;
                GUITHREADINFO info{};
                info.cbSize = sizeof(info);
                GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
                focus = info.hwndFocus;
                // As the keyboard posts them: repeat count 1, the scan code, bit 30 (the key was already down).
                const LPARAM repeat = 1 | static_cast<LPARAM>(MapVirtualKeyW(c.key, MAPVK_VK_TO_VSC)) << 16 |
                                      LPARAM{1} << 30;
                for (int i = 0; i < 3; ++i) PostMessageW(focus, WM_KEYDOWN, c.key, repeat);
                PostMessageW(dialog, WM_COMMAND, IDNO, 0);  // handled after them, in order
            });
            result = c.classic ? ui::detail::showMessageBoxWith(nullptr, L"Held", ui::productTitle(), MB_YESNO)
                               : ui::showMessageBox(L"Held", ui::productTitle(), MB_YESNO);
        }
        ASSERT_NE(focus, nullptr) << "no box, or nothing in it had the focus";
        EXPECT_EQ(result, IDNO) << "a repeat answered the box";
        EXPECT_EQ(ui::modalDepth, 0u);
    }
}

// The inner box opens from a message the outer box's modal loop dispatches; the request is made
// while both are open.
TEST_F(MessageBoxTest, NestedBoxesPostTheDeferredRequestOnceWhenTheOuterCloses) {
    const struct {
        bool exit, hide, destroying;
        int posted;
    } cases[] = {{false, false, false, 0}, {true, false, false, 1}, {false, true, false, 1},
                 {true, true, false, 1},   {true, false, true, 0}};
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
            postedAfterInner = takeModalDone();
        };
        {
            Helper helper([&] {
                HWND outer = waitForDialog(ui::mainWindow, L"Outer");
                PostMessageW(ui::mainWindow, RunOnUiThread, 0, reinterpret_cast<LPARAM>(&openInner));
                HWND inner = waitForDialog(ui::mainWindow, L"Inner");
                innerDepth = SendMessageW(ui::mainWindow, QueryModalDepth, 0, 0);
                SendMessageW(inner, TDM_CLICK_BUTTON, IDOK, 0);
                while (IsWindow(inner)) Sleep(10);
                SendMessageW(outer, TDM_CLICK_BUTTON, IDOK, 0);
            });
            EXPECT_EQ(ui::messageBox(L"Outer", MB_OK), IDOK);
        }
        EXPECT_EQ(innerDepth, 2);
        EXPECT_EQ(postedAfterInner, 0);
        EXPECT_EQ(ui::modalDepth, 0u);
        EXPECT_EQ(takeModalDone(), c.posted);
    }
}

TEST_F(MessageBoxTest, AModalScopeEndsOnAnExceptionToo) {
    ui::exitPending = true;
    try {
        ui::ModalScope outer, inner;
        throw std::runtime_error("failed while preparing");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ui::modalDepth, 0u);
    EXPECT_EQ(takeModalDone(), 1);
    ui::leaveModal();  // unbalanced: stays at 0, posts nothing
    EXPECT_EQ(ui::modalDepth, 0u);
    EXPECT_EQ(takeModalDone(), 0);
}

}  // namespace
