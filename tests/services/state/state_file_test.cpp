// The state file for real, in the private prefix's LocalAppData: protected, replaced in one step, and
// read as the defaults whenever it cannot be trusted.
#include "services/state/state_file.h"
#include "tests/services/state/settings_text.h"
#include "tests/support/test_files.h"

#include <windows.h>
#include <dpapi.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace pm {
namespace {

using test::describe;

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string sealed(const std::string& json) {
    const auto bytes = protectForUser(reinterpret_cast<const std::uint8_t*>(json.data()),
                                      static_cast<std::uint32_t>(json.size()), L"Pelmirt user state");
    return std::string(bytes.begin(), bytes.end());
}

// The plain text inside protected bytes, and the description they were protected with.
std::string unsealed(const std::string& bytes, std::wstring& description) {
    DATA_BLOB input{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
    DATA_BLOB output{};
    LPWSTR name = nullptr;
    if (!CryptUnprotectData(&input, &name, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &output)) {
        return "<DPAPI>";
    }
    std::string text(reinterpret_cast<const char*>(output.pbData), output.cbData);
    description = name ? name : L"";
    LocalFree(output.pbData);
    LocalFree(name);
    return text;
}

std::string saveError(const AppSettings& settings) {
    try {
        saveAppState(settings);
        return "";
    } catch (const std::runtime_error& e) {
        return e.what();
    }
}

class StateFile : public ::testing::Test {
protected:
    void SetUp() override {
        PM_REQUIRE_TEST_PREFIX();
        folder_ = test::localAppDataPath() + L"\\Pelmirt";
        file_ = folder_ + L"\\state.dat";
        CreateDirectoryW(folder_.c_str(), nullptr);  // a fresh prefix has none, and some cases write by hand
        clear();
    }
    void TearDown() override {
        if (!folder_.empty()) clear();
    }
    void clear() {
        for (const std::wstring& path : {file_, file_ + L".new"}) {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            test::removeTree(path);
        }
    }
    std::wstring folder_;
    std::wstring file_;
};

TEST_F(StateFile, NoFileGivesDefaultsAndCreatesTheFolder) {
    test::removeTree(folder_);
    ASSERT_FALSE(exists(folder_));
    EXPECT_EQ(describe(loadAppState()), describe(AppSettings{}));
    EXPECT_TRUE(GetFileAttributesW(folder_.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(appDataDir(), folder_);
}

TEST_F(StateFile, SavedSettingsLoadBackAndAreNotPlainText) {
    AppSettings a;
    a.theme = "dark";
    a.palette = "rose";
    a.language = "ar";
    a.close_browsers = true;
    a.widget_enabled = true;
    a.widget_position_saved = true;
    a.skip_locked = false;
    a.widget_x = -100000;
    a.widget_y = 100000;
    a.widget_opacity = 20;
    AppSettings b;
    b.palette = "teal";
    b.widget_opacity = 100;
    for (const AppSettings& settings : {a, b, AppSettings{}}) {
        saveAppState(settings);
        EXPECT_EQ(describe(loadAppState()), describe(settings));
        EXPECT_FALSE(exists(file_ + L".new"));
    }
    // The last one saved was the defaults: inside the protection lies exactly the compact object.
    const std::string stored = test::readFile(file_);
    EXPECT_EQ(stored.find("close_browsers"), std::string::npos);
    std::wstring description;
    EXPECT_EQ(unsealed(stored, description),
              R"({"close_browsers":false,"theme":"system","palette":"emerald","language":"system",)"
              R"("widget_enabled":false,"widget_opacity":100,"widget_position_saved":false,"widget_x":0,)"
              R"("widget_y":0,"skip_locked":true})");
    EXPECT_EQ(description, L"Pelmirt user state");
}

TEST_F(StateFile, UntrustedFilesLoadAsDefaults) {
    const std::string valid = R"({"close_browsers":true,"theme":"dark","palette":"blue","skip_locked":false})";
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"over 262144 bytes", std::string(262145, 'x')},
        {"plain JSON copied in by hand", valid},
        {"protected bytes cut short", sealed(valid).substr(0, 40)},
        {"no close_browsers", sealed(R"({"theme":"dark","palette":"blue"})")},
        {"close_browsers as 0", sealed(R"({"close_browsers":0,"theme":"dark"})")},
        {"close_browsers as a string", sealed(R"({"close_browsers":"false","theme":"dark"})")},
        {"not an object", sealed(R"([true])")},
        {"data after the object", sealed(valid + "x")},
        {"protected text over 131072 bytes",
         sealed(R"({"close_browsers":true,"x":")" + std::string(131072, 'a') + "\"}")},
    };
    for (const auto& c : cases) {
        test::writeFile(file_, c.bytes);
        EXPECT_EQ(describe(loadAppState()), describe(AppSettings{})) << c.what;
    }
}

TEST_F(StateFile, ReadWholeFileTakesUpTo262144BytesWhole) {
    const struct {
        size_t size;
        bool read;
    } cases[] = {{262144, true}, {262145, false}, {1, true}, {0, false}};
    for (const auto& c : cases) {
        std::string bytes(c.size, '\0');
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 256);
        test::writeFile(file_, bytes);
        const std::vector<std::uint8_t> read = readWholeFile(file_);
        EXPECT_EQ(read.size(), c.read ? c.size : 0u) << c.size;
        EXPECT_TRUE(!c.read || std::string(read.begin(), read.end()) == bytes) << c.size << ": other bytes";
    }
}

