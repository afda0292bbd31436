// The theme against the prefix's own user settings: the app theme value in the registry and client-area
// animation. These change per-user settings, so they run one at a time (and restore what they found).
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/theme_internal.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace pm::ui;

constexpr const wchar_t* PersonalizeKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// Saves the Personalize key's state and puts it back afterwards.
class PersonalizeScope {
public:
    PersonalizeScope() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, PersonalizeKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            keyExisted_ = true;
            DWORD value = 0, size = sizeof(value);
            if (RegQueryValueExW(key, L"AppsUseLightTheme", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
                ERROR_SUCCESS)
                value_ = value;
            RegCloseKey(key);
        }
    }
    ~PersonalizeScope() {
        if (!keyExisted_) {
            RegDeleteKeyW(HKEY_CURRENT_USER, PersonalizeKey);
            return;
        }
        if (value_) set(*value_);
        else removeValue();
    }
    static void set(DWORD value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, PersonalizeKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"AppsUseLightTheme", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(key);
    }
    static void removeValue() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, PersonalizeKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, L"AppsUseLightTheme");
            RegCloseKey(key);
        }
    }

private:
    bool keyExisted_ = false;
    std::optional<DWORD> value_;
};

TEST(SystemTheme, AppsUseLightThemeZeroAloneMeansDark) {
    PersonalizeScope scope;
    PersonalizeScope::set(0);
    EXPECT_TRUE(detail::systemAppsUseDark());
    EXPECT_TRUE(detail::themeIsDark("system"));
    EXPECT_FALSE(detail::themeIsDark("light"));
    PersonalizeScope::set(1);
    EXPECT_FALSE(detail::themeIsDark("system"));
    EXPECT_TRUE(detail::themeIsDark("dark"));
    PersonalizeScope::removeValue();
    EXPECT_FALSE(detail::themeIsDark("system"));
    RegDeleteKeyW(HKEY_CURRENT_USER, PersonalizeKey);
    EXPECT_FALSE(detail::themeIsDark("system"));
}

TEST(SystemTheme, ApplyThemeFollowsTheSystemSetting) {
    PersonalizeScope scope;
    PersonalizeScope::set(0);
    currentSettings.theme = "system";
    applyTheme();
    EXPECT_TRUE(theme.dark);
    EXPECT_EQ(theme.background, 0xFF0D141Au);
    PersonalizeScope::set(1);
    applyTheme();
    EXPECT_FALSE(theme.dark);
    EXPECT_EQ(theme.background, 0xFFF4F7F9u);
    deleteThemeBrushes();
}

TEST(SystemTheme, ClientAreaAnimationOffReducesMotion) {
    BOOL was = TRUE;
    SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &was, 0);
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(FALSE)), 0));
    applyTheme();
    const bool reducedWhenOff = theme.reduceMotion;
    SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(TRUE)), 0);
    applyTheme();
    const bool reducedWhenOn = theme.reduceMotion;
    SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(was)), 0);
    deleteThemeBrushes();
    EXPECT_TRUE(reducedWhenOff);
    EXPECT_FALSE(reducedWhenOn);
}

}  // namespace
