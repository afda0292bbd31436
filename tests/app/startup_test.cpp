// Start-up decisions: the switches, the first window size, the self-test's texts, and who runs when
// another instance holds the user's name.
#include "app/app_messages.h"
#include "app/program_internal.h"
#include "app/self_test_run_internal.h"
#include "app/shell_globals.h"
#include "app/single_instance.h"
#include "app/single_instance_internal.h"
#include "engine/handle_holder.h"
#include "engine/process_user.h"
#include "ui/shell_state.h"

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace pm {
namespace {

TEST(StartupTest, SwitchesAreSubstringsOfTheRawCommandLine) {
    struct Case {
        const wchar_t* commandLine;
        bool selfTest;
        bool smokeQuit;
    };
    const Case cases[] = {
        {nullptr, false, false},
        {L"", false, false},
        {L"--self-test", true, false},
        {L"--smoke-quit", false, true},
        {L"--smoke-quit --self-test", true, true},
        {L"x--self-testy", true, false},            // inside a longer word
        {L"\"C:\\a b\\--smoke-quit.txt\"", false, true},  // inside a quoted argument
        {L"--Self-Test -self-test --self_test", false, false},
        {L"--smoke", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine ? c.commandLine : L"(null)");
        EXPECT_EQ(commandLineHas(c.commandLine, L"--self-test"), c.selfTest);
        EXPECT_EQ(commandLineHas(c.commandLine, L"--smoke-quit"), c.smokeQuit);
    }
}

TEST(StartupTest, FirstWindowSizeFitsTheWorkArea) {
    struct Case {
        RECT workArea;
        float scale;
        LONG width;
        LONG height;
    };
    const Case cases[] = {
        {{0, 0, 1000, 700}, 1.0f, 976, 676},
        {{0, 0, 3840, 2160}, 1.5f, 1950, 1275},
        {{0, 0, 1920, 1040}, 1.0f, 1300, 850},
        {{100, 50, 1380, 950}, 1.0f, 1256, 850},   // the work area's own size counts, not its right edge
        {{0, 0, 2560, 1400}, 1.25f, 1625, 1063},   // 1062.5 rounds up
    };
    for (const Case& c : cases) {
        const SIZE size = initialMainWindowSize(c.workArea, c.scale);
        EXPECT_EQ(size.cx, c.width) << c.scale;
        EXPECT_EQ(size.cy, c.height) << c.scale;
    }
}

TEST(StartupTest, SelfTestTextsPassTheReaderChecks) {
    const SelfTestTexts& texts = selfTestTexts();
    EXPECT_EQ(texts.document.size(), 61u);
    ASSERT_EQ(texts.invalidTexts.size(), 5u);
    EXPECT_TRUE(jsonChecksPass(texts));
}

TEST(StartupTest, EachBrokenSelfTestCheckFails) {
    struct Case {
        const char* name;
        std::string document;
        std::vector<std::string> invalid;
    };
    const SelfTestTexts& good = selfTestTexts();
    std::vector<std::string> acceptsOne = good.invalidTexts;
    acceptsOne[3] = "[1]";
    const Case cases[] = {
        {"ok false", R"({"ok":false,"n":123,"s":"x"})", good.invalidTexts},
        {"n differs", R"({"ok":true,"n":124,"s":"x"})", good.invalidTexts},
        {"s empty", R"({"ok":true,"n":123,"s":""})", good.invalidTexts},
        {"invalid text accepted", good.document, acceptsOne},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(jsonChecksPass(SelfTestTexts{c.document, c.invalid})) << c.name;
    }
    // Failures of the reader and the accessors reach the caller, which counts them as a failed check.
    const char* throwing[] = {R"({"n":123,"s":"x"})", R"({"ok":1,"n":123,"s":"x"})", R"({"ok":true,"n":1.5,"s":"x"})",
                              R"({"ok":true,"n":123,"s":7})", "{} x"};
    for (const char* document : throwing) {
        EXPECT_ANY_THROW(jsonChecksPass(SelfTestTexts{document, good.invalidTexts})) << document;
    }
}

LRESULT CALLBACK runningMainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP_SHOW_RUNNING) return onAnotherStart();
    return DefWindowProcW(window, message, wParam, lParam);
}

// A hidden main window of this process that answers a later start as the running instance does.
HWND createRunningMainWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = runningMainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PelmirtTestRunningMain";
    RegisterClassW(&windowClass);
    ui::mainWindow = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                     nullptr, nullptr, windowClass.hInstance, nullptr);
    return ui::mainWindow;
}