TEST_F(StateFile, AnUnknownThemeKeepsTheOtherMembers) {
    test::writeFile(file_, sealed(R"({"close_browsers":true,"theme":"purple","palette":"amber","language":"de",)"
                                  R"("widget_enabled":true,"widget_opacity":55,"widget_position_saved":true,)"
                                  R"("widget_x":-3,"widget_y":4,"skip_locked":false})"));
    AppSettings expected;
    expected.close_browsers = true;
    expected.palette = "amber";
    expected.language = "de";
    expected.widget_enabled = true;
    expected.widget_opacity = 55;
    expected.widget_position_saved = true;
    expected.widget_x = -3;
    expected.widget_y = 4;
    expected.skip_locked = false;
    EXPECT_EQ(describe(loadAppState()), describe(expected));
}

TEST_F(StateFile, BlockedSavesThrowAndLeaveTheOldFile) {
    AppSettings changed;
    changed.theme = "light";
    const std::wstring temporary = file_ + L".new";

    // A folder where the temporary file goes: it cannot be created.
    saveAppState(AppSettings{});
    const std::string before = test::readFile(file_);
    test::makeDirectories(temporary);
    EXPECT_EQ(saveError(changed), "cannot save settings");
    EXPECT_EQ(test::readFile(file_), before);
    EXPECT_TRUE(GetFileAttributesW(temporary.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    test::removeTree(temporary);

    // The state file held open by another handle: the replacement fails.
    {
        HANDLE holder = CreateFileW(file_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        EXPECT_EQ(saveError(changed), "cannot commit settings");
        CloseHandle(holder);
    }
    EXPECT_EQ(test::readFile(file_), before);
    EXPECT_FALSE(exists(temporary));

    // A folder named like the state file blocks the move.
    test::removeTree(file_);
    test::makeDirectories(file_ + L"\\kept");
    EXPECT_EQ(saveError(changed), "cannot commit settings");
    EXPECT_FALSE(exists(temporary));
    EXPECT_TRUE(exists(file_ + L"\\kept"));
}

TEST_F(StateFile, AReadOnlyStateFileIsNotReplaced) {
    saveAppState(AppSettings{});
    const std::string before = test::readFile(file_);
    ASSERT_TRUE(SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_READONLY));
    AppSettings changed;
    changed.theme = "light";
    const std::string error = saveError(changed);
    if (error.empty()) {
        GTEST_SKIP() << "this platform replaces a read-only file (Wine 8's MoveFileExW does; Windows refuses)";
    }
    EXPECT_EQ(error, "cannot commit settings");
    EXPECT_EQ(test::readFile(file_), before);
    EXPECT_FALSE(exists(file_ + L".new"));
}

}  // namespace
}  // namespace pm
