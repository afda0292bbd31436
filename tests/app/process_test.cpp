// pelmirt.exe as a process: the self-test switch (verdict, history, no window, no fixtures left) and
// the smoke run of the main window.
#include "services/state/state_file.h"
#include "tests/app/history_lines.h"
#include "tests/support/app_driver.h"
#include "tests/support/test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace pm {
namespace {

std::vector<std::wstring>* createdClasses = nullptr;

void CALLBACK onWindowCreated(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object != OBJID_WINDOW || child != CHILDID_SELF || !createdClasses) return;
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    createdClasses->push_back(length > 0 ? std::wstring(name, length) : L"<gone>");
}

struct WatchedRun {
    std::optional<DWORD> exitCode;
    std::vector<std::wstring> windowClasses;  // every window the process created, as the hook saw it
    ULONGLONG milliseconds = 0;
    std::string standardError;  // what it wrote there, as far as the pipe holds it
};

// Runs pelmirt.exe with the arguments, watching every window its process creates, until it exits.
WatchedRun runWatched(const std::wstring& arguments, DWORD timeoutMs) {
    WatchedRun run;
    test::AppProcess process;
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherited, 1 << 16)) {
        ADD_FAILURE() << "no pipe: " << GetLastError();
        return run;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const bool started = process.start(arguments, true, writeEnd);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        ADD_FAILURE() << "pelmirt.exe did not start: " << GetLastError();
        return run;
    }
    createdClasses = &run.windowClasses;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, onWindowCreated,
                                         process.processId(), 0, WINEVENT_OUTOFCONTEXT);
    const ULONGLONG start = GetTickCount64();
    process.resume();
    HANDLE handle = process.process();
    while (GetTickCount64() - start < timeoutMs) {
        const DWORD wait = MsgWaitForMultipleObjects(1, &handle, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (wait == WAIT_OBJECT_0) break;
    }
    run.milliseconds = GetTickCount64() - start;
    // Events already queued for the ended process.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (hook) UnhookWinEvent(hook);
    createdClasses = nullptr;
    run.exitCode = process.waitForExit(0);
    DWORD available = 0;
    if (run.exitCode && PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        run.standardError.resize(available);
        DWORD read = 0;
        ReadFile(readEnd, run.standardError.data(), available, &read, nullptr);
        run.standardError.resize(read);
    }
    CloseHandle(readEnd);
    return run;
}

// Windows of the process other than the message-only window COM makes for its apartment.
std::vector<std::wstring> realWindows(const std::vector<std::wstring>& classes) {
    std::vector<std::wstring> windows;
    for (const std::wstring& name : classes) {
        if (name != L"OleMainThreadWndClass") windows.push_back(name);
    }
    return windows;
}

