// The main window from the keyboard: keys typed into the real window and its controls, through the
// program's own message loop routing. Enter presses the focused owner-drawn button; a scan started from
// the keyboard takes the focus from the button it disables to Cancel, and gives it back at the end, also
// when the main window was inactive meanwhile. Brought back from the tray or from minimised, by the icon or
// by a later start, the window gives the focus back to the control that had it.
#include "app/commands.h"
#include "app/control_ids.h"
#include "app/program_internal.h"
#include "app/single_instance_internal.h"
#include "tests/app/history_lines.h"
#include "tests/app/main_window_fixture.h"
#include "tests/app/real_keys.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pm {
namespace {

class MainKeyboardTest : public test::RealMainWindowTest {
protected:
    // Dispatches through the program's routing, one message at a time, until the condition holds or the
    // time is up.
    bool routeUntil(const std::function<bool(const MSG&)>& done, DWORD timeoutMs) {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        for (;;) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) continue;
                routeMessage(message);
                if (done(message)) return true;
            }
            if (GetTickCount64() >= deadline) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    bool routeWhileBusy() {
        return routeUntil([](const MSG&) { return !busy; }, 60000);
    }
    // The key down (a fresh press), then up when asked.
    void type(WORD key, bool andRelease = true) {
        ASSERT_TRUE(test::routeFreshPress(key)) << "the key arrived";
        if (andRelease) release(key);
    }
    void release(WORD key) { ASSERT_TRUE(test::routeKeyEvent(key, true)) << "the key arrived"; }
    HWND focusOn(int id) {
        HWND control = ui::controlRegistry[id];
        SetFocus(control);
        return GetFocus() == control ? control : nullptr;
    }
    void SetUp() override {
        test::RealMainWindowTest::SetUp();
        DeleteFileW(test::statePath().c_str());  // the default settings
        ASSERT_NE(create(true), nullptr);
        SetForegroundWindow(window_);
        routeUntil([](const MSG&) { return false; }, 100);
    }
};

