#include "engine/handle_holder.h"
#include "engine/path_rules.h"

#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <string>

namespace pm {
namespace {

struct NormalCase {
    std::wstring input;
    bool ok;
    std::wstring expected;  // when ok
};

TEST(PathRules, NormalizePath) {
    const NormalCase cases[] = {
        {L"C:\\", true, L"C:\\"},
        {L"c:\\", true, L"c:\\"},
        {L"C:/a/b/", true, L"C:\\a\\b"},
        {L"C:\\a\\b\\\\\\", true, L"C:\\a\\b"},
        {L"C:\\\\\\", true, L"C:\\"},
        {L"C://", true, L"C:\\"},
        {L"\\\\?\\C:\\safe\\nested\\file.tmp", true, L"C:\\safe\\nested\\file.tmp"},
        {L"\\\\?\\c:\\", true, L"c:\\"},
        {L"z:\\MiXeD\\Case", true, L"z:\\MiXeD\\Case"},
        {L"C:\\.hidden\\a.b", true, L"C:\\.hidden\\a.b"},
        {L"C:\\a...b\\ x", true, L"C:\\a...b\\ x"},
        {L"C:\\CON\\nul.txt", true, L"C:\\CON\\nul.txt"},  // device names pass
        {L"C:\\\u0416\u0443\u0440\u043d\u0430\u043b", true, L"C:\\\u0416\u0443\u0440\u043d\u0430\u043b"},
        {std::wstring(L"C:\\") + std::wstring(40000, L'a'), true, std::wstring(L"C:\\") + std::wstring(40000, L'a')},
        {L"C:\\safe\\..\\outside\\file.tmp", false, L""},
        {L"C:\\safe\\.\\file.tmp", false, L""},
        {L"C:\\..", false, L""},
        {L"C:\\.", false, L""},
        {L"C:\\safe\\file.tmp:stream", false, L""},
        {L"C:\\a\\\\b", false, L""},
        {L"C:/a//b", false, L""},
        {L"C:\\a \\b", false, L""},
        {L"C:\\a\\b.", false, L""},
        {L"C:\\a.\\b", false, L""},
        {L"C:\\a\\b ", false, L""},
        {L"C:\\a\x01" L"b", false, L""},
        {L"C:\\a\tb", false, L""},
        {L"C:\\a\x1f", false, L""},
        {L"C:\\a*", false, L""},
        {L"C:\\a?", false, L""},
        {L"C:\\a\"b", false, L""},
        {L"C:\\a<b", false, L""},
        {L"C:\\a>b", false, L""},
        {L"C:\\a|b", false, L""},
        {std::wstring(L"C:\\a\0b", 6), false, L""},
        {L"", false, L""},
        {L"C", false, L""},
        {L"C:", false, L""},
        {L"C:a", false, L""},
        {L"C:a\\b", false, L""},
        {L"1:\\a", false, L""},
        {L"\u00c4:\\a", false, L""},
        {L"CC:\\a", false, L""},
        {L"\\a\\b", false, L""},
        {L"\\\\server\\share\\file", false, L""},
        {L"\\\\?\\UNC\\server\\share\\file", false, L""},
        {L"\\\\.\\C:\\a", false, L""},
        {L"\\\\?\\\\\\?\\C:\\a", false, L""},  // the prefix is removed once only
        {L"\\\\?/C:\\a", false, L""},          // a near-prefix is not a prefix
    };
    for (const NormalCase& c : cases) {
        std::wstring out = L"stale";
        bool ok = normalizePath(c.input, out);
        EXPECT_EQ(ok, c.ok) << testing::PrintToString(c.input.substr(0, 60));
        if (ok && c.ok) {
            EXPECT_EQ(out, c.expected) << testing::PrintToString(c.input.substr(0, 60));
        }
    }
}

TEST(PathRules, NormalizeIntoTheInputItself) {
    std::wstring path = L"\\\\?\\C:/a/b/";
    ASSERT_TRUE(normalizePath(path, path));
    EXPECT_EQ(path, L"C:\\a\\b");
}

TEST(PathRules, LongPathPrefix) {
    EXPECT_EQ(toLongPath(L"C:\\a"), L"\\\\?\\C:\\a");
    EXPECT_EQ(toLongPath(L"\\\\?\\C:\\a"), L"\\\\?\\C:\\a");
    EXPECT_EQ(toLongPath(L""), L"\\\\?\\");
    EXPECT_EQ(stripLongPathPrefix(L"\\\\?\\C:\\a"), L"C:\\a");
    EXPECT_EQ(stripLongPathPrefix(L"\\\\?\\"), L"");
    EXPECT_EQ(stripLongPathPrefix(L"\\\\?"), L"\\\\?");
    EXPECT_EQ(stripLongPathPrefix(L"C:\\a"), L"C:\\a");
    EXPECT_EQ(stripLongPathPrefix(L"\\\\.\\C:\\a"), L"\\\\.\\C:\\a");
    EXPECT_EQ(stripLongPathPrefix(L"//?/C:\\a"), L"//?/C:\\a");
    EXPECT_EQ(stripLongPathPrefix(toLongPath(L"C:\\x")), L"C:\\x");
}

struct PairCase {
    std::wstring a;
    std::wstring b;
    bool expected;
};

TEST(PathRules, SamePath) {
    const PairCase cases[] = {
        {L"C:\\Users\\Temp", L"c:\\users\\temp\\", true},
        {L"C:/Users/Temp", L"\\\\?\\C:\\USERS\\TEMP", true},
        {L"C:\\", L"c:\\\\", true},
        {L"C:\\\u0416\u0443\u0440\u043d\u0430\u043b", L"C:\\\u0436\u0443\u0440\u043d\u0430\u043b", true},  // ordinal folding is not ASCII-only
        {L"C:\\a", L"C:\\a\\b", false},
        {L"C:\\a", L"D:\\a", false},
        {L"C:\\a", L"C:\\a ", false},  // fails to normalise
        {L"C:\\a\\..\\a", L"C:\\a", false},
        {L"", L"", false},
        {L"relative", L"relative", false},
    };
    for (const PairCase& c : cases)
        EXPECT_EQ(samePath(c.a, c.b), c.expected) << testing::PrintToString(c.a) << " vs " << testing::PrintToString(c.b);
}

TEST(PathRules, IsPathInside) {
    // {path, root, inside}
    const PairCase cases[] = {
        {L"\\\\?\\C:\\safe\\nested\\file.tmp", L"c:\\safe", true},
        {L"C:\\safe\\file.tmp", L"C:\\safe\\", true},
        {L"C:/safe/a/b/c", L"C:\\SAFE", true},
        {L"C:\\safeOther\\file.tmp", L"C:\\safe", false},
        {L"C:\\safe", L"C:\\safe", false},
        {L"C:\\safe\\", L"c:\\SAFE", false},
        {L"C:\\safe", L"C:\\safe\\file", false},
        {L"C:\\safe\\..\\outside\\file.tmp", L"C:\\safe", false},
        {L"C:\\safe\\file.tmp:stream", L"C:\\safe", false},
        {L"C:\\safe\\file", L"C:\\saf?", false},
        {L"C:\\anything", L"C:\\", true},
        {L"c:\\a\\b", L"C:\\", true},
        {L"C:\\", L"C:\\", false},
        {L"D:\\a", L"C:\\", false},
        {L"\\\\server\\share\\a", L"\\\\server\\share", false},
        {L"C:\\\u0416\u0423\u0420\\x", L"C:\\\u0436\u0443\u0440", true},
    };
    for (const PairCase& c : cases)
        EXPECT_EQ(isPathInside(c.a, c.b), c.expected) << testing::PrintToString(c.a) << " in " << testing::PrintToString(c.b);
}

// The comparisons of texts already in normal form, which the deletion road uses, against the same rules as
// isPathInside: a root is followed by a separator, never by more of a name.
TEST(PathRules, NormalFormComparisons) {
    // {path, root, inside}
    const PairCase inside[] = {
        {L"C:\\a\\b", L"C:\\a", true},
        {L"C:\\ab", L"C:\\a", false},
        {L"C:\\a\\b\\c", L"c:\\A", true},
        {L"C:\\a", L"C:\\a", false},
        {L"C:\\a", L"C:\\a\\b", false},
        {L"C:\\a", L"C:\\", true},
        {L"C:\\", L"C:\\", false},
        {L"D:\\a\\b", L"C:\\a", false},
        {L"C:\\\u0416\u0423\u0420\\x", L"C:\\\u0436\u0443\u0440", true},
    };
    for (const PairCase& c : inside) {
        EXPECT_EQ(isNormalPathInside(c.a, c.b), c.expected) << testing::PrintToString(c.a) << " in " << testing::PrintToString(c.b);
        EXPECT_EQ(isPathInside(c.a, c.b), c.expected) << testing::PrintToString(c.a) << " in " << testing::PrintToString(c.b);
    }
    // {a, b, same}
    const PairCase same[] = {
        {L"C:\\Users\\Temp", L"c:\\USERS\\temp", true},
        {L"C:\\a", L"C:\\ab", false},
        {L"C:\\ab", L"C:\\a", false},
        {L"C:\\a", L"C:\\b", false},
        {L"C:\\", L"c:\\", true},
    };
    for (const PairCase& c : same)
        EXPECT_EQ(sameNormalPath(c.a, c.b), c.expected) << testing::PrintToString(c.a) << " vs " << testing::PrintToString(c.b);
}

TEST(PathRules, IsPathInsideFoldedAgreesOnAscii) {
    const PairCase cases[] = {
        {L"\\\\?\\C:\\safe\\nested\\file.tmp", L"c:\\SAFE", true},
        {L"C:\\safeOther\\file.tmp", L"C:\\safe", false},
        {L"C:\\safe", L"C:\\safe", false},
        {L"C:\\x\\..\\y", L"C:\\", false},
        {L"C:\\x", L"c:\\", true},
        {L"D:\\x", L"C:\\", false},
    };
    for (const PairCase& c : cases) {
        EXPECT_EQ(isPathInsideFolded(c.a, c.b), c.expected) << testing::PrintToString(c.a);
        EXPECT_EQ(isPathInside(c.a, c.b), c.expected) << testing::PrintToString(c.a);
    }
}

TEST(PathRules, EqualsIgnoreCase) {
    EXPECT_TRUE(equalsIgnoreCase(L"", L""));
    EXPECT_TRUE(equalsIgnoreCase(L"Default", L"dEFAULT"));
    EXPECT_TRUE(equalsIgnoreCase(L"Profile ", L"PROFILE "));
    EXPECT_FALSE(equalsIgnoreCase(L"Profile", L"Profile "));
    EXPECT_FALSE(equalsIgnoreCase(L"Default", L"Defaulx"));
    EXPECT_FALSE(equalsIgnoreCase(L"", L"a"));
}

TEST(PathRules, SkippableErrors) {
    for (std::uint32_t e : {2u, 3u, 5u, 32u, 33u}) EXPECT_TRUE(isSkippableError(e)) << e;
    for (std::uint32_t e : {0u, 1u, 4u, 6u, 31u, 34u, 123u, 1224u, 4393u, 0xFFFFFFFFu})
        EXPECT_FALSE(isSkippableError(e)) << e;
}

TEST(PathRules, JoinPathKeepsOneSeparator) {
    EXPECT_EQ(joinPath(L"C:\\", L"x"), L"C:\\x");
    EXPECT_EQ(joinPath(L"C:\\a", L"x"), L"C:\\a\\x");
    EXPECT_EQ(joinPath(L"C:\\a", L"*"), L"C:\\a\\*");
}

TEST(HandleHolder, ClosesOnceAndHandsOn) {
    std::wstring path = test::tempPath();
    auto open = [&] {
        return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    };
    DWORD flags = 0;
    HANDLE raw = open();
    ASSERT_NE(raw, INVALID_HANDLE_VALUE);
    {
        HandleHolder holder(raw);
        EXPECT_TRUE(holder.valid());
        closeHandleHolder(holder);
        EXPECT_EQ(holder.get(), INVALID_HANDLE_VALUE);
        EXPECT_FALSE(GetHandleInformation(raw, &flags));
        closeHandleHolder(holder);  // harmless
    }
    raw = open();
    ASSERT_NE(raw, INVALID_HANDLE_VALUE);
    HANDLE kept = INVALID_HANDLE_VALUE;
    {
        HandleHolder holder(raw);
        HandleHolder moved(std::move(holder));
        EXPECT_FALSE(holder.valid());
        kept = moved.release();
        EXPECT_EQ(moved.get(), INVALID_HANDLE_VALUE);
    }
    EXPECT_TRUE(GetHandleInformation(kept, &flags)) << "a released handle outlives its former holder";
    CloseHandle(kept);
    // reset closes the handle held so far and takes the new one.
    HANDLE first = open();
    HANDLE second = open();
    {
        HandleHolder holder(first);
        holder.reset(second);
        EXPECT_FALSE(GetHandleInformation(first, &flags));
        EXPECT_EQ(holder.get(), second);
    }
    EXPECT_FALSE(GetHandleInformation(second, &flags));
    HandleHolder none(nullptr);
    EXPECT_FALSE(none.valid());
    closeHandleHolder(none);
    EXPECT_EQ(none.get(), INVALID_HANDLE_VALUE);
}

}  // namespace
}  // namespace pm
