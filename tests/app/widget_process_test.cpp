// The desktop widget of a running pelmirt.exe, driven from this second process as a user would: it
// opens from the saved setting, its hide button and Escape switch the setting off, and its scan button
// runs a scan to the end.
#include "services/state/state_file.h"
#include "tests/app/history_lines.h"
#include "tests/support/app_driver.h"
#include "tests/support/test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace pm {
namespace {

constexpr DWORD StartMs = 15000;

// The click's notification, as the main window's button sends it (whichever page is showing).
bool command(HWND main, int id) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                               reinterpret_cast<LPARAM>(test::findControl(main, id)), SMTO_ABORTIFHUNG, 5000,
                               &result) != 0;
}

bool waitUntilGone(HWND window, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (IsWindow(window)) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
    return true;
}

class WidgetProcessTest : public testing::Test {
protected:
    // pelmirt.exe started with the widget setting as given; its main window, or null.
    HWND start(bool widgetOn) {
        AppSettings settings;
        settings.widget_enabled = widgetOn;
        saveAppState(settings);
        if (!process_.start(L"")) {
            ADD_FAILURE() << "pelmirt.exe did not start: error " << GetLastError();
            return nullptr;
        }
        HWND window = test::waitForWindow(process_.processId(), L"PelmirtReleaseWindow", StartMs);
        if (!window) ADD_FAILURE() << "no main window; the process: " << process_.state();
        return window;
    }
    // The widget once visible, or null (saying which step failed, so a rare failure can be told apart).
    HWND visibleWidget(DWORD timeoutMs = StartMs) {
        HWND widget = test::waitForWindow(process_.processId(), L"PelmirtDesktopWidget", timeoutMs);
        if (!widget) ADD_FAILURE() << "no widget window";
        else if (!test::waitUntilVisible(widget, timeoutMs))
            ADD_FAILURE() << (IsWindow(widget) ? "the widget never became visible" : "the widget was destroyed before it showed");
        return widget && IsWindowVisible(widget) ? widget : nullptr;
    }
    HWND startWithWidget() { return start(true) ? visibleWidget() : nullptr; }

    test::AppProcess process_;
};

TEST_F(WidgetProcessTest, HideButtonClosesTheWidgetAndSavesTheSetting) {
    PM_REQUIRE_TEST_PREFIX();
    HWND widget = startWithWidget();
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(test::windowText(widget), L"Pelmirt 1.2.0");
    for (const int id : {9101, 9102, 9103}) EXPECT_NE(test::findControl(widget, id), nullptr) << id;

    ASSERT_TRUE(test::clickControl(widget, 9102));
    EXPECT_TRUE(waitUntilGone(widget, 5000));
    EXPECT_FALSE(loadAppState().widget_enabled);
}

TEST_F(WidgetProcessTest, EscapeInTheWidgetClosesIt) {
    PM_REQUIRE_TEST_PREFIX();
    HWND widget = startWithWidget();
    ASSERT_NE(widget, nullptr);
    // Posted, so the key goes through the program's message loop as a typed key would.
    ASSERT_TRUE(PostMessageW(test::findControl(widget, 9101), WM_KEYDOWN, VK_ESCAPE, 0));
    EXPECT_TRUE(waitUntilGone(widget, 5000));
    EXPECT_FALSE(loadAppState().widget_enabled);
}

TEST_F(WidgetProcessTest, StartScanOnTheWidgetEndsInTheHistory) {
    PM_REQUIRE_TEST_PREFIX();
    const size_t before = test::readHistoryLines().size();
    HWND widget = startWithWidget();
    ASSERT_NE(widget, nullptr);
    ASSERT_TRUE(test::clickControl(widget, 9103));

    bool scanned = false;
    for (ULONGLONG deadline = GetTickCount64() + 60000; !scanned && GetTickCount64() < deadline; Sleep(50)) {
        for (const JsonValue& record : test::historyObjectsAfter(before)) {
            if (jsonGetString(record, "kind", "") == "scan") scanned = true;
        }
    }
    EXPECT_TRUE(scanned) << "a scan record in the history";
}

TEST_F(WidgetProcessTest, ToggleInTheMainWindowCreatesAndDestroysTheWidget) {
    PM_REQUIRE_TEST_PREFIX();
    HWND main = start(false);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(test::waitForWindow(process_.processId(), L"PelmirtDesktopWidget", 300), nullptr);

    ASSERT_TRUE(command(main, 139));
    HWND widget = visibleWidget(5000);
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(loadAppState().widget_enabled);

    ASSERT_TRUE(command(main, 139));
    EXPECT_TRUE(waitUntilGone(widget, 5000));
    EXPECT_FALSE(loadAppState().widget_enabled);
}

}  // namespace
}  // namespace pm
