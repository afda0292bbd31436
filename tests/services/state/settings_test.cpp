// Settings from and to the state object: every member absent, of the wrong kind or out of range falls
// back alone; what is written reads back unchanged.
#include "services/json/json.h"
#include "services/state/app_settings.h"
#include "tests/services/state/settings_text.h"

#include <gtest/gtest.h>

#include <string>

namespace pm {
namespace {

using test::describe;

AppSettings fromJson(const std::string& object, bool closeBrowsers = true) {
    AppSettings settings;
    settings.theme = "dark";  // must be overwritten by whatever the object says or lacks
    settings.close_browsers = closeBrowsers;
    settingsFromJson(parseJson(object), settings);
    return settings;
}

TEST(SettingsFromJson, EmptyObjectGivesDefaultsAndKeepsCloseBrowsers) {
    AppSettings expected;
    expected.close_browsers = true;
    EXPECT_EQ(describe(fromJson("{}")), describe(expected));
    // Not an object at all: the same.
    EXPECT_EQ(describe(fromJson("[1,2]")), describe(expected));
}

TEST(SettingsFromJson, EachMemberFallsBackOnItsOwn) {
    const struct {
        const char* members;
        const char* expected;  // describe() of the result, close_browsers true
    } cases[] = {
        {R"("theme":"Dark","palette":"teal")", "theme=system palette=teal"},
        {R"("theme":"light","palette":"Teal")", "theme=light palette=emerald"},
        {R"("language":"en-US")", "language=system"},
        {R"("language":"EN")", "language=system"},
        {R"("language":"")", "language=system"},
        {R"("language":"ar","theme":"dark")", "theme=dark palette=emerald language=ar"},
        {R"("widget_opacity":19)", "opacity=100"},
        {R"("widget_opacity":101)", "opacity=100"},
        {R"("widget_opacity":20)", "opacity=20"},
        {R"("widget_opacity":55.0)", "opacity=100"},
        {R"("widget_opacity":"50")", "opacity=100"},
        {R"("widget_opacity":4294967316)", "opacity=100"},  // 2^32 + 20
        {R"("widget_opacity":99999999999999999999)", "opacity=100"},
        {R"("widget_position_saved":true,"widget_x":-100000,"widget_y":100000)", "saved=1 x=-100000 y=100000"},
        {R"("widget_position_saved":true,"widget_x":100001,"widget_y":5)", "saved=0 x=0 y=0"},
        {R"("widget_position_saved":true,"widget_x":5)", "saved=0 x=0 y=0"},
        {R"("widget_position_saved":false,"widget_x":5,"widget_y":6)", "saved=0 x=0 y=0"},
        {R"("widget_position_saved":1,"widget_x":5,"widget_y":6)", "saved=0 x=0 y=0"},
        {R"("widget_enabled":1,"skip_locked":"false")", "widget=0 opacity=100 saved=0 x=0 y=0 skip=1"},
        {R"("widget_enabled":true,"skip_locked":false,"unknown":[1])", "widget=1 opacity=100 saved=0 x=0 y=0 skip=0"},
    };
    for (const auto& c : cases) {
        const std::string got = describe(fromJson(std::string("{") + c.members + "}"));
        EXPECT_NE(got.find(c.expected), std::string::npos) << c.members << "\n  got " << got;
    }
}

TEST(SettingsToJson, DefaultsAndNormalFormWithoutTouchingTheRecord) {
    EXPECT_EQ(settingsToJson(AppSettings{}),
              R"(,"theme":"system","palette":"emerald","language":"system","widget_enabled":false,)"
              R"("widget_opacity":100,"widget_position_saved":false,"widget_x":0,"widget_y":0,"skip_locked":true)");
    AppSettings odd;
    odd.theme = "Dark";
    odd.widget_x = 7;  // not saved: written as 0
    const std::string text = settingsToJson(odd);
    EXPECT_NE(text.find(R"("theme":"system")"), std::string::npos);
    EXPECT_NE(text.find(R"("widget_x":0,)"), std::string::npos);
    EXPECT_EQ(odd.theme, "Dark");
    EXPECT_EQ(odd.widget_x, 7);
}

TEST(SettingsToJson, EveryNormalRecordReadsBack) {
    const char* themes[] = {"system", "light", "dark"};
    const char* palettes[] = {"emerald", "blue", "violet", "amber", "rose", "teal"};
    const char* languages[] = {"system", "ru", "en", "ar", "bn", "zh"};
    int variant = 0;
    for (const char* theme : themes) {
        for (const char* palette : palettes) {
            for (const char* language : languages) {
                AppSettings s;
                s.theme = theme;
                s.palette = palette;
                s.language = language;
                s.widget_enabled = variant % 2 == 0;
                s.skip_locked = variant % 3 == 0;
                s.widget_opacity = 20 + variant % 81;
                s.widget_position_saved = variant % 4 != 0;
                s.widget_x = s.widget_position_saved ? (variant % 2 ? -100000 : 100000 - variant) : 0;
                s.widget_y = s.widget_position_saved ? -variant : 0;
                s.close_browsers = variant % 5 == 0;
                ++variant;
                AppSettings back;
                back.close_browsers = s.close_browsers;
                settingsFromJson(parseJson("{\"close_browsers\":true" + settingsToJson(s) + "}"), back);
                EXPECT_EQ(describe(back), describe(s));
            }
        }
    }
}

TEST(NormalizeSettings, PositionOutOfRangeDropsTheSavedFlag) {
    AppSettings s;
    s.widget_position_saved = true;
    s.widget_x = 5;
    s.widget_y = -100001;
    s.widget_opacity = 0;
    normalizeSettings(s);
    EXPECT_EQ(describe(s), describe(AppSettings{}));
}

}  // namespace
}  // namespace pm
