#include "services/state/app_settings.h"

#include "services/i18n/language.h"

#include <initializer_list>
#include <optional>

namespace pm {

namespace {

constexpr std::int64_t MinOpacity = 20;
constexpr std::int64_t MaxOpacity = 100;
constexpr std::int64_t PositionLimit = 100000;

bool isOneOf(const std::string& value, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (value == name) return true;
    }
    return false;
}

// The member's integer when it is one and lies in [low, high]; any failure of the lookup or the
// conversion counts as absent.
std::optional<std::int64_t> integerMember(const JsonValue& object, const char* key, std::int64_t low,
                                          std::int64_t high) {
    try {
        const std::int64_t value = object.at(key).asInt64();
        if (value >= low && value <= high) return value;
    } catch (...) {
    }
    return std::nullopt;
}

const char* boolText(bool value) {
    return value ? "true" : "false";
}

}  // namespace

void normalizeSettings(AppSettings& settings) {
    if (!isOneOf(settings.theme, {"system", "light", "dark"})) settings.theme = "system";
    if (!isOneOf(settings.palette, {"emerald", "blue", "violet", "amber", "rose", "teal"})) {
        settings.palette = "emerald";
    }
    if (!isValidLanguageSetting(settings.language)) settings.language = "system";
    if (settings.widget_opacity < MinOpacity || settings.widget_opacity > MaxOpacity) settings.widget_opacity = 100;
    const bool inRange = settings.widget_x >= -PositionLimit && settings.widget_x <= PositionLimit &&
                         settings.widget_y >= -PositionLimit && settings.widget_y <= PositionLimit;
    if (!inRange) settings.widget_position_saved = false;
    if (!settings.widget_position_saved) {
        settings.widget_x = 0;
        settings.widget_y = 0;
    }
}

void settingsFromJson(const JsonValue& state, AppSettings& settings) {
    settings.theme = jsonGetString(state, "theme", "system");
    settings.palette = jsonGetString(state, "palette", "emerald");
    settings.language = jsonGetString(state, "language", "system");
    settings.widget_enabled = jsonGetBool(state, "widget_enabled", false);
    settings.widget_opacity =
        static_cast<std::int32_t>(integerMember(state, "widget_opacity", MinOpacity, MaxOpacity).value_or(100));
    settings.skip_locked = jsonGetBool(state, "skip_locked", true);
    const bool saved = jsonGetBool(state, "widget_position_saved", false);
    const auto x = integerMember(state, "widget_x", -PositionLimit, PositionLimit);
    const auto y = integerMember(state, "widget_y", -PositionLimit, PositionLimit);
    if (saved && x && y) {
        settings.widget_position_saved = true;
        settings.widget_x = static_cast<std::int32_t>(*x);
        settings.widget_y = static_cast<std::int32_t>(*y);
    } else {
        settings.widget_position_saved = false;
        settings.widget_x = 0;
        settings.widget_y = 0;
    }
    normalizeSettings(settings);
}

std::string settingsToJson(const AppSettings& settings) {
    AppSettings copy = settings;
    normalizeSettings(copy);
    std::string out;
    out += ",\"theme\":" + jsonQuote(copy.theme);
    out += ",\"palette\":" + jsonQuote(copy.palette);
    out += ",\"language\":" + jsonQuote(copy.language);
    out += ",\"widget_enabled\":";
    out += boolText(copy.widget_enabled);
    out += ",\"widget_opacity\":" + std::to_string(copy.widget_opacity);
    out += ",\"widget_position_saved\":";
    out += boolText(copy.widget_position_saved);
    out += ",\"widget_x\":" + std::to_string(copy.widget_x);
    out += ",\"widget_y\":" + std::to_string(copy.widget_y);
    out += ",\"skip_locked\":";
    out += boolText(copy.skip_locked);
    return out;
}

}  // namespace pm
