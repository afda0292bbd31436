// Exit and hide through the real main window of this process: the exit at once when idle, the question
// while an operation runs and the wait for its report, the forced exit of the smoke timer, requests
// made while a box is open, and hiding to the notification area. A second thread works the dialogs.
#include "app/exit_and_tray.h"
#include "app/large_operations.h"
#include "app/operations.h"
#include "app/worker_posts.h"
#include "services/i18n/translate.h"
#include "tests/app/history_lines.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/notification_area.h"
#include "ui/message_box.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

namespace pm {
namespace {

using test::statePath;
using ExitTest = test::RealMainWindowTest;

// Watches for the dialogs ("#32770") the UI thread opens over the main window and answers each, as a
// user would: the answers in order, then "No" (or OK). `whileFirstOpen` runs here before the first is
// answered. Records the first one's caption and the texts of its children.
class DialogAnswerer {
public:
    DialogAnswerer(HWND owner, std::vector<int> answers, std::function<void()> whileFirstOpen = {})
        : owner_(owner), answers_(std::move(answers)), whileFirstOpen_(std::move(whileFirstOpen)),
          thread_([this] { run(); }) {}
    ~DialogAnswerer() {
        stop_ = true;
        thread_.join();
    }
    std::atomic<int> dialogs{0};
    std::wstring firstTexts;  // caption, then the children's texts; read after the dialog closed

private:
    static std::wstring textOf(HWND window) {
        wchar_t text[512] = {};
        GetWindowTextW(window, text, 512);
        return std::wstring(text) + L"|";
    }
    static BOOL CALLBACK findDialog(HWND window, LPARAM param) {
        auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(param);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32770" || GetWindow(window, GW_OWNER) != found->first) return TRUE;
        if (!IsWindowVisible(window)) return TRUE;
        found->second = window;
        return FALSE;
    }
    void run() {
        while (!stop_) {
            std::pair<HWND, HWND> found{owner_, nullptr};
            EnumWindows(findDialog, reinterpret_cast<LPARAM>(&found));
            HWND dialog = found.second;
            if (!dialog) {
                Sleep(10);
                continue;
            }
            const int index = dialogs++;
            if (index == 0) {
                firstTexts = textOf(dialog);
                EnumChildWindows(dialog, [](HWND child, LPARAM all) {
                    *reinterpret_cast<std::wstring*>(all) += textOf(child);
                    return TRUE;
                }, reinterpret_cast<LPARAM>(&firstTexts));
                if (whileFirstOpen_) whileFirstOpen_();
            }
            const int answer = index < static_cast<int>(answers_.size()) ? answers_[index] : IDNO;
            SendMessageW(dialog, TDM_CLICK_BUTTON, static_cast<WPARAM>(answer), 0);
            while (IsWindow(dialog) && IsWindowVisible(dialog)) Sleep(10);
        }
    }

