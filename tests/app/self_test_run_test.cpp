// The self-test run with a broken JSON check, through its seam: the verdict still reaches the history.
#include "app/self_test_run_internal.h"
#include "tests/app/history_lines.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace pm {
namespace {

int engineCalls = 0;

bool engineThatMustNotRun(std::wstring& message) {
    ++engineCalls;
    message = L"engine ran";
    return true;
}

bool engineThatFails(std::wstring& message) {
    ++engineCalls;
    message = L"Cannot write isolated test files.";
    return false;
}

TEST(SelfTestRunTest, FailedJsonCheckRecordsTheVerdictWithAnEmptyDetail) {
    PM_REQUIRE_TEST_PREFIX();
    SelfTestTexts texts = selfTestTexts();
    texts.invalidTexts[0] = "{\"x\":1}";  // an invalid text that the reader accepts
    const size_t before = test::readHistoryLines().size();
    engineCalls = 0;

    EXPECT_EQ(runSelfTestWith(texts, &engineThatMustNotRun), 11);

    EXPECT_EQ(engineCalls, 0) << "the first failing step skips the rest";
    const std::vector<JsonValue> records = test::historyObjectsAfter(before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(jsonGetString(records[0], "kind", ""), "message");
    EXPECT_EQ(jsonGetString(records[0], "message", ""), test::catalogId(L"Самопроверка не пройдена."));
    EXPECT_EQ(jsonGetString(records[0], "detail", "?"), "");
}

TEST(SelfTestRunTest, EngineVerdictBecomesTheDetail) {
    PM_REQUIRE_TEST_PREFIX();
    const size_t before = test::readHistoryLines().size();
    engineCalls = 0;
    EXPECT_EQ(runSelfTestWith(selfTestTexts(), &engineThatFails), 11);
    EXPECT_EQ(engineCalls, 1);
    const std::vector<JsonValue> records = test::historyObjectsAfter(before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(jsonGetString(records[0], "message", ""), test::catalogId(L"Самопроверка не пройдена."));
    EXPECT_EQ(jsonGetString(records[0], "detail", ""), "Cannot write isolated test files.");
}

bool engineThatThrows(std::wstring& message) {
    ++engineCalls;
    message = L"half done";
    throw std::runtime_error("fixture folder vanished");
}

TEST(SelfTestRunTest, EngineCheckThatThrowsFailsTheRun) {
    PM_REQUIRE_TEST_PREFIX();
    const size_t before = test::readHistoryLines().size();
    engineCalls = 0;
    EXPECT_EQ(runSelfTestWith(selfTestTexts(), &engineThatThrows), 11);
    EXPECT_EQ(engineCalls, 1);
    const std::vector<JsonValue> records = test::historyObjectsAfter(before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(jsonGetString(records[0], "message", ""), test::catalogId(L"Самопроверка не пройдена."));
}

TEST(SelfTestRunTest, PassedRunRecordsThePassedText) {
    PM_REQUIRE_TEST_PREFIX();
    const size_t before = test::readHistoryLines().size();
    EXPECT_EQ(runSelfTestWith(selfTestTexts(), [](std::wstring&) { return true; }), 0);
    const std::vector<JsonValue> records = test::historyObjectsAfter(before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(jsonGetString(records[0], "message", ""), test::catalogId(L"Самопроверка пройдена."));
    EXPECT_EQ(jsonGetString(records[0], "detail", "?"), "");
}

}  // namespace
}  // namespace pm
