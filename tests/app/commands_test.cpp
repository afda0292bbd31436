// The main window's commands through the real window: pages, categories, options, theme and accent,
// Cancel, and the settings saves behind them, against the real state file.
#include "app/commands.h"
#include "app/exit_and_tray.h"
#include "tests/app/main_window_fixture.h"
#include "ui/theme.h"

#include <iterator>

namespace pm {
namespace {

using test::readFile;
using test::statePath;
using CommandsTest = test::RealMainWindowTest;

std::vector<HWND> stateChanges;  // windows announced with EVENT_OBJECT_STATECHANGE

void CALLBACK onStateChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) stateChanges.push_back(window);
}

void click(HWND window, int id) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

TEST_F(CommandsTest, PagesSwitchAndTheDiskPageReadsTheDrives) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    const struct {
        int id;
        int page;
    } steps[] = {{105, 3}, {103, 2}, {102, 1}, {101, 0}, {124, 1}, {140, 1}, {999, 1}, {101, 0}};
    for (const auto& s : steps) {
        driveList.clear();
        click(window_, s.id);
        EXPECT_EQ(currentPage, s.page) << s.id;
        EXPECT_EQ(driveList.empty(), s.id != 102 && s.id != 124) << s.id << ": drives read again";
    }
    // A notification other than a click is not a command.
    SendMessageW(window_, WM_COMMAND, MAKEWPARAM(105, BN_SETFOCUS), 0);
    EXPECT_EQ(currentPage, 0);
}

TEST_F(CommandsTest, CategoryTogglesChangeOnlyTheSelectionInMemory) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    const std::string saved = readFile(statePath());
    ASSERT_NE(saved, "<missing>");
    const struct {
        int id;
        std::array<bool, 3> selection;
    } steps[] = {{127, {true, true, true}}, {125, {false, true, true}}, {126, {false, false, true}},
                 {127, {false, false, false}}, {125, {true, false, false}}};
    for (const auto& s : steps) {
        click(window_, s.id);
        EXPECT_EQ(cleanSelection, s.selection) << s.id;
    }
    EXPECT_EQ(readFile(statePath()), saved) << "a category toggle reached the state file";
}

TEST_F(CommandsTest, OptionTogglesAreSavedAndAnnounced) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE, nullptr, onStateChange,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    const struct {
        int id;
        bool AppSettings::*setting;
        bool announced;
    } cases[] = {
        {128, &AppSettings::close_browsers, true},
        {129, &AppSettings::skip_locked, true},
        {139, &AppSettings::widget_enabled, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        for (int round = 0; round < 2; ++round) {
            const bool before = ui::currentSettings.*c.setting;
            stateChanges.clear();
            click(window_, c.id);
            pump();
            EXPECT_NE(ui::currentSettings.*c.setting, before);
            EXPECT_EQ(loadAppState().*c.setting, !before) << "saved";
            EXPECT_EQ(std::count(stateChanges.begin(), stateChanges.end(), ui::controlRegistry[c.id]),
                      c.announced ? 1 : 0);
        }
    }
    UnhookWinEvent(hook);
}

TEST_F(CommandsTest, ThemeAndAccentAreSavedAppliedAndSpreadToEveryWindow) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    historyWindows = {createCounting()};
    previewWindows = {createCounting(), createCounting()};
    largeFilesWindow = createCounting();
    std::vector<HWND> secondary = {historyWindows[0], previewWindows[0], previewWindows[1], largeFilesWindow};

    const struct {
        int id;
        const char* theme;
        const char* palette;
        int dark;  // -1: as the system is
    } steps[] = {
        {162, "dark", "emerald", 1}, {174, "dark", "rose", 1},      {161, "light", "rose", 0},
        {171, "light", "blue", 0},   {172, "light", "violet", 0},   {173, "light", "amber", 0},
        {175, "light", "teal", 0},   {170, "light", "emerald", 0},  {160, "system", "emerald", -1},
    };
    int round = 0;
    ui::Argb lastAccent = ui::theme.accent;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.id);
        ++round;
        click(window_, s.id);
        EXPECT_EQ(ui::currentSettings.theme, s.theme);
        EXPECT_EQ(ui::currentSettings.palette, s.palette);
        const AppSettings saved = loadAppState();
        EXPECT_EQ(saved.theme, s.theme);
        EXPECT_EQ(saved.palette, s.palette);
        if (s.dark >= 0) {
            EXPECT_EQ(ui::theme.dark, s.dark == 1);
        }
        if (s.id >= 170) {
            EXPECT_NE(ui::theme.accent, lastAccent) << "accent applied";
        }
        lastAccent = ui::theme.accent;
        for (HWND window : secondary) EXPECT_EQ(test::settingsChangedCount[window], round);
    }
    // After a history append only the history windows reload.
    refreshHistoryWindows();
    for (HWND window : secondary) EXPECT_EQ(test::settingsChangedCount[window], round + (window == historyWindows[0]));
}

