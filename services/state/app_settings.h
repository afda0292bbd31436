// The user's settings: the record, its defaults, its normal form and its members in the state file.
#pragma once

#include "services/json/json.h"

#include <cstdint>
#include <string>

namespace pm {

struct AppSettings {
    std::string theme = "system";
    std::string palette = "emerald";
    std::string language = "system";
    bool close_browsers = false;
    bool widget_enabled = false;
    bool widget_position_saved = false;
    bool skip_locked = true;
    int32_t widget_x = 0;
    int32_t widget_y = 0;
    int32_t widget_opacity = 100;
};

// Brings every field into its normal form. Never fails.
void normalizeSettings(AppSettings& settings);

// Overwrites every field but close_browsers from the state object, then normalises. Never fails.
void settingsFromJson(const JsonValue& state, AppSettings& settings);

// The settings members as a fragment that starts with a comma and has no braces.
std::string settingsToJson(const AppSettings& settings);

}  // namespace pm
