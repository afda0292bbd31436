#include "engine/large/checked_chain.h"
#include "engine/large/strict_paths.h"

#include "tests/engine/junction_fixture.h"
#include "tests/engine/link_probe.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

namespace pm::large {
namespace {

using test::TempFolder;

std::wstring longestValid(std::size_t length) {
    // C:\ then components of 200 characters separated by backslashes, the last one cut to fit.
    std::wstring path = L"C:\\";
    while (path.size() < length) {
        if (path.back() != L'\\') path += L'\\';
        path += std::wstring(std::min<std::size_t>(200, length - path.size()), L'a');
    }
    return path;
}

struct NormalCase {
    std::wstring input;
    bool ok;
    std::wstring normal;
};

TEST(StrictPaths, NormalizeTable) {
    const std::wstring comp255(255, L'x'), comp256(256, L'x');
    const std::wstring p32767 = longestValid(32767);
    const NormalCase cases[] = {
        {L"\\\\?\\" + p32767, true, p32767},
        {L"\\\\?\\" + longestValid(32768), false, L""},
        {p32767 + L"\\", false, L""},  // the length is taken before trailing backslashes go
        {L"C:\\" + comp255, true, L"C:\\" + comp255},
        {L"C:\\" + comp256, false, L""},
        {L"c:\\", true, L"c:\\"},
        {L"C:\\\\\\", true, L"C:\\"},
        {L"C:", false, L""},
        {L"\\\\?\\UNC\\server\\share\\f", false, L""},
        {L"c:/data/", true, L"c:\\data"},
        {L"C:\\a\\\\b", false, L""},
        {L"C:\\a\\..\\b", false, L""},
        {L"C:\\a \\b", false, L""},
        {L"C:\\a\\f.txt:stream", false, L""},
        {L"C:\\a\\f\x0001", false, L""},
        {L"C:\\con", false, L""},
        {L"C:\\x\\Con.txt", false, L""},
        {L"C:\\x\\aux.tar.gz", false, L""},
        {L"C:\\x\\COM1.log", false, L""},
        {L"C:\\x\\LPT0", false, L""},
        {L"C:\\x\\conin$", false, L""},
        {L"C:\\x\\COM\x00B9", false, L""},
        {L"C:\\x\\lpt\x00B3.txt", false, L""},
        {L"C:\\x\\console", true, L"C:\\x\\console"},
        {L"C:\\x\\COM10", true, L"C:\\x\\COM10"},
        {L"C:\\x\\.hidden", true, L"C:\\x\\.hidden"},
        {L"C:\\x\\nul_file", true, L"C:\\x\\nul_file"},
    };
    for (const NormalCase& c : cases) {
        std::wstring out = L"garbage";
        EXPECT_EQ(normalizePathStrict(c.input, out), c.ok) << testing::PrintToString(c.input.substr(0, 60));
        EXPECT_EQ(out, c.normal) << testing::PrintToString(c.input.substr(0, 60));
    }
}

TEST(StrictPaths, ComparisonsAndContainment) {
    EXPECT_TRUE(samePathStrict(L"C:\\Data\\", L"c:/data"));
    EXPECT_FALSE(samePathStrict(L"C:\\Data", L"C:\\Data2"));
    EXPECT_FALSE(samePathStrict(L"C:\\con", L"C:\\con"));
    EXPECT_FALSE(isPathInsideStrict(L"C:\\Data", L"c:\\data\\"));
    EXPECT_FALSE(isPathInsideStrict(L"C:\\Data2\\x", L"C:\\Data"));
    EXPECT_TRUE(isPathInsideStrict(L"c:\\DATA\\x\\y", L"C:\\Data"));
    EXPECT_TRUE(isPathInsideStrict(L"D:\\anything", L"D:\\"));
    EXPECT_FALSE(isPathInsideStrict(L"D:\\", L"D:\\"));
    EXPECT_FALSE(isPathInsideStrict(L"C:\\Data\\..\\x", L"C:\\Data"));
    EXPECT_EQ(joinPath(L"C:\\", L"a"), L"C:\\a");
    EXPECT_EQ(joinPath(L"C:\\x", L"a"), L"C:\\x\\a");
}

TEST(StrictPaths, ProtectedFolders) {
    EXPECT_TRUE(isProtectedFolderName(L"$Recycle.Bin"));
    EXPECT_TRUE(isProtectedFolderName(L"recycled"));
    EXPECT_FALSE(isProtectedFolderName(L"recycler.old"));
    EXPECT_TRUE(hasProtectedComponent(L"D:\\$Recycle.Bin\\S-1-5\\$R1.bin"));
    EXPECT_TRUE(hasProtectedComponent(L"D:\\x\\System Volume Information"));
    EXPECT_TRUE(hasProtectedComponent(L"D:\\x\\aux"));  // does not normalise
    EXPECT_FALSE(hasProtectedComponent(L"D:\\"));
    EXPECT_FALSE(hasProtectedComponent(L"D:\\recycler.old\\f"));
}

TEST(CheckedChain, CancelSeenBeforeEveryDirectory) {
    TempFolder temp;
    std::atomic<bool> cancel{true};
    PinnedDirectoryChain chain;
    EXPECT_FALSE(openPinnedDirectoryChecked(chain, temp.path(), cancel));
    EXPECT_EQ(GetLastError(), ERROR_CANCELLED);
    EXPECT_TRUE(chain.handles.empty());

    // Raised while the chain is being pinned: the chain stops before the next directory.
    cancel = false;
    PinnedDirectoryChain partial;
    ASSERT_TRUE(openPinnedDirectoryChecked(partial, temp.path().substr(0, 3), cancel));
    cancel = true;
    EXPECT_FALSE(openDirectoryChainChecked(partial, temp.path(), cancel));
    EXPECT_EQ(GetLastError(), ERROR_CANCELLED);
    EXPECT_EQ(partial.handles.size(), 1u);
}

TEST(CheckedChain, RefusalsAndTheirCodes) {
    TempFolder temp;
    test::writeFile(temp / L"file", "x");
    std::atomic<bool> cancel{false};
    struct Case {
        std::wstring path;
        DWORD error;
    } cases[] = {
        {temp / L"missing\\deeper", ERROR_FILE_NOT_FOUND},
        {temp / L"file", 4393},  // not a directory
        {temp / L"aux", ERROR_INVALID_NAME},
        {L"relative\\x", ERROR_INVALID_NAME},
    };
    for (const Case& c : cases) {
        PinnedDirectoryChain chain;
        EXPECT_FALSE(openDirectoryChainChecked(chain, c.path, cancel));
        DWORD error = GetLastError();
        if (c.error == ERROR_FILE_NOT_FOUND)
            EXPECT_TRUE(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) << error;
        else
            EXPECT_EQ(error, c.error) << testing::PrintToString(c.path);
    }
}

TEST(CheckedChain, ALinkOnTheWayIsRefused) {
    TempFolder temp;
    test::makeDirectories(temp / L"target");
    std::wstring through;
    DWORD refused = test::junctionRefusal(temp / L"junction", temp / L"target");
    if (refused == 0) {
        through = temp / L"junction";
    } else {
        // Wine has no junctions; the runner's Unix symlink to a folder stands in for one.
        std::wstring links = test::linkFixturesPath();
        if (links.empty()) GTEST_SKIP() << "no junctions (error " << refused << ") and no link fixtures";
        through = links + L"\\alias\\inner";
    }
    std::atomic<bool> cancel{false};
    PinnedDirectoryChain chain;
    EXPECT_FALSE(openDirectoryChainChecked(chain, through, cancel));
    DWORD error = GetLastError();
    // A real junction is a reparse point (4393); Wine follows its symlink, whose final path then differs (123).
    EXPECT_EQ(error, test::openFollowsLink(through.substr(0, through.rfind(L'\\'))) ? DWORD{ERROR_INVALID_NAME} : DWORD{4393});
}

}  // namespace
}  // namespace pm::large
