// A real top-level window standing in as the main window, the shell state reset around each test,
// and a second thread that finds the dialogs the UI thread shows and works them like a user would.
#pragma once

#include "services/i18n/translate.h"
#include "ui/message_box.h"
#include "ui/shell_state.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace pm::test {

// Messages the stand-in main window understands besides the counted WM_APP_MODAL_DONE.
inline constexpr UINT QueryModalDepth = WM_USER + 1;  // returns modalDepth, read on the UI thread
inline constexpr UINT RunOnUiThread = WM_USER + 2;    // runs the std::function<void()>* in lParam

struct MainWindowFixture : testing::Test {
    void SetUp() override;
    void TearDown() override;
    // Removes and counts the WM_APP_MODAL_DONE messages waiting for the main window.
    int takeModalDoneMessages();

    static inline int modalDoneDispatched = 0;  // counted when a modal loop dispatched one
    static inline std::vector<WPARAM> commands;  // WM_COMMAND wParams received
    static inline std::vector<HWND> customDraws;  // senders of the NM_CUSTOMDRAW received
};

// The visible "#32770" window owned by owner whose static text equals content, or null.
HWND findDialog(HWND owner, const std::wstring& content);
// findDialog, polled for up to five seconds.
HWND waitForDialog(HWND owner, const std::wstring& content);
// Texts of the dialog's push buttons, in child order, and the one that is the default button.
std::vector<std::wstring> buttonTexts(HWND dialog, std::wstring* defaultButton = nullptr);
std::wstring windowText(HWND window);

// Runs work on a second thread for the duration of a scope; joined on destruction.
class Helper {
public:
    explicit Helper(std::function<void()> work) : thread_(std::move(work)) {}
    ~Helper() { thread_.join(); }
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

private:
    std::thread thread_;
};

}  // namespace pm::test