std::set<std::wstring> selfTestFolders() {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((test::tempPath() + L"\\PelmirtSelfTest-*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        names.insert(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

// True once every fixture folder not in `before` is gone. The engine's own self-test tests may run at the
// same time and leave theirs for a moment; one left by the program stays.
bool noNewSelfTestFolder(const std::set<std::wstring>& before) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        bool fresh = false;
        for (const std::wstring& name : selfTestFolders()) fresh = fresh || before.count(name) == 0;
        if (!fresh) return true;
        Sleep(50);
    }
    return false;
}

std::wstring joined(const std::vector<std::wstring>& names) {
    std::wstring text;
    for (const std::wstring& name : names) text += name + L" ";
    return text;
}

TEST(ProcessTest, SelfTestReportsTheMissingJunctionsInItsExitCodeAndHistory) {
    PM_REQUIRE_TEST_PREFIX();
    // Wine 8 cannot make junctions, so the engine's self-test fails at that step; on Windows it passes.
    struct Case {
        const wchar_t* arguments;
    };
    const Case cases[] = {{L"--self-test"}, {L"--smoke-quit --self-test"}, {L"\"x--self-testy\""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const std::set<std::wstring> foldersBefore = selfTestFolders();
        const size_t before = test::readHistoryLines().size();

        const WatchedRun run = runWatched(c.arguments, 30000);

        ASSERT_TRUE(run.exitCode.has_value()) << "still running";
        EXPECT_EQ(*run.exitCode, 11u);
        EXPECT_TRUE(realWindows(run.windowClasses).empty()) << joined(run.windowClasses);
        const std::vector<JsonValue> records = test::historyObjectsAfter(before);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(jsonGetString(records[0], "kind", ""), "message");
        EXPECT_EQ(jsonGetString(records[0], "message", ""), test::catalogId(L"Самопроверка не пройдена."));
        EXPECT_EQ(jsonGetString(records[0], "text", "?"), "");
        EXPECT_EQ(jsonGetString(records[0], "detail", ""), "Filesystem does not support junction test fixtures.");
        EXPECT_TRUE(noNewSelfTestFolder(foldersBefore)) << "a fixture folder was left behind";
    }
}

TEST(ProcessTest, SmokeQuitShowsTheMainWindowAndExitsByItself) {
    PM_REQUIRE_TEST_PREFIX();
    test::AppProcess process;
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(process.start(L"--smoke-quit"));
    HWND window = test::waitForWindow(process.processId(), L"PelmirtReleaseWindow", 10000);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(test::windowText(window), L"Pelmirt 1.2.0");
    EXPECT_TRUE(test::waitUntilVisible(window, 5000));
    EXPECT_NE(test::findControl(window, 120), nullptr) << "the controls are created";

    // It ends by itself, about a second after it started: never before, and within the wait (how much
    // later depends on the machine's load, so no upper bound is asserted beyond the wait itself).
    const std::optional<DWORD> code = process.waitForExit(10000);
    const ULONGLONG elapsed = GetTickCount64() - start;
    ASSERT_TRUE(code.has_value()) << "still running";
    EXPECT_EQ(*code, 0u);
    EXPECT_GE(elapsed, 900u);
}

// The watcher that finds no window in the self-test does see the windows of a run that has them.
TEST(ProcessTest, WatcherSeesTheMainWindowOfASmokeRun) {
    PM_REQUIRE_TEST_PREFIX();
    const WatchedRun run = runWatched(L"--smoke-quit", 10000);
    ASSERT_TRUE(run.exitCode.has_value());
    EXPECT_EQ(*run.exitCode, 0u);
    const auto& classes = run.windowClasses;
    EXPECT_NE(std::find(classes.begin(), classes.end(), L"PelmirtReleaseWindow"), classes.end()) << joined(classes);
}

// A second start while Pelmirt runs: the running window comes back to the front and the second process
// ends with 0 without a window and without touching the settings, so what the user then changes in the
// running one is what stays. The self-test still runs on its own. `hide` puts the running window away
// first; false when it could not.
void checkSecondStart(const std::function<bool(HWND)>& hide, int themeButton, const char* theme) {
    const std::wstring statePath = appDataDir() + L"\\state.dat";
    saveAppState(AppSettings{});
    test::AppProcess first;
    HWND window = test::startMainWindow(first, L"");
    ASSERT_NE(window, nullptr);
    if (!hide(window)) GTEST_SKIP() << "no notification area: the window is never hidden without an icon";
    const std::string stateBefore = test::readFile(statePath);

    const WatchedRun second = runWatched(L"", 20000);
    ASSERT_TRUE(second.exitCode.has_value()) << "the second start still runs";
    EXPECT_EQ(*second.exitCode, 0u);
    EXPECT_TRUE(realWindows(second.windowClasses).empty()) << joined(second.windowClasses);
    EXPECT_EQ(second.standardError, "") << "a plain later start says nothing";
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(test::readFile(statePath), stateBefore) << "the second start wrote the settings";

    const size_t before = test::readHistoryLines().size();
    const WatchedRun selfTest = runWatched(L"--self-test", 30000);
    ASSERT_TRUE(selfTest.exitCode.has_value());
    EXPECT_EQ(*selfTest.exitCode, 11u) << "Wine cannot make the self-test's junctions";
    EXPECT_EQ(test::historyObjectsAfter(before).size(), 1u) << "the self-test ran";

    PostMessageW(window, WM_COMMAND, MAKEWPARAM(themeButton, 0), 0);  // a theme button of the settings page
    PostMessageW(window, WM_APP + 31, 0, 0);                           // what the tray menu's "Exit" comes to
    const std::optional<DWORD> code = first.waitForExit(10000);
    ASSERT_TRUE(code.has_value()) << "the first instance still runs";
    EXPECT_EQ(*code, 0u);
    EXPECT_EQ(loadAppState().theme, theme);
}

// A smoke run that meets a running Pelmirt opens nothing, so it says on its standard error that it tested
// nothing and ends with 12, never with the 0 of a smoke run that passed; the running one stays.
TEST(ProcessTest, SmokeRunWhileAnotherRunsSaysItTestedNothingAndEndsWith12) {
    PM_REQUIRE_TEST_PREFIX();
    test::AppProcess first;
    HWND window = test::startMainWindow(first, L"");
    ASSERT_NE(window, nullptr);

    const WatchedRun smoke = runWatched(L"--smoke-quit", 20000);
    ASSERT_TRUE(smoke.exitCode.has_value()) << "the smoke run still runs";
    EXPECT_EQ(*smoke.exitCode, 12u);
    EXPECT_TRUE(realWindows(smoke.windowClasses).empty()) << joined(smoke.windowClasses);
    EXPECT_NE(smoke.standardError.find("--smoke-quit tested nothing: Pelmirt is already running"), std::string::npos)
        << smoke.standardError;
    EXPECT_TRUE(IsWindow(window)) << "the running one goes on";

    PostMessageW(window, WM_APP + 31, 0, 0);  // what the tray menu's "Exit" comes to
    const std::optional<DWORD> code = first.waitForExit(10000);
    ASSERT_TRUE(code.has_value()) << "the first instance still runs";
    EXPECT_EQ(*code, 0u);
}

TEST(ProcessTest, SecondStartRestoresTheMinimisedWindowAndLeavesItsSettingsAlone) {
    PM_REQUIRE_TEST_PREFIX();
    checkSecondStart([](HWND window) { return ShowWindow(window, SW_MINIMIZE), IsIconic(window) != FALSE; }, 162,
                     "dark");
}

TEST(ProcessTest, SecondStartBringsTheWindowBackFromTheTray) {
    PM_REQUIRE_TEST_PREFIX();
    checkSecondStart(
        [](HWND window) {
            SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
            return IsWindowVisible(window) == FALSE;
        },
        161, "light");
}

}  // namespace
}  // namespace pm