TEST_F(CommandsTest, CancelRaisesTheFlagAndSaysWhatItMeans) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    const struct {
        int phase;
        const wchar_t* text;
    } cases[] = {
        {PhaseScanning, L"Отмена…"},
        {PhaseCleaning, L"Отмена… уже удалённые файлы не восстанавливаются."},
    };
    for (const auto& c : cases) {
        busy = true;
        operationPhase = c.phase;
        cancelRequested = false;
        progressText = L"Анализ файлов…";
        click(window_, 122);
        EXPECT_TRUE(cancelRequested);
        EXPECT_EQ(progressText, c.text);
        EXPECT_TRUE(busy) << "Cancel only asks: the worker reports as usual";
    }
}

TEST_F(CommandsTest, UnwritableStateFileBecomesTheStatusTextAndKeepsTheSettings) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    const std::string saved = readFile(statePath());
    const std::wstring inTheWay = appDataDir() + L"\\state.dat.new";
    ASSERT_TRUE(CreateDirectoryW(inTheWay.c_str(), nullptr));
    statusText = L"Готов к анализу";
    lastOperationKind = 1;

    EXPECT_NO_THROW(click(window_, 162));
    EXPECT_NO_THROW(click(window_, 129));
    RemoveDirectoryW(inTheWay.c_str());

    EXPECT_EQ(statusText, L"Не удалось сохранить настройки. Проверьте доступ к LocalAppData.");
    EXPECT_EQ(lastOperationKind, 0u);
    EXPECT_EQ(ui::currentSettings.theme, "dark") << "the change stays in memory";
    EXPECT_FALSE(ui::currentSettings.skip_locked);
    EXPECT_TRUE(ui::theme.dark);
    EXPECT_EQ(readFile(statePath()), saved);
    // The next save, with the way clear, writes what is in memory.
    saveSettingsOrReport();
    EXPECT_EQ(loadAppState().theme, "dark");
}

TEST_F(CommandsTest, WidgetPositionIsSavedFromItsWindowRectangle) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(), nullptr);
    HWND widget = CreateWindowExW(WS_EX_TOOLWINDOW, L"PelmirtTestCounting", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200,
                                  120, nullptr, nullptr, ui::appInstance, nullptr);
    ASSERT_NE(widget, nullptr);
    const struct {
        int x, y;
        bool minimised;
        int savedX, savedY;
        bool saved;
    } steps[] = {
        {0, 0, false, 0, 0, true},      // the top-left corner is a position like any other
        {37, 54, false, 37, 54, true},
        {300, 300, true, 37, 54, true},  // minimised: the last position stays
    };
    for (const auto& s : steps) {
        SetWindowPos(widget, nullptr, s.x, s.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (s.minimised) ShowWindow(widget, SW_MINIMIZE);
        saveWidgetPosition(widget);
        const AppSettings saved = loadAppState();
        EXPECT_EQ(saved.widget_position_saved, s.saved);
        EXPECT_EQ(saved.widget_x, s.savedX);
        EXPECT_EQ(saved.widget_y, s.savedY);
    }
    DestroyWindow(widget);
    saveWidgetPosition(widget);  // gone: nothing happens
    EXPECT_EQ(loadAppState().widget_x, 37);
}

}  // namespace
}  // namespace pm
