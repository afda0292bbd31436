// The main window in this process: its controls, its settings, its scale, its timers, the tray
// callback, closing and destruction. Real windows on the prefix's display driver, real state files.
#include "app/app_messages.h"
#include "tests/app/main_window_fixture.h"
#include "app/main_layout.h"
#include "app/main_window.h"
#include "app/main_window_internal.h"
#include "app/shell_globals.h"
#include "engine/handle_holder.h"
#include "services/i18n/language.h"
#include "services/i18n/translate.h"
#include "services/state/state_file.h"
#include "tests/support/notification_area.h"
#include "tests/support/test_files.h"
#include "tests/ui/draw_support.h"
#include "ui/control_registry.h"
#include "ui/shell_state.h"
#include "ui/theme.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace pm {
namespace {

using test::readFile;
using test::statePath;

void writeProtectedJson(const std::string& json) {
    const std::vector<uint8_t> bytes =
        protectForUser(reinterpret_cast<const uint8_t*>(json.data()), static_cast<uint32_t>(json.size()),
                       L"Pelmirt user state");
    test::writeFile(statePath(), std::string(bytes.begin(), bytes.end()));
}

std::wstring windowClass(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

using MainWindowTest = test::RealMainWindowTest;

TEST_F(MainWindowTest, CreatesEveryControlOfTheTableInTabOrder) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    EXPECT_EQ(ui::mainWindow, window_);

    const std::vector<MainControl>& table = mainControlTable();
    ASSERT_EQ(table.size(), 29u);
    HWND child = GetWindow(window_, GW_CHILD);
    for (const MainControl& spec : table) {
        SCOPED_TRACE(spec.id);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child), spec.id);
        EXPECT_EQ(CompareStringOrdinal(windowClass(child).c_str(), -1, spec.className, -1, TRUE), CSTR_EQUAL);
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        // A combo box hands WS_VSCROLL on to its drop-down list and drops it from its own style.
        const DWORD wanted = spec.id == 180 ? spec.style & ~static_cast<DWORD>(WS_VSCROLL) : spec.style;
        EXPECT_EQ(style & wanted, wanted);
        EXPECT_EQ(style & (WS_CHILD | WS_TABSTOP), static_cast<DWORD>(WS_CHILD | WS_TABSTOP));
        EXPECT_EQ(ui::controlRegistry[spec.id], child);
        // The first layout adds the state to some texts (" · 0 B · Selected") and, without an analysis,
        // replaces the Clean button's text by a hint.
        if (spec.id != 180 && spec.id != 121) {
            wchar_t text[256] = {};
            GetWindowTextW(child, text, 256);
            EXPECT_TRUE(std::wstring(text).starts_with(translate(spec.text))) << std::wstring(text).size();
        }
        EXPECT_EQ(ui::controlTexts[spec.id], spec.text);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "no control beyond the table";

    HWND slider = ui::controlRegistry[140];
    EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMIN, 0, 0), 20);
    EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMAX, 0, 0), 100);
    EXPECT_EQ(SendMessageW(slider, TBM_GETPOS, 0, 0), 100);
    EXPECT_GT(SendMessageW(ui::controlRegistry[180], CB_GETCOUNT, 0, 0), 20) << "the language list is filled";
}

TEST_F(MainWindowTest, LoadsAppliesAndWritesBackTheSettings) {
    writeProtectedJson(R"({"close_browsers":true,"theme":"dark","palette":"rose","language":"de","widget_opacity":55,"extra":1})");
    ASSERT_NE(create(), nullptr);

    EXPECT_TRUE(ui::currentSettings.close_browsers);
    EXPECT_EQ(ui::currentSettings.language, "de");
    EXPECT_EQ(currentLanguage, languageIndex("de"));
    EXPECT_TRUE(ui::theme.dark);
    EXPECT_NE(ui::theme.cardBrush, nullptr);
    wchar_t text[256] = {};
    GetWindowTextW(ui::controlRegistry[101], text, 256);
    EXPECT_EQ(std::wstring(text), translate(L"Очистка ПК"));
    EXPECT_EQ(SendMessageW(ui::controlRegistry[140], TBM_GETPOS, 0, 0), 55);
    EXPECT_FALSE(stateFileHeld);
    // Written back at once in normal form: the unknown member is gone.
    const AppSettings reread = loadAppState();
    EXPECT_EQ(reread.palette, "rose");
    EXPECT_EQ(reread.widget_opacity, 55);
    EXPECT_EQ(readFile(statePath()).find("extra"), std::string::npos);
    // The notification icon is there, or the retry timer runs until the shell takes it.
    EXPECT_TRUE(ui::trayIconAdded || KillTimer(window_, TIMER_TRAY_RETRY));
    applyLanguageSetting("en");
}