// A later start against an instance of this process under a name of this test: shown, still being
// created, ending, or gone while the later start waits.
TEST(StartupTest, LaterStartShowsTheRunningInstanceOrTakesOverWhenItIsGone) {
    const std::wstring name = L"Local\\PelmirtTest.Instance." + std::to_wstring(GetCurrentProcessId());
    HWND window = createRunningMainWindow();
    ASSERT_NE(window, nullptr);
    const struct {
        const char* what;
        bool published;
        bool* ending;       // the running instance's flag that it is on its way out, if any
        DWORD goneAfterMs;  // the running instance lets go of the name after this long (0: never)
        StartOutcome outcome;
    } cases[] = {
        {"shown", true, nullptr, 0, StartOutcome::Shown},
        {"still being created", false, nullptr, 0, StartOutcome::NoAnswer},
        {"ending", true, &ui::destroying, 0, StartOutcome::NoAnswer},
        {"ending, then gone", true, &ui::destroying, 300, StartOutcome::Run},
        {"ending once its operation has reported, then gone", true, &exitAfterOperation, 300, StartOutcome::Run},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ShowWindow(window, SW_HIDE);
        if (c.ending) *c.ending = true;
        std::unique_ptr<InstanceClaim> running;
        ASSERT_EQ(claimOrShowRunning(name, running, 0), StartOutcome::Run);
        ASSERT_TRUE(running && running->first());
        EXPECT_EQ(running->record().processId, static_cast<LONG>(GetCurrentProcessId()));
        if (c.published) running->record().window = reinterpret_cast<INT_PTR>(window);
        std::thread leaving;
        if (c.goneAfterMs) {
            leaving = std::thread([&] {
                Sleep(c.goneAfterMs);
                running.reset();
            });
        }

        std::unique_ptr<InstanceClaim> later;
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(claimOrShowRunning(name, later, 1500), c.outcome);
        const ULONGLONG elapsed = GetTickCount64() - start;
        if (leaving.joinable()) leaving.join();
        EXPECT_EQ(later != nullptr, c.outcome == StartOutcome::Run) << "the claim is kept only by the one that runs";
        EXPECT_EQ(IsWindowVisible(window) != FALSE, c.outcome == StartOutcome::Shown);
        if (c.outcome == StartOutcome::NoAnswer) {
            EXPECT_GE(elapsed, 1500u) << "gave up early";
        }
        if (c.ending) *c.ending = false;
    }
    ui::mainWindow = nullptr;
    DestroyWindow(window);
}

// A later start while the main window is in the tray brings back the windows hidden with it.
TEST(StartupTest, LaterStartBringsBackTheWindowsHiddenWithTheMainWindow) {
    const std::wstring name = L"Local\\PelmirtTest.Tray." + std::to_wstring(GetCurrentProcessId());
    HWND window = createRunningMainWindow();
    ASSERT_NE(window, nullptr);
    HWND history = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 100, 100, window, nullptr, nullptr, nullptr);
    ASSERT_NE(history, nullptr);
    ui::hiddenWithMain = {history};
    ui::hiddenToTray = true;
    std::unique_ptr<InstanceClaim> running;
    ASSERT_EQ(claimOrShowRunning(name, running, 0), StartOutcome::Run);
    running->record().window = reinterpret_cast<INT_PTR>(window);

    std::unique_ptr<InstanceClaim> later;
    EXPECT_EQ(claimOrShowRunning(name, later, 1500), StartOutcome::Shown);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsWindowVisible(history)) << "left in the tray";
    EXPECT_FALSE(ui::hiddenToTray);
    ui::hiddenWithMain.clear();
    ui::hiddenToTray = false;
    ui::mainWindow = nullptr;
    DestroyWindow(window);
}

// The section is the user's alone: its access list is protected (nothing inherited) and holds one entry,
// which allows the user's SID.
TEST(StartupTest, SectionIsOpenToItsUserAlone) {
    const std::wstring name = L"Local\\PelmirtTest.Access." + std::to_wstring(GetCurrentProcessId());
    InstanceClaim claim(name);
    ASSERT_TRUE(claim.valid() && claim.first());
    HandleHolder section(OpenFileMappingW(READ_CONTROL, FALSE, name.c_str()));
    ASSERT_TRUE(section.valid()) << GetLastError();
    PACL access = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(section.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &access,
                              nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    const std::unique_ptr<void, decltype(&LocalFree)> held(descriptor, LocalFree);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    ASSERT_NE(access, nullptr) << "no access list: open to everyone";
    ASSERT_EQ(access->AceCount, 1);
    ACCESS_ALLOWED_ACE* entry = nullptr;
    ASSERT_TRUE(GetAce(access, 0, reinterpret_cast<void**>(&entry)));
    EXPECT_EQ(entry->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    std::vector<BYTE> user;
    ASSERT_TRUE(readTokenUser(GetCurrentProcess(), user));
    EXPECT_TRUE(EqualSid(&entry->SidStart, tokenUserSid(user)));
}

// Another account made a section of the user's name first (an administrator may give it any owner) and
// wrote a record that points at a window ready to answer: the start trusts none of it and runs at once,
// so no other account decides whether Pelmirt runs or which window comes to the front.
TEST(StartupTest, SectionOfTheNameThatAnotherAccountOwnsIsNotTrusted) {
    const std::wstring name = L"Local\\PelmirtTest.Foreign." + std::to_wstring(GetCurrentProcessId());
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:SYD:(A;;GA;;;WD)", SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    HandleHolder foreign(CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                            sizeof(InstanceRecord), name.c_str()));
    const DWORD error = GetLastError();
    LocalFree(descriptor);
    if (!foreign.valid() && error == ERROR_INVALID_OWNER) GTEST_SKIP() << "only an administrator can do this";
    ASSERT_TRUE(foreign.valid()) << error;
    const std::unique_ptr<InstanceRecord, decltype(&UnmapViewOfFile)> record(
        static_cast<InstanceRecord*>(MapViewOfFile(foreign.get(), FILE_MAP_WRITE, 0, 0, 0)), UnmapViewOfFile);
    ASSERT_NE(record, nullptr);
    HWND window = createRunningMainWindow();
    ASSERT_NE(window, nullptr);
    record->processId = static_cast<LONG>(GetCurrentProcessId());
    record->window = reinterpret_cast<INT_PTR>(window);

    std::unique_ptr<InstanceClaim> held;
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(claimOrShowRunning(name, held, 1500), StartOutcome::Run);
    EXPECT_LT(GetTickCount64() - start, 1500u) << "waited for another account's instance";
    EXPECT_EQ(held, nullptr) << "holds a name it does not own";
    EXPECT_FALSE(IsWindowVisible(window)) << "asked the window of another account's record";
    ui::mainWindow = nullptr;
    DestroyWindow(window);
}

}  // namespace
}  // namespace pm
