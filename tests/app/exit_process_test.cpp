// An exit during a real scan of pelmirt.exe, driven from outside as the tray menu's "Exit" would: the
// question, then either the wait for the scan's report (Yes) or nothing at all (No).
#include "tests/app/history_lines.h"
#include "tests/support/app_driver.h"
#include "tests/support/test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pm {
namespace {

constexpr UINT ExitRequest = WM_APP + 31;  // what the tray menu's "Exit" comes down to

// Enough aged files in the scanned temporary folder (each is opened and measured) that the scan outlasts
// the question and its answer.
void layOutTree(const test::TempFolder& tree) {
    const std::uint64_t aged = test::nowFileTime() - 48 * test::kHour;
    for (int file = 0; file < 1000; ++file) {
        const std::wstring path = tree / (std::to_wstring(file) + L".tmp");
        test::writeFile(path, "x");
        test::setLastWriteTime(path, aged);
    }
}

TEST(ExitProcessTest, ExitDuringAScanAsksAndEndsOnlyAfterTheScanReported) {
    PM_REQUIRE_TEST_PREFIX();
    test::makeDirectories(test::localAppDataPath() + L"\\Temp");
    test::TempFolder tree(test::localAppDataPath() + L"\\Temp");
    layOutTree(tree);
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        const size_t before = test::readHistoryLines().size();
        test::AppProcess process;
        HWND window = test::startMainWindow(process, L"");
        ASSERT_NE(window, nullptr);
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(120, 0), 0);  // "Start scan"
        PostMessageW(window, ExitRequest, 0, 0);

        HWND question = test::waitForDialog(window, 5000);
        ASSERT_NE(question, nullptr) << "no question: the scan was over before the exit was asked for";
        EXPECT_EQ(test::windowText(question), L"Pelmirt");
        ASSERT_TRUE(test::historyObjectsAfter(before).empty()) << "the scan reported before the answer";
        ASSERT_TRUE(test::pressTaskDialogButton(question, answer));

        if (answer == IDYES) {
            const std::optional<DWORD> code = process.waitForExit(30000);
            ASSERT_TRUE(code.has_value()) << "still running";
            EXPECT_EQ(*code, 0u);
        } else {
            for (int i = 0; i < 300 && test::historyObjectsAfter(before).empty(); ++i) Sleep(100);
            EXPECT_FALSE(process.waitForExit(300).has_value()) << "ended after No";
        }
        // Either way the scan reported and the history has its record, cancelled only after Yes.
        const std::vector<JsonValue> records = test::historyObjectsAfter(before);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(jsonGetString(records[0], "kind", ""), "scan");
        EXPECT_EQ(jsonGetBool(records[0], "cancelled", answer != IDYES), answer == IDYES);
    }
}

}  // namespace
}  // namespace pm