// The language combo box draws its frame in the system's light colours; in the dark theme the frame takes
// the theme's border (the entry inside stays the owner's: ReportListTest checks that on the helper).
TEST_F(MainWindowTest, DarkThemeFramesTheLanguageCombo) {
    ASSERT_NE(create(), nullptr);
    ui::currentSettings.theme = "dark";
    ui::applyTheme();
    currentPage = 3;  // Settings: the combo is laid out
    layoutMainControls();
    HWND combo = ui::controlRegistry[ui::LanguageComboId];
    RECT client{};
    GetClientRect(combo, &client);
    ASSERT_GT(client.right, 0);
    test::Dib dib(client.right, client.bottom, 0xFFFF00FF);
    SendMessageW(combo, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.dc()), PRF_CLIENT);
    EXPECT_EQ(dib.rgb(0, client.bottom / 2), ui::theme.border & 0xFFFFFF) << "the combo's frame";
    EXPECT_EQ(dib.rgb(1, client.bottom / 2), ui::theme.card & 0xFFFFFF) << "no light edge inside the frame";
    ui::currentSettings = AppSettings{};
    ui::applyTheme();
}

TEST_F(MainWindowTest, StateFileThatCannotBeReadIsKeptUntilTheUserChangesASetting) {
    struct Case {
        const char* name;
        bool protectedJson;
        std::string content;
    };
    const Case cases[] = {
        {"not protected data", false, "{\"close_browsers\":false}"},
        {"protected, no close_browsers", true, "{\"theme\":\"dark\"}"},
        {"protected, not JSON", true, "dark"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.protectedJson) {
            writeProtectedJson(c.content);
        } else {
            test::writeFile(statePath(), c.content);
        }
        const std::string before = readFile(statePath());
        ASSERT_NE(create(), nullptr);
        EXPECT_EQ(ui::currentSettings.theme, "system") << "defaults in memory";
        EXPECT_TRUE(stateFileHeld);
        EXPECT_EQ(readFile(statePath()), before) << "written back over an unreadable file";

        SendMessageW(window_, WM_TIMER, TIMER_REFRESH, 0);
        EXPECT_EQ(readFile(statePath()), before) << "the refresh timer replaced it";

        // A change by the user: the opacity slider.
        SendMessageW(ui::controlRegistry[140], TBM_SETPOS, TRUE, 40);
        SendMessageW(window_, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 40),
                     reinterpret_cast<LPARAM>(ui::controlRegistry[140]));
        EXPECT_FALSE(stateFileHeld);
        EXPECT_EQ(loadAppState().widget_opacity, 40);
        DestroyWindow(window_);
        TearDown();
        SetUp();
    }
}

// The user changed nothing: neither the exit (WM_APP+31, what the tray menu's "Exit" comes to) nor the
// session's end writes over a state file that could not be read.
TEST_F(MainWindowTest, UnreadableStateFileKeepsItsBytesThroughTheExitAndTheSessionsEnd) {
    const std::pair<UINT, WPARAM> endings[] = {{WM_APP_CONTINUE_EXIT, 0}, {WM_ENDSESSION, TRUE}};
    for (const auto& [message, wParam] : endings) {
        SCOPED_TRACE(message);
        test::writeFile(statePath(), "{\"close_browsers\":false}");
        ASSERT_NE(create(), nullptr);
        ASSERT_TRUE(stateFileHeld);
        SendMessageW(window_, message, wParam, 0);
        EXPECT_TRUE(pump()) << "WM_QUIT";
        EXPECT_EQ(readFile(statePath()), "{\"close_browsers\":false}");
        TearDown();
        SetUp();
    }
}

