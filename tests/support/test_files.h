// Fixture helpers: real folders and files on the real file system of the test machine.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace pm::test {

// True only inside the private Wine prefix that the test runner creates (it leaves a marker file there).
// Tests that write under LocalAppData or the Windows folder refuse to run anywhere else.
bool inPrivateTestPrefix();

// Skips the current test, with the reason, unless it runs inside the private test prefix.
#define PM_REQUIRE_TEST_PREFIX()                                                                   \
    do {                                                                                           \
        if (!::pm::test::inPrivateTestPrefix())                                                    \
            GTEST_SKIP() << "refusing to touch system folders outside the private test prefix";    \
    } while (0)

// True when Wine's Recycle Bin (the XDG trash of $XDG_DATA_HOME) is the test runner's own: HOME and
// XDG_DATA_HOME (as Wine hands them on) lie in the folder that also holds the Wine prefix. Checked before any test touches the bin.
bool recycleBinIsPrivate();

// Tests that fill or empty the Recycle Bin: only in the private prefix, and there only with the private trash.
#define PM_REQUIRE_PRIVATE_RECYCLE_BIN()                                                            \
    do {                                                                                           \
        PM_REQUIRE_TEST_PREFIX();                                                                  \
        ASSERT_TRUE(::pm::test::recycleBinIsPrivate())                                             \
            << "HOME and XDG_DATA_HOME must be the runner's private folders before the bin is touched"; \
    } while (0)

// A uniquely named folder, removed with everything below it on destruction.
// Removal never descends into a reparse point: the link itself is removed, not what it points to.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& parent = std::wstring());
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

std::wstring tempPath();                 // GetTempPathW without the trailing backslash
std::wstring localAppDataPath();         // the known folder LocalAppData
void makeDirectories(const std::wstring& path);  // every missing folder of a path
void writeFile(const std::wstring& path, const std::string& bytes);
// The whole file, read while others may have it open; "<missing>" when it cannot be opened.
std::string readFile(const std::wstring& path);
bool setLastWriteTime(const std::wstring& path, std::uint64_t fileTime);
std::uint64_t nowFileTime();
void removeTree(const std::wstring& path);

inline constexpr std::uint64_t kHour = 36'000'000'000ULL;  // one hour in 100 ns units

}  // namespace pm::test

namespace pm::test {

// Link fixtures that the test runner lays out in the private prefix (wine-prefix.sh), as real symbolic links:
//   outside\file.bin            a plain file
//   scanned\plain.bin           a plain file
//   scanned\inner\deep.bin      a plain file in a plain folder
//   scanned\dir-link   -> ..\outside
//   scanned\inner-link -> inner
//   scanned\file-link  -> ..\outside\file.bin
//   alias              -> scanned
//   moved\inner\moved.bin a plain file
//   moved\was-here     -> inner\moved.bin
// Read them, never delete or write through them. Empty when the fixtures are absent.
std::wstring linkFixturesPath();
// A private copy of the same fixtures for one test that tries to delete or move through a link, so that a
// broken check damages that copy alone: "delete-root-or-file", "delete-moved", "delete-below-root",
// "recycle-folder-link" (the runner copies them afresh on every start). Empty when absent.
std::wstring privateLinkFixturesPath(const std::wstring& set);

// C:\pelmirt-fixtures\case-only, laid out by the test runner from the Unix side: two empty folders "Sub" and
// "sub" whose names differ only in case, each found under its own name. Tests make and delete files in them,
// never the folders themselves (under Wine neither can be made again from the Windows side). Empty when absent
// or when the file system takes both names for one folder.
std::wstring caseOnlyFoldersPath();

}  // namespace pm::test
