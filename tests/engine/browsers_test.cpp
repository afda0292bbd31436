#include "engine/browsers.h"
#include "engine/browsers_internal.h"

#include "tests/engine/stand_in_process.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace pm {
namespace {

using test::StandIn;

std::vector<DWORD> browserPids() {
    bool listed = false;
    std::vector<DWORD> pids;
    for (const BrowserProcess& process : findBrowserProcesses(listed)) pids.push_back(process.pid);
    EXPECT_TRUE(listed);
    return pids;
}

TEST(Browsers, NoneRunning) {
    PM_REQUIRE_TEST_PREFIX();
    EXPECT_TRUE(runningBrowserNames().empty());
    EXPECT_TRUE(requestBrowserClose());
}

TEST(Browsers, NamesInFirstSeenOrderEachOnce) {
    PM_REQUIRE_TEST_PREFIX();
    std::vector<std::unique_ptr<StandIn>> running;
    for (const wchar_t* name : {L"chrome.exe", L"msedge.exe", L"CHROME.EXE", L"firefox.exe"}) {
        running.push_back(std::make_unique<StandIn>(name, L"hidden"));
        ASSERT_TRUE(running.back()->started()) << GetLastError();
    }
    std::vector<DWORD> started;
    for (const auto& standIn : running) started.push_back(standIn->pid());
    EXPECT_EQ(browserPids(), started);
    EXPECT_EQ(runningBrowserNames(),
              (std::vector<std::wstring>{L"Google Chrome", L"Microsoft Edge", L"Mozilla Firefox"}));
}

TEST(Browsers, CloseRequestsGoOnlyToVisibleUnownedWindows) {
    PM_REQUIRE_TEST_PREFIX();
    StandIn hidden(L"chrome.exe", L"hidden");
    StandIn owned(L"msedge.exe", L"owned");
    ASSERT_TRUE(hidden.waitForWindows());
    ASSERT_TRUE(owned.waitForWindows());
    EXPECT_FALSE(requestBrowserClose()) << "nothing to post to";
    EXPECT_FALSE(hidden.exitsWithin(300));
    EXPECT_FALSE(owned.exitsWithin(0));

    StandIn visible(L"firefox.exe");
    ASSERT_TRUE(visible.waitForWindows());
    EXPECT_TRUE(requestBrowserClose());
    EXPECT_TRUE(visible.exitsWithin(5000)) << "the stand-in closes its window when asked";
    EXPECT_FALSE(hidden.exitsWithin(0));
    EXPECT_FALSE(owned.exitsWithin(0));
    EXPECT_EQ(runningBrowserNames(), (std::vector<std::wstring>{L"Google Chrome", L"Microsoft Edge"}));
}

}  // namespace
}  // namespace pm