// The state file was locked when the window was created, and still when the user changed a setting: that
// change is saved once the lock goes, by the refresh timer, at exit or at the session's end.
TEST_F(MainWindowTest, AChangeThatCouldNotBeSavedIsSavedOnceTheLockGoes) {
    const struct {
        const char* what;
        UINT message;
        WPARAM wParam;
    } cases[] = {
        {"by the refresh timer", WM_TIMER, TIMER_REFRESH},
        {"at exit", WM_APP_CONTINUE_EXIT, 0},
        {"at the session's end", WM_ENDSESSION, TRUE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        saveAppState(AppSettings{});
        HandleHolder lock(CreateFileW(statePath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock.valid());
        ASSERT_NE(create(), nullptr);
        EXPECT_TRUE(stateFileHeld) << "unreadable at start";

        HWND slider = ui::controlRegistry[140];
        SendMessageW(slider, TBM_SETPOS, TRUE, 40);
        SendMessageW(window_, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 40), reinterpret_cast<LPARAM>(slider));
        lock.reset();
        ASSERT_EQ(loadAppState().widget_opacity, 100) << "the save went through the lock";
        EXPECT_EQ(statusText, L"Не удалось сохранить настройки. Проверьте доступ к LocalAppData.");

        SendMessageW(window_, c.message, c.wParam, 0);
        EXPECT_EQ(pump(), c.message != WM_TIMER) << "WM_QUIT";
        EXPECT_EQ(loadAppState().widget_opacity, 40);
        statusText = L"Готов к анализу";
        TearDown();
        SetUp();
    }
}

TEST_F(MainWindowTest, AbsentStateFileIsWrittenWithTheDefaults) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    EXPECT_FALSE(stateFileHeld);
    EXPECT_NE(readFile(statePath()), "<missing>");
}

TEST_F(MainWindowTest, LayoutScaleFollowsTheClientSize) {
    struct Step {
        float dpi;
        int width;
        int height;
        bool changes;
        float scale;
    };
    const Step steps[] = {
        {1.0f, 900, 640, true, 0.810f},    // 640 / 790
        {1.0f, 905, 645, false, 0.810f},   // a change under 0.01 rebuilds nothing
        {1.0f, 1300, 900, true, 1.0f},     // never above the DPI scale
        {1.0f, 50, 40, false, 1.0f},       // candidates at or below 0.1 are ignored
        {1.5f, 3000, 2000, true, 1.5f},
        {1.5f, 1100, 2000, true, 1.0f},    // width / 1100
    };
    for (const Step& s : steps) {
        dpiScale = s.dpi;
        EXPECT_EQ(updateLayoutScale(s.width, s.height), s.changes) << s.width << "x" << s.height;
        EXPECT_NEAR(ui::layoutScale, s.scale, 0.001f);
    }
}

TEST_F(MainWindowTest, DpiChangeTakesTheSuggestedRectangleClippedToTheWorkArea) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    // The work area of the one monitor (Wine's null driver reports a larger one than SPI_GETWORKAREA).
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT work = monitor.rcWork;
    struct Case {
        RECT suggested;
        RECT expected;
    };
    const Case cases[] = {
        // Larger than the work area: shrunk to it and moved inside.
        {{work.left + 100, work.top + 100, work.left + 5100, work.top + 4100}, work},
        // Fits (and is above the 900 x 640 minimum), but hangs over the right and bottom edges: moved back
        // inside, size kept.
        {{work.right - 500, work.bottom - 300, work.right + 450, work.bottom + 400},
         {work.right - 950, work.bottom - 700, work.right, work.bottom}},
    };
    for (const Case& c : cases) {
        RECT suggested = c.suggested;
        SendMessageW(window_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
        RECT actual{};
        GetWindowRect(window_, &actual);
        EXPECT_EQ(actual.left, c.expected.left);
        EXPECT_EQ(actual.top, c.expected.top);
        EXPECT_EQ(actual.right, c.expected.right);
        EXPECT_EQ(actual.bottom, c.expected.bottom);
        EXPECT_FLOAT_EQ(dpiScale, 1.5f);
        // The WM_SIZE that followed set the layout scale from the new client size.
        RECT client{};
        GetClientRect(window_, &client);
        const float expected = std::min({client.bottom / 790.0f, client.right / 1100.0f, 1.5f});
        EXPECT_NEAR(ui::layoutScale, expected, 0.011f);
    }
}

