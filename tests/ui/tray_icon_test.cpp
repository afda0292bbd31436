// The notification icon against Wine's real shell. Under the null graphics driver the prefix has no
// notification area and Shell_NotifyIconW refuses everything: the refusing-shell cases run there;
// the accepting-shell cases need a virtual desktop (the runner's tray prefix) and skip without one.
#include "tests/support/notification_area.h"
#include "ui/control_registry.h"
#include "ui/tray_icon.h"
#include "win_fixture.h"

#include <shellapi.h>

namespace {

using namespace pm;
using namespace pm::test;

bool shellAcceptsIcons() { return notificationAreaPresent(); }

struct TrayIconTest : MainWindowFixture {
    void TearDown() override {
        shellCall(NIM_DELETE);
        MainWindowFixture::TearDown();
    }
    // The test's own call to the shell about icon 1 of the main window.
    static bool shellCall(DWORD action) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = ui::mainWindow;
        data.uID = 1;
        data.uFlags = NIF_MESSAGE | NIF_ICON;
        data.uCallbackMessage = ui::WM_APP_TRAY;
        data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        return Shell_NotifyIconW(action, &data) != FALSE;
    }
    static bool retryTimerRan() { return KillTimer(ui::mainWindow, ui::TrayRetryTimerId) != FALSE; }
};

TEST_F(TrayIconTest, PresentIconMakesNoShellCallAndARefusalStartsTheRetryTimer) {
    ui::trayIconAdded = true;
    EXPECT_TRUE(ui::addTrayIcon());
    EXPECT_FALSE(shellCall(NIM_DELETE));  // nothing was added
    EXPECT_FALSE(retryTimerRan());
    if (shellAcceptsIcons()) return;
    ui::trayIconAdded = false;
    EXPECT_FALSE(ui::addTrayIcon());
    EXPECT_FALSE(ui::trayIconAdded);
    EXPECT_TRUE(retryTimerRan());
}

TEST_F(TrayIconTest, AddOrTakeOverSetsVersion4AndStopsTheRetryTimer) {
    if (!shellAcceptsIcons()) GTEST_SKIP() << "no notification area under the null graphics driver";
    for (bool leftOver : {false, true}) {  // an icon 1 left from an earlier add makes NIM_ADD fail
        SCOPED_TRACE(leftOver);
        ui::trayIconAdded = ui::trayVersion4 = false;
        shellCall(NIM_DELETE);
        if (leftOver) {
            ASSERT_TRUE(shellCall(NIM_ADD));
        }
        SetTimer(ui::mainWindow, ui::TrayRetryTimerId, ui::TrayRetryMilliseconds, nullptr);
        EXPECT_TRUE(ui::addTrayIcon());
        EXPECT_TRUE(ui::trayIconAdded);
        EXPECT_TRUE(ui::trayVersion4);
        EXPECT_FALSE(retryTimerRan());
    }
    currentLanguage = ArabicLanguage;  // the tip follows the language on the icon that is there
    ui::applyLanguageToControls();
    EXPECT_TRUE(ui::trayIconAdded);
    EXPECT_FALSE(retryTimerRan());
}

// The icon vanished (the shell restarted unnoticed) while hidden to the tray: the tip update after a
// language change brings the window back, so the user never has neither.
TEST_F(TrayIconTest, ALostIconWhileHiddenRestoresTheMainWindow) {
    ShowWindow(ui::mainWindow, SW_HIDE);
    ui::hiddenToTray = ui::trayIconAdded = ui::trayVersion4 = true;  // the shell has no icon
    currentLanguage = ArabicLanguage;
    ui::applyLanguageToControls();
    EXPECT_FALSE(ui::trayIconAdded || ui::trayVersion4 || ui::hiddenToTray);
    EXPECT_TRUE(retryTimerRan());
    EXPECT_TRUE(IsWindowVisible(ui::mainWindow));
}

TEST_F(TrayIconTest, RestoreShowsTheHiddenWindowsAndLeavesAnOpenBoxActiveAndFocused) {
    HWND secondary = CreateWindowExW(0, L"PelmirtTestMain", L"secondary", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                     nullptr, nullptr, ui::appInstance, nullptr);
    ShowWindow(ui::mainWindow, SW_HIDE);
    ui::hiddenToTray = ui::hidePending = true;
    ui::hiddenWithMain = {secondary, reinterpret_cast<HWND>(0x1234)};  // the second no longer exists
    HWND dialog = nullptr, foreground = nullptr, focus = nullptr;
    bool focusInDialog = false;
    std::function<void()> restore = [] { ui::restoreMainWindow(); };
    {
        Helper helper([&] {
            dialog = waitForDialog(ui::mainWindow, L"Still open");
            SendMessageW(ui::mainWindow, RunOnUiThread, 0, reinterpret_cast<LPARAM>(&restore));
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            GetGUIThreadInfo(GetWindowThreadProcessId(ui::mainWindow, nullptr), &info);
            foreground = GetForegroundWindow();
            focus = info.hwndFocus;
            focusInDialog = IsChild(dialog, focus) || focus == dialog;
            PostMessageW(dialog, WM_CLOSE, 0, 0);
        });
        ui::messageBox(L"Still open", MB_OK);
    }
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(ui::mainWindow) && IsWindowVisible(secondary));
    EXPECT_TRUE(ui::hiddenWithMain.empty());
    EXPECT_FALSE(ui::hiddenToTray || ui::hidePending);
    EXPECT_EQ(foreground, dialog);
    EXPECT_TRUE(focusInDialog);

    ShowWindow(ui::mainWindow, SW_HIDE);  // without a box the main window takes both
    ui::restoreMainWindow();
    EXPECT_EQ(GetForegroundWindow(), ui::mainWindow);
    EXPECT_EQ(GetFocus(), ui::mainWindow);
    DestroyWindow(secondary);
}

}  // namespace