    HWND owner_;
    std::vector<int> answers_;
    std::function<void()> whileFirstOpen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// An operation that has run: the flags a starter leaves, without a worker.
void pretendOperation(int phase) {
    busy = true;
    operationPhase = phase;
    cancelRequested = false;
    progressText = L"Анализ файлов…";
}

// The operation reports (its completion handler joins and posts WM_APP+31 for a waiting exit).
void operationReports(HWND window) {
    joinWorker();
    if (exitAfterOperation) PostMessageW(window, WM_APP_CONTINUE_EXIT, 0, 0);
}

TEST_F(ExitTest, ExitWithNothingRunningEndsAtOnceWithoutAQuestion) {
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(true), nullptr);
    historyWindows = {createCounting()};
    previewWindows = {createCounting()};
    const std::vector<HWND> secondary = {historyWindows[0], previewWindows[0]};
    DeleteFileW(statePath().c_str());
    {
        DialogAnswerer answerer(window_, {});
        requestExit(false);
        EXPECT_EQ(answerer.dialogs, 0);
    }
    EXPECT_FALSE(IsWindow(window_));
    for (HWND window : secondary) EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(ui::destroying);
    EXPECT_TRUE(pump()) << "WM_QUIT";
    EXPECT_EQ(quitCode, 0u);
    EXPECT_NE(test::readFile(statePath()), "<missing>") << "settings saved on the way out";
    requestExit(false);  // a late request after the end does nothing
}

TEST_F(ExitTest, ExitDuringAnOperationAsksAndWaitsForItsReport) {
    const struct {
        const char* name;
        int answer;
        UINT secondRequest;  // posted while the question is open: another exit, or the smoke timer's forced one
        bool exits;
    } cases[] = {
        {"no", IDNO, 0, false},
        {"no, then a second request", IDNO, WM_APP_CONTINUE_EXIT, false},
        {"no, but the smoke timer fired meanwhile", IDNO, WM_TIMER, true},
        {"yes", IDYES, 0, true},
        {"yes, then a second request", IDYES, WM_APP_CONTINUE_EXIT, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        DeleteFileW(statePath().c_str());
        ASSERT_NE(create(true), nullptr);
        pretendOperation(PhaseScanning);
        const std::wstring question = translate(L"Остановить текущую операцию и закрыть приложение?");
        const HWND window = window_;
        // Sent, not posted: the box's loop has handled the request when the answer is given.
        DialogAnswerer answerer(window_, {c.answer}, [&] {
            if (c.secondRequest) SendMessageW(window, c.secondRequest, TIMER_SMOKE_QUIT, 0);
        });
        requestExit(false);
        EXPECT_EQ(answerer.dialogs, 1);
        EXPECT_EQ(answerer.firstTexts.rfind(L"Pelmirt|", 0), 0u) << answerer.firstTexts;  // the caption
        EXPECT_NE(answerer.firstTexts.find(L"|" + question + L"|"), std::wstring::npos) << answerer.firstTexts;
        EXPECT_FALSE(exitQuestionOpen);
        ASSERT_TRUE(IsWindow(window_));

        if (!c.exits) {
            EXPECT_FALSE(cancelRequested);
            EXPECT_EQ(progressText, L"Анализ файлов…");
            EXPECT_FALSE(exitAfterOperation);
            EXPECT_FALSE(pump());
            EXPECT_TRUE(IsWindow(window_)) << "the request made during the question ran after a No";
            EXPECT_EQ(answerer.dialogs, 1);
            operationReports(window_);
            EXPECT_FALSE(pump());
            EXPECT_TRUE(IsWindow(window_));
        } else {
            EXPECT_TRUE(cancelRequested);
            EXPECT_EQ(progressText, L"Отмена…");
            EXPECT_TRUE(exitAfterOperation);
            EXPECT_FALSE(pump());
            EXPECT_TRUE(IsWindow(window_)) << "closed before the operation reported";
            EXPECT_EQ(answerer.dialogs, 1) << "asked twice";
            operationReports(window_);
            EXPECT_TRUE(pump()) << "WM_QUIT";
            EXPECT_FALSE(IsWindow(window_));
            EXPECT_FALSE(exitAfterOperation);
        }
        EXPECT_FALSE(ui::exitPending);
        TearDown();
    }
}

TEST_F(ExitTest, SmokeTimerDuringACleanUpCancelsWaitsAndExitsWithoutAsking) {
    DeleteFileW(statePath().c_str());
    smokeQuit = true;
    ASSERT_NE(create(true), nullptr);
    pretendOperation(PhaseCleaning);
    DialogAnswerer answerer(window_, {});
    SendMessageW(window_, WM_TIMER, TIMER_SMOKE_QUIT, 0);
    EXPECT_FALSE(KillTimer(window_, TIMER_SMOKE_QUIT)) << "the timer fires once";
    EXPECT_TRUE(cancelRequested);
    EXPECT_TRUE(exitAfterOperation);
    EXPECT_FALSE(pump());
    EXPECT_TRUE(IsWindow(window_)) << "closed before the clean-up reported";

    operationReports(window_);
    EXPECT_TRUE(pump());
    EXPECT_EQ(quitCode, 0u);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(answerer.dialogs, 0);
}

TEST_F(ExitTest, RequestsWhileABoxIsOpenRunOnlyAfterItCloses) {
    enum class After { Hides, Exits, Stays };
    const struct {
        const char* name;
        std::vector<std::pair<UINT, WPARAM>> requests;
        After after;
        bool savedAtOnce;  // the settings are written while the box is still open
    } cases[] = {
        {"close", {{WM_CLOSE, 0}}, After::Hides, false},
        {"exit", {{WM_APP_CONTINUE_EXIT, 0}}, After::Exits, false},
        {"close, then exit: the exit wins", {{WM_CLOSE, 0}, {WM_APP_CONTINUE_EXIT, 0}}, After::Exits, false},
        // The system may end the process before the box is answered: the settings are kept at once.
        {"the session ends", {{WM_ENDSESSION, TRUE}}, After::Exits, true},
        {"the session's end is called off", {{WM_ENDSESSION, FALSE}}, After::Stays, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        DeleteFileW(statePath().c_str());
        ASSERT_NE(create(true), nullptr);
        KillTimer(window_, TIMER_TRAY_RETRY);
        DeleteFileW(statePath().c_str());
        const HWND window = window_;
        std::atomic<bool> stayedWhileOpen{false};
        std::atomic<bool> savedWhileOpen{false};
        {
            // Sent, not posted: the box's loop has handled the requests when the window is looked at.
            DialogAnswerer answerer(window_, {IDOK}, [&] {
                for (const auto& [request, wParam] : c.requests) SendMessageW(window, request, wParam, 0);
                stayedWhileOpen = IsWindow(window) && IsWindowVisible(window);
                savedWhileOpen = test::readFile(statePath()) != "<missing>";
            });
            ui::messageBox(L"Очистка завершена.", MB_ICONINFORMATION);
            EXPECT_EQ(answerer.dialogs, 1);
        }
        EXPECT_TRUE(stayedWhileOpen);
        EXPECT_EQ(savedWhileOpen, c.savedAtOnce);
        ASSERT_TRUE(IsWindow(window_));
        EXPECT_EQ(ui::exitPending, c.after == After::Exits);
        EXPECT_EQ(ui::hidePending, c.after == After::Hides);
        EXPECT_FALSE(KillTimer(window_, TIMER_TRAY_RETRY)) << "a hide was tried while the box was open";

        const bool quit = pump();  // WM_APP+32
        EXPECT_EQ(quit, c.after == After::Exits);
        EXPECT_EQ(IsWindow(window_) == FALSE, c.after == After::Exits);
        if (c.after == After::Hides) {
            EXPECT_FALSE(ui::hidePending);
            if (test::notificationAreaPresent()) {
                EXPECT_FALSE(IsWindowVisible(window_));
                EXPECT_TRUE(ui::hiddenToTray);
            } else {
                // Without a notification area the hide is refused: the window stays, the icon is retried.
                EXPECT_TRUE(IsWindowVisible(window_));
                EXPECT_TRUE(KillTimer(window_, TIMER_TRAY_RETRY)) << "the hide did not run after the box";
            }
        } else if (c.after == After::Stays) {
            EXPECT_TRUE(IsWindowVisible(window_));
            EXPECT_FALSE(forceExit);
        }
        TearDown();
    }
}

// Under the null graphics driver the shell refuses the icon, so the window must stay; on a desktop with a
// notification area (a Wine virtual desktop) it hides with the open windows. Wine shows no balloon for
// NIF_INFO, so only the once-per-run flag can be seen here.
TEST_F(ExitTest, HidingNeedsTheIconAndTakesTheOpenWindowsAlong) {
    const bool icons = test::notificationAreaPresent();
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(true), nullptr);
    previewWindows = {createCounting()};
    historyWindows = {createCounting(), createCounting()};
    ShowWindow(historyWindows[1], SW_HIDE);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        SendMessageW(window_, WM_CLOSE, 0, 0);
        EXPECT_NE(IsWindowVisible(window_), icons);
        EXPECT_EQ(ui::hiddenToTray, icons);
        const std::vector<HWND> hidden = {previewWindows[0], historyWindows[0]};
        EXPECT_EQ(ui::hiddenWithMain, icons ? hidden : std::vector<HWND>());
        EXPECT_EQ(ui::balloonShown, icons);
        ui::restoreMainWindow();
        EXPECT_TRUE(IsWindowVisible(previewWindows[0]));
        EXPECT_FALSE(IsWindowVisible(historyWindows[1])) << "a window hidden before stays hidden";
    }
}

// An exit asked for from the tray while an operation runs: the question must be seen, so the window is back
// on screen before it appears.
TEST_F(ExitTest, ExitFromTheTrayDuringAnOperationShowsTheWindowBeforeAsking) {
    test::RecordingShell shell;
    DeleteFileW(statePath().c_str());
    ASSERT_NE(create(true), nullptr);
    SendMessageW(window_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(ui::hiddenToTray);
    ASSERT_FALSE(IsWindowVisible(window_));
    pretendOperation(PhaseScanning);
    const HWND window = window_;
    std::atomic<bool> shownWhileAsked{false};
    {
        DialogAnswerer answerer(window_, {IDNO}, [&] { shownWhileAsked = IsWindowVisible(window) != FALSE; });
        requestExit(false);
        EXPECT_EQ(answerer.dialogs, 1);
    }
    EXPECT_TRUE(shownWhileAsked);
    EXPECT_FALSE(ui::hiddenToTray);
    EXPECT_TRUE(IsWindow(window_)) << "No keeps the application";
}

// The icon leaves with the main window, so no icon is left behind in the notification area.
TEST_F(ExitTest, ExitDeletesTheIconItAdded) {
    for (bool iconTaken : {true, false}) {
        SCOPED_TRACE(iconTaken);
        SetUp();
        test::RecordingShell shell;
        test::RecordingShell::accepts = iconTaken;
        DeleteFileW(statePath().c_str());
        ASSERT_NE(create(true), nullptr);
        ASSERT_EQ(ui::trayIconAdded, iconTaken);
        const HWND window = window_;
        requestExit(false);
        EXPECT_TRUE(pump()) << "WM_QUIT";
        EXPECT_FALSE(ui::trayIconAdded);
        const auto& calls = test::RecordingShell::calls;
        const auto deletes = std::count_if(calls.begin(), calls.end(), [](const auto& c) { return c.action == NIM_DELETE; });
        EXPECT_EQ(deletes, iconTaken ? 1 : 0) << "only an icon that is there is deleted";
        if (iconTaken) {
            EXPECT_EQ(calls.back().action, static_cast<DWORD>(NIM_DELETE)) << "a call to the shell after the delete";
            EXPECT_EQ(calls.back().window, window);
            EXPECT_EQ(calls.back().id, ui::TrayIconId);
        }
        TearDown();
    }
}

// The session ends while a large-file search or a move to the Recycle Bin runs, or after a worker failed:
// the report is awaited and its record written before WM_ENDSESSION returns, since the system may end the
// process right after.
TEST_F(ExitTest, SessionEndWritesTheRecordOfTheOperationItWaitedFor) {
    test::TempFolder folder;
    for (int i = 0; i < 50; ++i) test::writeFile(folder / (L"f" + std::to_wstring(i)), std::string(2048, 'x'));
    const large::LargeSearchOptions options{folder.path(), 1024, 100};
    std::atomic<bool> noCancel{false};
    const large::LargeSearchResult found = large::searchLargeFiles(options, noCancel, nullptr);
    ASSERT_EQ(found.files.size(), 50u);
    const struct {
        const char* kind;
        int phase;
        std::function<void()> worker;
    } cases[] = {
        {"large_search", PhaseSearchingLarge, [&] { runLargeSearchWorker(nullptr, options, postProgress); }},
        {"recycle", PhaseRecyclingLarge, [&] { runRecycleWorker(nullptr, found, {0, 1}, postProgress); }},
        {"message", PhaseScanning, [] { postWorkerError(new std::wstring(L"Не удалось завершить анализ.")); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        SetUp();
        ASSERT_NE(create(true), nullptr);
        const size_t before = test::readHistoryLines().size();
        pretendOperation(c.phase);
        workerThread = std::thread(c.worker);
        SendMessageW(window_, WM_ENDSESSION, TRUE, 0);
        EXPECT_FALSE(IsWindow(window_)) << "the exit was left for after the session's end";
        const std::vector<JsonValue> records = test::historyObjectsAfter(before);
        EXPECT_EQ(records.size(), 1u);
        for (const JsonValue& record : records) EXPECT_EQ(jsonGetString(record, "kind", ""), c.kind);
        EXPECT_TRUE(pump()) << "WM_QUIT";
        TearDown();
    }
}

}  // namespace
}  // namespace pm
