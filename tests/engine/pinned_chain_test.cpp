#include "engine/file_info.h"
#include "engine/path_rules.h"
#include "engine/pinned_chain.h"

#include "tests/engine/junction_fixture.h"
#include "tests/engine/link_probe.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

using test::TempFolder;

bool isOpenHandle(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

std::size_t componentCount(const std::wstring& normal) {
    std::size_t count = 0;
    for (std::size_t i = 3; i < normal.size(); ++i)
        if (normal[i] == L'\\') ++count;
    return normal.size() > 3 ? count + 1 : 0;
}

TEST(PinnedChain, DriveRootHoldsOneHandle) {
    std::wstring drive = test::tempPath().substr(0, 3);
    PinnedDirectoryChain chain;
    ASSERT_TRUE(openDirectoryChain(chain, drive)) << GetLastError();
    ASSERT_EQ(chain.handles.size(), 1u);
    EXPECT_TRUE(samePath(chain.finalPath, drive));
    EXPECT_EQ(chain.finalPath.size(), 3u);
    EXPECT_TRUE(chain.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(PinnedChain, OneHandlePerComponentAndTheFolderIdentity) {
    TempFolder temp;
    std::wstring folder = temp / L"One\\Two\\Three";
    test::makeDirectories(folder);
    std::wstring normal;
    ASSERT_TRUE(normalizePath(folder, normal));

    PinnedDirectoryChain chain;
    // Spelled with forward slashes, a trailing separator and the long-path prefix: the same folder.
    std::wstring spelled = L"\\\\?\\" + folder + L"/";
    ASSERT_TRUE(openDirectoryChain(chain, spelled)) << GetLastError();
    EXPECT_EQ(chain.handles.size(), componentCount(normal) + 1);
    EXPECT_TRUE(samePath(chain.finalPath, folder)) << testing::PrintToString(chain.finalPath);
    for (HANDLE h : chain.handles) EXPECT_TRUE(isOpenHandle(h));

    // info describes the last directory: the same file index as a separate open of it.
    HANDLE h = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    BY_HANDLE_FILE_INFORMATION info{};
    ASSERT_TRUE(GetFileInformationByHandle(h, &info));
    CloseHandle(h);
    EXPECT_EQ(fileIndexOf(chain.info), fileIndexOf(info));
    EXPECT_EQ(chain.info.dwVolumeSerialNumber, info.dwVolumeSerialNumber);
}

TEST(PinnedChain, FinalPathHasOnDiskCase) {
    TempFolder temp;
    test::makeDirectories(temp / L"CamelCase");
    PinnedDirectoryChain chain;
    ASSERT_TRUE(openDirectoryChain(chain, temp / L"camelcase"));
    EXPECT_EQ(chain.finalPath.substr(chain.finalPath.size() - 9), L"CamelCase");
}

TEST(PinnedChain, PinnedDirectoriesCannotBeRemovedUntilTheChainEnds) {
    TempFolder temp;
    std::wstring outer = temp / L"outer";
    std::wstring inner = outer + L"\\inner";
    test::makeDirectories(inner);
    {
        PinnedDirectoryChain chain;
        ASSERT_TRUE(openDirectoryChain(chain, inner));
        EXPECT_FALSE(RemoveDirectoryW(inner.c_str()));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_FALSE(MoveFileW(outer.c_str(), (temp / L"moved").c_str()));
    }
    EXPECT_TRUE(RemoveDirectoryW(inner.c_str())) << GetLastError();
}

TEST(PinnedChain, DotDotFailsWith123BeforeOpeningAnything) {
    TempFolder temp;
    PinnedDirectoryChain chain;
    SetLastError(0);
    EXPECT_FALSE(openDirectoryChain(chain, temp.path() + L"\\..\\" + temp.path().substr(3)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_TRUE(chain.handles.empty());
    for (const wchar_t* bad : {L"", L"relative\\x", L"\\\\server\\share\\x", L"C:\\a\\b ", L"C:\\a:b"}) {
        PinnedDirectoryChain other;
        EXPECT_FALSE(openDirectoryChain(other, bad));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME)) << testing::PrintToString(std::wstring(bad));
        EXPECT_TRUE(other.handles.empty());
    }
}

TEST(PinnedChain, MissingFolderFailsWithTheOpenErrorAndKeepsTheHandlesAbove) {
    TempFolder temp;
    std::wstring normal;
    ASSERT_TRUE(normalizePath(temp.path(), normal));
    PinnedDirectoryChain chain;
    EXPECT_FALSE(openDirectoryChain(chain, temp / L"missing\\deeper"));
    DWORD error = GetLastError();
    EXPECT_TRUE(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) << error;
    // Every directory down to the temporary folder stays pinned.
    EXPECT_EQ(chain.handles.size(), componentCount(normal) + 1);
    for (HANDLE h : chain.handles) EXPECT_TRUE(isOpenHandle(h));
    EXPECT_TRUE(samePath(chain.finalPath, temp.path()));
    EXPECT_FALSE(RemoveDirectoryW(temp.path().c_str()));
}

TEST(PinnedChain, AFileOnTheWayFailsWith4393) {
    TempFolder temp;
    test::writeFile(temp / L"file", "x");
    PinnedDirectoryChain chain;
    EXPECT_FALSE(openDirectoryChain(chain, temp / L"file"));
    EXPECT_EQ(GetLastError(), kErrorReparseTagInvalid);
    PinnedDirectoryChain deeper;
    EXPECT_FALSE(openDirectoryChain(deeper, temp / L"file\\below"));
    EXPECT_NE(GetLastError(), 0u);
}

TEST(PinnedChain, OpenPinnedDirectoryAppendsOnlyOnSuccess) {
    TempFolder temp;
    PinnedDirectoryChain chain;
    ASSERT_TRUE(openPinnedDirectory(chain, temp.path()));
    ASSERT_EQ(chain.handles.size(), 1u);
    std::wstring pinned = chain.finalPath;
    EXPECT_FALSE(openPinnedDirectory(chain, temp / L"absent"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(chain.handles.size(), 1u);
    EXPECT_EQ(chain.finalPath, pinned);
}

TEST(PinnedChain, JunctionOnTheWayFailsWith4393AndKeepsTheHandlesAbove) {
    TempFolder temp;
    test::makeDirectories(temp / L"target\\child");
    PM_MAKE_JUNCTION_OR_SKIP(temp / L"junction", temp / L"target");
    std::wstring normal;
    ASSERT_TRUE(normalizePath(temp.path(), normal));
    PinnedDirectoryChain chain;
    EXPECT_FALSE(openDirectoryChain(chain, temp / L"junction\\child"));
    EXPECT_EQ(GetLastError(), kErrorReparseTagInvalid);
    EXPECT_EQ(chain.handles.size(), componentCount(normal) + 1);
    for (HANDLE h : chain.handles) EXPECT_TRUE(isOpenHandle(h));
}

TEST(PinnedChain, DirectoryLinkOnTheWayFailsWith4393) {
    std::wstring links = test::linkFixturesPath();
    if (links.empty()) GTEST_SKIP() << "link fixtures are laid out only by the test runner in the private prefix";
    std::wstring alias = links + L"\\alias";
    ASSERT_TRUE(GetFileAttributesW(alias.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    if (test::openFollowsLink(alias))
        GTEST_SKIP() << "the platform follows the link although it is opened with FILE_FLAG_OPEN_REPARSE_POINT "
                        "(Wine 8 with a Unix symlink), so no open can see it";
    PinnedDirectoryChain chain;
    EXPECT_FALSE(openDirectoryChain(chain, alias + L"\\plain-dir-that-is-never-reached"));
    EXPECT_EQ(GetLastError(), kErrorReparseTagInvalid);
}

TEST(PinnedChain, DestroyingClosesRealHandlesAndPassesOverNone) {
    TempFolder temp;
    HANDLE real = openDirectoryForPinning(temp.path());
    ASSERT_NE(real, INVALID_HANDLE_VALUE);
    {
        PinnedDirectoryChain chain;
        chain.handles = {nullptr, real, INVALID_HANDLE_VALUE};
        PinnedDirectoryChain moved(std::move(chain));
        EXPECT_TRUE(chain.handles.empty());
        EXPECT_FALSE(RemoveDirectoryW(temp.path().c_str()));  // still pinned by the moved-to chain
    }
    EXPECT_FALSE(isOpenHandle(real));
    std::vector<HANDLE> none = {nullptr, INVALID_HANDLE_VALUE};
    closeHandles(none);
    EXPECT_TRUE(none.empty());
    closeHandles(none);
}

TEST(PinnedChain, FinalPathOfHandle) {
    TempFolder temp;
    test::writeFile(temp / L"Name.TXT", "x");
    HANDLE h = CreateFileW((temp / L"name.txt").c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::wstring final = finalPathOfHandle(h);
    CloseHandle(h);
    EXPECT_TRUE(samePath(final, temp / L"Name.TXT"));
    EXPECT_EQ(final.substr(0, 4) == L"\\\\?\\", false);
    EXPECT_EQ(final.substr(final.size() - 8), L"Name.TXT");
    EXPECT_EQ(finalPathOfHandle(INVALID_HANDLE_VALUE), L"");
    EXPECT_EQ(finalPathOfHandle(nullptr), L"");
}

}  // namespace
}  // namespace pm
