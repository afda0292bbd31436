// The notification icon against Wine's real shell. Under the null graphics driver the prefix has no
// notification area (Shell_NotifyIconW refuses everything): the refusing-shell cases run there, the
// accepting-shell cases need a virtual desktop (Xvfb) and skip without one.
#include "ui/control_registry.h"
#include "ui/tray_icon.h"
#include "win_fixture.h"

#include <shellapi.h>

namespace {

using namespace pm;
using namespace pm::test;

bool shellHasNotificationArea() {
    return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

#define REQUIRE_NOTIFICATION_AREA()                                                                  \
    do {                                                                                             \
        if (!shellHasNotificationArea())                                                             \
            GTEST_SKIP() << "no notification area: Wine's null graphics driver runs no shell tray; " \
                            "run under a virtual desktop";                                           \
    } while (0)

struct TrayIconTest : MainWindowFixture {
    void TearDown() override {
        shellCall(NIM_DELETE);
        MainWindowFixture::TearDown();
    }
    // The test's own call to the shell about the main window's icon 1.
    static bool shellCall(DWORD action) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = ui::mainWindow;
        data.uID = 1;
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = ui::WM_APP_TRAY;
        data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        return Shell_NotifyIconW(action, &data) != FALSE;
    }
    // True when the retry timer was running (it is stopped by asking).
    static bool retryTimerRan() { return KillTimer(ui::mainWindow, ui::TrayRetryTimerId) != FALSE; }
};

TEST_F(TrayIconTest, AnIconAlreadyPresentMakesNoShellCall) {
    ui::trayIconAdded = true;
    EXPECT_TRUE(ui::addTrayIcon());
    EXPECT_FALSE(shellCall(NIM_DELETE));  // nothing was added
    EXPECT_FALSE(retryTimerRan());
}

TEST_F(TrayIconTest, ARefusedIconStartsTheRetryTimer) {
    if (shellHasNotificationArea()) GTEST_SKIP() << "the shell here accepts icons; this case needs one that refuses";
    EXPECT_FALSE(ui::addTrayIcon());
    EXPECT_FALSE(ui::trayIconAdded);
    EXPECT_FALSE(ui::trayVersion4);
    EXPECT_TRUE(retryTimerRan());
}

TEST_F(TrayIconTest, AddingSetsVersion4AndStopsTheRetryTimer) {
    REQUIRE_NOTIFICATION_AREA();
    SetTimer(ui::mainWindow, ui::TrayRetryTimerId, ui::TrayRetryMilliseconds, nullptr);  // an earlier refusal
    EXPECT_TRUE(ui::addTrayIcon());
    EXPECT_TRUE(ui::trayIconAdded);
    EXPECT_TRUE(ui::trayVersion4);
    EXPECT_FALSE(retryTimerRan());
    EXPECT_FALSE(shellCall(NIM_ADD));  // the icon is there: the shell refuses a second one

    // A language change re-sets the tip of the icon that is there.
    currentLanguage = ArabicLanguage;
    ui::applyLanguageToControls();
    EXPECT_TRUE(ui::trayIconAdded);
    EXPECT_FALSE(retryTimerRan());
    EXPECT_TRUE(shellCall(NIM_DELETE));
}

TEST_F(TrayIconTest, AnIconLeftFromAnEarlierAddIsTakenOverByModify) {
    REQUIRE_NOTIFICATION_AREA();
    ASSERT_TRUE(shellCall(NIM_ADD));
    EXPECT_TRUE(ui::addTrayIcon());
    EXPECT_TRUE(ui::trayIconAdded);
    EXPECT_TRUE(ui::trayVersion4);
    EXPECT_FALSE(retryTimerRan());
}

// The icon vanished behind the program's back (the shell restarted) while it was hidden to the tray:
// the next tip update must bring the window back, so the user is never left with neither.
TEST_F(TrayIconTest, ALostIconWhileHiddenRestoresTheMainWindow) {
    ShowWindow(ui::mainWindow, SW_HIDE);
    ui::hiddenToTray = true;
    ui::trayIconAdded = true;  // as the program believes; the shell has no icon
    ui::trayVersion4 = true;
    currentLanguage = ArabicLanguage;
    ui::applyLanguageToControls();
    EXPECT_FALSE(ui::trayIconAdded);
    EXPECT_FALSE(ui::trayVersion4);
    EXPECT_TRUE(retryTimerRan());
    EXPECT_FALSE(ui::hiddenToTray);
    EXPECT_TRUE(IsWindowVisible(ui::mainWindow));
}

TEST_F(TrayIconTest, RestoreShowsTheWindowsHiddenWithMainAndFocusesMain) {
    HWND secondary = CreateWindowExW(0, L"PelmirtTestMain", L"secondary", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                     nullptr, nullptr, ui::appInstance, nullptr);
    HWND gone = CreateWindowExW(0, L"PelmirtTestMain", L"gone", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, ui::appInstance, nullptr);
    DestroyWindow(gone);
    ShowWindow(ui::mainWindow, SW_MINIMIZE);
    ShowWindow(ui::mainWindow, SW_HIDE);
    ui::hiddenToTray = ui::hidePending = true;
    ui::hiddenWithMain = {secondary, gone};
    const uint64_t generation = ui::uiGeneration;

    ui::restoreMainWindow();
    EXPECT_TRUE(IsWindowVisible(ui::mainWindow));
    EXPECT_FALSE(IsIconic(ui::mainWindow));
    EXPECT_TRUE(IsWindowVisible(secondary));
    EXPECT_TRUE(ui::hiddenWithMain.empty());
    EXPECT_FALSE(ui::hiddenToTray);
    EXPECT_FALSE(ui::hidePending);
    EXPECT_GT(ui::uiGeneration, generation);
    EXPECT_EQ(GetForegroundWindow(), ui::mainWindow);
    EXPECT_EQ(GetFocus(), ui::mainWindow);
    DestroyWindow(secondary);
}

TEST_F(TrayIconTest, RestoreLeavesActivationAndFocusWithAnOpenMessageBox) {
    ShowWindow(ui::mainWindow, SW_HIDE);
    ui::hiddenToTray = true;
    HWND foreground = nullptr;
    HWND focus = nullptr;
    bool focusInDialog = false;
    HWND dialog = nullptr;
    std::function<void()> restore = [] { ui::restoreMainWindow(); };
    {
        Helper helper([&] {
            dialog = waitForDialog(ui::mainWindow, L"Still open");
            SendMessageW(ui::mainWindow, RunOnUiThread, 0, reinterpret_cast<LPARAM>(&restore));
            foreground = GetForegroundWindow();
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            GetGUIThreadInfo(GetWindowThreadProcessId(ui::mainWindow, nullptr), &info);
            focus = info.hwndFocus;
            focusInDialog = focus == dialog || IsChild(dialog, focus);
            PostMessageW(dialog, WM_CLOSE, 0, 0);
        });
        ui::messageBox(L"Still open", MB_OK);
    }
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(ui::mainWindow));
    EXPECT_EQ(foreground, dialog);
    EXPECT_NE(focus, ui::mainWindow);
    EXPECT_TRUE(focusInDialog);
}

}  // namespace
