// A message box open over the real main window, which it disables, and every way the user brings the program
// forward meanwhile: the tray menu opened and closed, a click on the icon, a later start and the menu's "Open
// Pelmirt" (these after the disabled main window was activated from outside, as the taskbar does). Each time the box is
// the foreground and active window with the keyboard focus in it, and Enter answers it; an Exit chosen from
// the menu meanwhile runs once the box is answered. A second thread acts as the user and the shell: real keys
// through SendInput, the icon's messages posted as the shell posts them.
#include "app/control_ids.h"
#include "app/large_files_data.h"
#include "app/large_files_window.h"
#include "app/single_instance_internal.h"
#include "tests/app/main_window_fixture.h"
#include "tests/app/real_keys.h"
#include "tests/support/app_driver.h"
#include "ui/message_box.h"
#include "ui/tray_icon.h"
#include "ui/window_utils.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace pm {
namespace {

constexpr DWORD SettleMs = 3000;
constexpr UINT SendTimeoutMs = 5000;

// What one way forward left, as the user sees it.
struct InFront {
    std::string way;
    bool foreground = false;  // the box is the foreground window
    bool active = false;      // and the active window of the program's thread
    bool focused = false;     // and the keyboard focus is in it
};

// A fresh press: a key still down (a case before this one, on the same desktop, may have left it so) is
// released first, or the press would be a repeat.
void press(WORD key) {
    if (GetAsyncKeyState(key) < 0) test::sendKeyEvent(key, true);
    test::sendKeyEvent(key, false);
    test::sendKeyEvent(key, true);
}

// The tray menu ("#32768") of the thread, on screen.
HWND openMenu(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(thread, [](HWND window, LPARAM param) {
        if (!ui::hasWindowClass(window, L"#32768") || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The user's side: acts, then looks at the screen from outside the program's thread.
class User {
public:
    User(HWND main, DWORD uiThread) : main_(main), uiThread_(uiThread) {}

    // Returns once the program's thread has handled everything sent or posted before.
    void sync() {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, SendTimeoutMs, &ignored);
    }
    // The box in front, waited for up to a few seconds; what was seen last.
    InFront look(HWND box, const std::string& way) {
        InFront seen{way};
        const ULONGLONG deadline = GetTickCount64() + SettleMs;
        for (;;) {
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            GetGUIThreadInfo(uiThread_, &info);
            seen.foreground = GetForegroundWindow() == box;
            seen.active = info.hwndActive == box;
            seen.focused = info.hwndFocus == box || IsChild(box, info.hwndFocus);
            if ((seen.foreground && seen.active && seen.focused) || GetTickCount64() >= deadline) return seen;
            Sleep(20);
        }
    }
    // The icon's menu, as the shell reports a right click (version 4), then the keys typed into it.
    bool useTrayMenu(const std::vector<WORD>& keys) {
        PostMessageW(main_, ui::WM_APP_TRAY, MAKEWPARAM(100, 100), MAKELPARAM(WM_CONTEXTMENU, ui::TrayIconId));
        HWND menu = nullptr;
        for (int i = 0; i < 250 && !menu; ++i) {
            Sleep(20);
            menu = openMenu(uiThread_);
        }
        if (!menu) return false;
        for (WORD key : keys) press(key);
        for (int i = 0; i < 250 && openMenu(uiThread_); ++i) Sleep(20);
        sync();
        return !openMenu(uiThread_);
    }
    // The taskbar's button, or a click on the disabled window: the shell activates the main window from
    // outside, which leaves the main window as its own last active popup.
    void activateMainFromOutside() {
        SetForegroundWindow(main_);
        sync();
    }
    void clickIcon() {
        PostMessageW(main_, ui::WM_APP_TRAY, 0, MAKELPARAM(NIN_SELECT, ui::TrayIconId));
        sync();
    }

private:
    HWND main_;
    DWORD uiThread_;
};

class ModalForwardTest : public test::RealMainWindowTest {
protected:
    void SetUp() override {
        test::RealMainWindowTest::SetUp();
        DeleteFileW(test::statePath().c_str());
        ASSERT_NE(create(true), nullptr);
        ui::trayIconAdded = false;
        ASSERT_TRUE(ui::addTrayIcon());  // through the recording shell: version 4, as the real shell answers
        ASSERT_TRUE(ui::trayVersion4);
        SetForegroundWindow(window_);
        pump();
    }
    // Opens the box on this thread; `user` runs on a second thread while it is open. When the user's Enter
    // did not answer it, the box is closed from outside so the test ends (with IDCANCEL). The box's answer.
    int openBox(const std::function<void(HWND box)>& user) {
        HWND seenBox = nullptr;
        std::thread helper([&] {
            HWND box = test::waitForDialog(window_, 10000);
            seenBox = box;
            if (!box) return;
            user(box);
            for (int i = 0; i < 150 && IsWindow(box); ++i) Sleep(20);
            if (IsWindow(box)) test::pressTaskDialogButton(box, IDCANCEL);
        });
        const int answer = ui::messageBox(L"Сначала выполните анализ.", MB_ICONINFORMATION);
        helper.join();
        EXPECT_NE(seenBox, nullptr) << "no box came";
        return answer;
    }
    static void expectInFront(const std::vector<InFront>& seen) {
        for (const InFront& s : seen) {
            EXPECT_TRUE(s.foreground) << s.way << ": the dialog is not the foreground window";
            EXPECT_TRUE(s.active) << s.way << ": the dialog is not the active window";
            EXPECT_TRUE(s.focused) << s.way << ": the keyboard focus is not in the dialog";
        }
    }
    test::RecordingShell shell_;
};

TEST_F(ModalForwardTest, EveryWayForwardActivatesTheOpenBoxAndEnterAnswersIt) {
    // A later start of the program: the running instance's claim of a name of this test.
    const std::wstring name = L"Local\\PelmirtTest.Modal." + std::to_wstring(GetCurrentProcessId());
    std::unique_ptr<InstanceClaim> running;
    ASSERT_EQ(claimOrShowRunning(name, running, 0), StartOutcome::Run);
    running->record().window = reinterpret_cast<INT_PTR>(window_);

    std::vector<InFront> seen;
    bool menuClosed = false;
    bool openChosen = false;
    StartOutcome later = StartOutcome::NoAnswer;
    const int answer = openBox([&](HWND box) {
        User user(window_, GetWindowThreadProcessId(window_, nullptr));
        seen.push_back(user.look(box, "opened"));
        menuClosed = user.useTrayMenu({VK_ESCAPE});
        seen.push_back(user.look(box, "the tray menu closed"));
        user.activateMainFromOutside();
        user.clickIcon();
        seen.push_back(user.look(box, "a click on the icon"));
        user.activateMainFromOutside();
        std::unique_ptr<InstanceClaim> second;
        later = claimOrShowRunning(name, second, 5000);
        seen.push_back(user.look(box, "a later start"));
        user.activateMainFromOutside();
        openChosen = user.useTrayMenu({VK_DOWN, VK_RETURN});  // the first item
        seen.push_back(user.look(box, "\"Open Pelmirt\" chosen from the tray menu"));
        press(VK_RETURN);
    });
    EXPECT_TRUE(menuClosed) << "the tray menu opened and closed";
    EXPECT_TRUE(openChosen);
    EXPECT_FALSE(ui::currentSettings.widget_enabled) << "the menu's second item was chosen, not the first";
    EXPECT_EQ(later, StartOutcome::Shown);
    expectInFront(seen);
    EXPECT_EQ(answer, IDOK) << "Enter answered the box";
    EXPECT_EQ(ui::modalDepth, 0u);
    EXPECT_TRUE(IsWindow(window_));
}

TEST_F(ModalForwardTest, ExitChosenFromTheTrayMenuWhileABoxIsOpenRunsOnceTheBoxIsAnswered) {
    std::vector<InFront> seen;
    bool menuClosed = false;
    bool stayedWhileOpen = false;
    const int answer = openBox([&](HWND box) {
        User user(window_, GetWindowThreadProcessId(window_, nullptr));
        // Up from no selection reaches the last item, "Exit".
        menuClosed = user.useTrayMenu({VK_UP, VK_RETURN});
        stayedWhileOpen = IsWindow(window_) && IsWindowVisible(window_);
        seen.push_back(user.look(box, "Exit chosen from the tray menu"));
        press(VK_RETURN);
    });
    EXPECT_TRUE(menuClosed);
    EXPECT_TRUE(stayedWhileOpen) << "the exit did not wait for the box";
    expectInFront(seen);
    EXPECT_EQ(answer, IDOK) << "Enter answered the box";
    EXPECT_TRUE(pump()) << "the exit ran once the box was answered";
    EXPECT_FALSE(IsWindow(window_));
}

// The taskbar's button, Alt+Tab or another program activate the main window the box disables: the box comes
// forward by itself, with nothing else done, each time.
TEST_F(ModalForwardTest, TheDisabledMainWindowActivatedFromOutsideHandsTheActivationToTheBox) {
    std::vector<InFront> seen;
    const int answer = openBox([&](HWND box) {
        User user(window_, GetWindowThreadProcessId(window_, nullptr));
        seen.push_back(user.look(box, "opened"));
        for (int time = 0; time < 3; ++time) {
            user.activateMainFromOutside();
            seen.push_back(user.look(box, "the disabled main window activated from outside"));
        }
        press(VK_RETURN);
    });
    expectInFront(seen);
    EXPECT_EQ(answer, IDOK) << "Enter answered the box";
    EXPECT_EQ(ui::modalDepth, 0u);
}

// The folder picker of the large-files window is a modal scope too: it disables its window, and the icon brings
// it forward, not the main window; so does the activation of the window it disables.
TEST_F(ModalForwardTest, TheOpenFolderPickerComesForwardByTheIconAndItsWindow) {
    openLargeFilesWindow();
    const HWND large = largeFilesWindow;
    ASSERT_NE(large, nullptr);
    std::vector<InFront> seen;
    HWND picker = nullptr;
    std::thread helper([&] {
        picker = test::waitForDialog(large, 20000);
        if (!picker) return;
        User user(window_, GetWindowThreadProcessId(window_, nullptr));
        user.activateMainFromOutside();
        user.clickIcon();
        seen.push_back(user.look(picker, "a click on the icon while the picker is open"));
        SetForegroundWindow(large);  // the window the picker disables, from outside
        user.sync();
        seen.push_back(user.look(picker, "the large-files window activated from outside"));
        for (int i = 0; i < 50 && IsWindow(picker); ++i) {
            PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
            Sleep(100);
        }
    });
    chooseLargeSearchFolder(large);
    helper.join();
    ASSERT_NE(picker, nullptr) << "no picker came";
    expectInFront(seen);
    EXPECT_EQ(ui::modalDepth, 0u);
    DestroyWindow(large);
}

}  // namespace
}  // namespace pm