TEST_F(MainWindowTest, AnimationTimerStopsWhenMinimised) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    ShowWindow(window_, SW_SHOWNORMAL);
    SendMessageW(window_, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(ui::animationTimerRunning);

    ShowWindow(window_, SW_MINIMIZE);
    EXPECT_FALSE(ui::animationTimerRunning);
    EXPECT_FALSE(KillTimer(window_, TIMER_ANIMATION)) << "timer 3 still set";
    SendMessageW(window_, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_FALSE(ui::animationTimerRunning) << "restarted while minimised";

    ShowWindow(window_, SW_RESTORE);
    SendMessageW(window_, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(ui::animationTimerRunning);
}

// Counts the tray menus that open, closing each one, from a timer that runs inside the menu's loop.
int menusOpened = 0;
void CALLBACK closeOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu && IsWindowVisible(menu)) {
        ++menusOpened;
        EndMenu();
    }
}

TEST_F(MainWindowTest, TrayMenuOpensOncePerRightClickInBothLayouts) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    ShowWindow(window_, SW_SHOWNORMAL);
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, closeOpenMenu);
    struct Case {
        bool version4;
        std::vector<std::pair<WPARAM, LPARAM>> events;  // as the shell sends one right click
    };
    const Case cases[] = {
        {true, {{MAKEWPARAM(10, 10), MAKELPARAM(WM_RBUTTONUP, 1)}, {MAKEWPARAM(10, 10), MAKELPARAM(WM_CONTEXTMENU, 1)}}},
        {false, {{1, WM_RBUTTONUP}, {1, WM_CONTEXTMENU}}},
        {false, {{2, WM_RBUTTONUP}}},  // another icon id
    };
    int expected[] = {1, 1, 0};
    for (size_t i = 0; i < std::size(cases); ++i) {
        ui::trayVersion4 = cases[i].version4;
        menusOpened = 0;
        for (const auto& [wParam, lParam] : cases[i].events) SendMessageW(window_, WM_APP_TRAY, wParam, lParam);
        EXPECT_EQ(menusOpened, expected[i]) << "case " << i;
        EXPECT_EQ(ui::modalDepth, 0u);
    }
    KillTimer(nullptr, timer);
}

// Closes the main window while the tray menu is open, notes whether it stayed on screen, closes the menu.
int shownUnderMenu = -1;
void CALLBACK closeUnderOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!menu || !IsWindowVisible(menu) || shownUnderMenu != -1) return;
    SendMessageW(ui::mainWindow, WM_CLOSE, 0, 0);
    shownUnderMenu = IsWindowVisible(ui::mainWindow) ? 1 : 0;
    EndMenu();
}

// The menu is a modal scope: a close that arrives while it is open hides the window only after it closed.
TEST_F(MainWindowTest, TrayMenuHoldsACloseUntilItCloses) {
    test::RecordingShell shell;
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(true), nullptr);
    ui::trayVersion4 = false;
    shownUnderMenu = -1;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, closeUnderOpenMenu);
    SendMessageW(window_, WM_APP_TRAY, 1, WM_RBUTTONUP);
    KillTimer(nullptr, timer);
    const int shownWhileOpen = shownUnderMenu;

    EXPECT_EQ(shownWhileOpen, 1) << "hidden under the open menu";
    EXPECT_TRUE(ui::hidePending);
    pump();  // WM_APP+32
    EXPECT_FALSE(IsWindowVisible(window_));
    EXPECT_TRUE(ui::hiddenToTray);
}