TEST_F(MainKeyboardTest, EnterPressesTheFocusedButton) {
    struct Case {
        int id;
        std::function<bool()> pressed;
    };
    const Case cases[] = {
        {control::NavHelp, [] { return currentPage == 2; }},
        {control::NavDiskSpace, [] { return currentPage == 1; }},
        {control::NavCleanPc, [] { return currentPage == 0; }},
        {control::CategoryRecycleBin, [] { return cleanSelection[2]; }},
        {control::SkipLocked, [] { return !ui::currentSettings.skip_locked; }},
        {control::NavSettings, [] { return currentPage == 3; }},
        {control::DesktopWidget, [] { return ui::currentSettings.widget_enabled; }},
    };
    // Tab walks the buttons; the dialog manager, told the focused one is the default, restyles none.
    ASSERT_NE(focusOn(control::NavCleanPc), nullptr);
    type(VK_TAB);
    EXPECT_EQ(GetFocus(), ui::controlRegistry[control::NavDiskSpace]);
    for (const int id : {control::NavCleanPc, control::NavDiskSpace}) {
        EXPECT_EQ(GetWindowLongPtrW(ui::controlRegistry[id], GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << id;
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        HWND button = focusOn(c.id);
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(c.pressed()) << "page " << currentPage;
        type(VK_RETURN);
        EXPECT_TRUE(c.pressed());
        EXPECT_EQ(GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << "still drawn by its owner";
    }
    ui::currentSettings.widget_enabled = false;
}

TEST_F(MainKeyboardTest, ScanFromTheKeyboardMovesTheFocusToCancelAndBack) {
    HWND start = focusOn(control::StartScan);
    ASSERT_NE(start, nullptr);
    type(VK_RETURN, false);  // read before the scan's result is handled
    ASSERT_TRUE(busy) << "Enter started the scan";
    EXPECT_FALSE(IsWindowEnabled(start));
    EXPECT_EQ(GetFocus(), ui::controlRegistry[control::Cancel]);
    release(VK_RETURN);  // the release, then on until the scan's end

    ASSERT_TRUE(routeWhileBusy());
    EXPECT_TRUE(analysisPresent);
    EXPECT_EQ(GetFocus(), start);
    EXPECT_FALSE(IsWindowVisible(ui::controlRegistry[control::Cancel]));

    // Focus moved by the user meanwhile stays where the user put it.
    type(VK_RETURN, false);
    ASSERT_TRUE(busy);
    HWND help = focusOn(control::NavHelp);
    release(VK_RETURN);  // no key is left down for what runs next on this desktop
    ASSERT_TRUE(routeWhileBusy());
    EXPECT_EQ(GetFocus(), help);
}

// A key held on the start button: the keyboard's repeats press nothing (the first would press Cancel, which
// has the focus while the scan runs, the next the start button again): one scan, run to its end.
TEST_F(MainKeyboardTest, AKeyHeldOnTheStartButtonRunsOneScanToItsEnd) {
    for (const WORD key : {WORD{VK_RETURN}, WORD{VK_SPACE}}) {
        SCOPED_TRACE(key == VK_RETURN ? "Enter" : "Space");
        HWND start = focusOn(control::StartScan);
        ASSERT_NE(start, nullptr);
        const size_t before = test::readHistoryLines().size();
        const std::vector<LPARAM> downs = test::routeHeldKey(key, 3);
        ASSERT_EQ(downs.size(), 4u);
        ASSERT_EQ(downs[0] & (LPARAM{1} << 30), 0) << "a fresh press";
        for (size_t i = 1; i < downs.size(); ++i) {
            ASSERT_NE(downs[i] & (LPARAM{1} << 30), 0) << "the keyboard marks repeat " << i << " as one";
        }
        ASSERT_TRUE(routeWhileBusy());
        const std::vector<JsonValue> records = test::historyObjectsAfter(before);
        ASSERT_EQ(records.size(), 1u) << "one scan";
        EXPECT_EQ(jsonGetString(records[0], "kind", ""), "scan");
        EXPECT_FALSE(jsonGetBool(records[0], "cancelled", true));
        EXPECT_FALSE(lastCancelled);
        EXPECT_TRUE(analysisPresent);
        EXPECT_EQ(GetFocus(), start);
    }
}

TEST_F(MainKeyboardTest, AnOperationEndingWhileAnotherWindowIsActiveGivesTheFocusBackOnReturn) {
    HWND start = focusOn(control::StartScan);
    ASSERT_NE(start, nullptr);
    type(VK_RETURN, false);
    ASSERT_TRUE(busy) << "Enter started the scan";
    release(VK_RETURN);
    ASSERT_EQ(GetFocus(), ui::controlRegistry[control::Cancel]);

    // The user turns to another window until the scan has ended, then comes back.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    ASSERT_NE(GetActiveWindow(), window_);
    ASSERT_TRUE(routeWhileBusy());
    EXPECT_FALSE(IsWindowVisible(ui::controlRegistry[control::Cancel]));
    SetForegroundWindow(window_);
    EXPECT_EQ(GetActiveWindow(), window_);
    EXPECT_EQ(GetFocus(), start) << "the scan's end while away";

    // A scan started while away (its button disabled meanwhile) takes the focus to Cancel on return.
    SetForegroundWindow(other);
    onCommand(control::StartScan);
    ASSERT_TRUE(busy);
    SetForegroundWindow(window_);
    EXPECT_EQ(GetFocus(), ui::controlRegistry[control::Cancel]) << "the scan's start while away";
    ASSERT_TRUE(routeWhileBusy());
    EXPECT_EQ(GetFocus(), start);
    DestroyWindow(other);
}

TEST_F(MainKeyboardTest, BroughtBackTheWindowGivesTheFocusBackToTheControlThatHadIt) {
    test::RecordingShell shell;  // a notification area that takes the icon, so the window may hide to it
    ui::trayIconAdded = false;
    ASSERT_TRUE(ui::addTrayIcon());
    // A later start of the program: the running instance's claim of a name of this test, and the start
    // that meets it and asks its window to show itself.
    const std::wstring name = L"Local\\PelmirtTest.Focus." + std::to_wstring(GetCurrentProcessId());
    std::unique_ptr<InstanceClaim> running;
    ASSERT_EQ(claimOrShowRunning(name, running, 0), StartOutcome::Run);
    running->record().window = reinterpret_cast<INT_PTR>(window_);
    const auto laterStart = [&] {
        std::unique_ptr<InstanceClaim> later;
        EXPECT_EQ(claimOrShowRunning(name, later, 5000), StartOutcome::Shown);
    };
    const auto iconClicked = [&] {  // as the shell reports a click on the icon (version 4)
        PostMessageW(window_, WM_APP_TRAY, 0, MAKELPARAM(NIN_SELECT, ui::TrayIconId));
        routeUntil([](const MSG& m) { return m.message == WM_APP_TRAY; }, 5000);
    };
    const auto toTray = [&] { SendMessageW(window_, WM_CLOSE, 0, 0); };
    const auto minimise = [&] { ShowWindow(window_, SW_MINIMIZE); };
    struct Case {
        const char* name;
        std::function<void()> away, back;
    };
    const Case cases[] = {
        {"tray, later start", toTray, laterStart},
        {"tray, icon", toTray, iconClicked},
        {"minimised, later start", minimise, laterStart},
        {"minimised, icon", minimise, iconClicked},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        onCommand(control::NavCleanPc);
        HWND help = focusOn(control::NavHelp);
        ASSERT_NE(help, nullptr);
        c.away();
        ASSERT_TRUE(!IsWindowVisible(window_) || IsIconic(window_)) << "put away";
        c.back();
        ASSERT_TRUE(IsWindowVisible(window_) && !IsIconic(window_)) << "brought back";
        EXPECT_EQ(GetFocus(), help);
        type(VK_RETURN);
        EXPECT_EQ(currentPage, 2) << "Enter pressed the button that has the focus";
    }
}

// An instance run elevated hears a later start of normal integrity only when its window's filter lets the
// request through (User Interface Privilege Isolation drops messages from WM_USER up otherwise). Asked to
// allow the request again, the filter of the window says it already does.
TEST_F(MainKeyboardTest, LaterStartsRequestPassesTheWindowsMessageFilter) {
    const auto allowAgain = [](HWND window) {
        CHANGEFILTERSTRUCT status{};
        status.cbSize = sizeof(status);
        EXPECT_TRUE(ChangeWindowMessageFilterEx(window, WM_APP_SHOW_RUNNING, MSGFLT_ALLOW, &status)) << GetLastError();
        return status.ExtStatus;
    };
    // Whether this system keeps a filter per window at all: a window of this test, allowed twice.
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(probe, nullptr);
    allowAgain(probe);
    const DWORD probeStatus = allowAgain(probe);
    DestroyWindow(probe);
    if (probeStatus == MSGFLTINFO_NONE) {
        GTEST_SKIP() << "this system keeps no message filter per window (Wine: no integrity levels, the call is a "
                        "stub that accepts anything)";
    }
    EXPECT_EQ(allowAgain(window_), static_cast<DWORD>(MSGFLTINFO_ALREADYALLOWED_FORWND));
}

}  // namespace
}  // namespace pm
