// Start-up decisions that need no window: the switches, the first window size, the self-test's texts.
#include "app/program_internal.h"
#include "app/self_test_run_internal.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace pm