// The shell restarted while the application was hidden to the tray: the icon comes back, or, when the
// shell refuses it, the window does, so the user always has one of them.
TEST_F(MainWindowTest, TaskbarCreatedWhileHiddenRestoresTheWindowWhenTheIconCannotComeBack) {
    for (bool iconComesBack : {true, false}) {
        SCOPED_TRACE(iconComesBack);
        SetUp();
        test::RecordingShell shell;
        taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
        DeleteFileW(statePath().c_str());
        ASSERT_NE(create(true), nullptr);
        SendMessageW(window_, WM_CLOSE, 0, 0);
        ASSERT_TRUE(ui::hiddenToTray);

        test::RecordingShell::accepts = iconComesBack;
        test::RecordingShell::calls.clear();
        SendMessageW(window_, taskbarCreatedMessage, 0, 0);
        ASSERT_FALSE(test::RecordingShell::calls.empty());
        EXPECT_EQ(test::RecordingShell::calls.front().action, static_cast<DWORD>(NIM_ADD)) << "added anew";
        EXPECT_EQ(ui::trayIconAdded, iconComesBack);
        EXPECT_EQ(ui::hiddenToTray, iconComesBack);
        EXPECT_EQ(IsWindowVisible(window_) != FALSE, !iconComesBack);
        EXPECT_EQ(KillTimer(window_, TIMER_TRAY_RETRY) != FALSE, !iconComesBack) << "the icon is retried";
        TearDown();
    }
}

TEST_F(MainWindowTest, CloseNeverDestroysTheWindow) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    ShowWindow(window_, SW_SHOWNORMAL);
    SendMessageW(window_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(window_));
    // Hidden to the tray when the shell has a notification area for the icon; otherwise it must stay on screen.
    EXPECT_EQ(ui::hiddenToTray, test::notificationAreaPresent());
    EXPECT_EQ(IsWindowVisible(window_) == FALSE, ui::hiddenToTray);
    EXPECT_EQ(ui::hiddenToTray, ui::trayIconAdded);
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(MainWindowTest, OnlyARegisteredTaskbarCreatedMessageReaddsTheIcon) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    // A failed registration leaves the id 0, the value of WM_NULL, which must not look like a shell restart.
    taskbarCreatedMessage = 0;
    ui::trayIconAdded = ui::trayVersion4 = true;
    SendMessageW(window_, WM_NULL, 0, 0);
    EXPECT_TRUE(ui::trayIconAdded);
    EXPECT_TRUE(ui::trayVersion4);

    taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_NE(taskbarCreatedMessage, 0u);
    ui::trayVersion4 = false;
    ui::trayIconAdded = true;
    SendMessageW(window_, taskbarCreatedMessage, 0, 0);
    // Cleared and added anew: a shell that takes the icon gets version 4 asked for again (left false
    // above), one that refuses it leaves the retry timer running.
    const bool retrying = KillTimer(window_, TIMER_TRAY_RETRY) != FALSE;
    EXPECT_TRUE(retrying ? !ui::trayIconAdded : ui::trayIconAdded && ui::trayVersion4);
    ui::trayIconAdded = false;
}

// Secondary windows that remove themselves from their list while they are destroyed.
LRESULT CALLBACK listedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        for (std::vector<HWND>* list : {&historyWindows, &previewWindows}) {
            list->erase(std::remove(list->begin(), list->end(), window), list->end());
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(MainWindowTest, DestroyTakesTheSecondaryWindowsAndTheTimersWithIt) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    WNDCLASSW listed{};
    listed.lpfnWndProc = listedWindowProc;
    listed.hInstance = ui::appInstance;
    listed.lpszClassName = L"PelmirtTestListed";
    RegisterClassW(&listed);
    std::vector<HWND> secondary;
    for (int i = 0; i < 3; ++i) {
        secondary.push_back(CreateWindowExW(0, L"PelmirtTestListed", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                            nullptr, ui::appInstance, nullptr));
    }
    historyWindows = {secondary[0], secondary[1]};
    previewWindows = {secondary[2]};
    ShowWindow(window_, SW_SHOWNORMAL);
    SendMessageW(window_, WM_ACTIVATE, WA_ACTIVE, 0);

    DestroyWindow(window_);

    for (HWND window : secondary) EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(historyWindows.empty());
    EXPECT_TRUE(previewWindows.empty());
    EXPECT_TRUE(ui::destroying);
    EXPECT_FALSE(ui::trayIconAdded);
    EXPECT_FALSE(ui::animationTimerRunning);
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
}

}  // namespace
}  // namespace pm
