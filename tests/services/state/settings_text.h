// Every field of a settings record in one line, for comparisons that name what differs.
#pragma once

#include "services/state/app_settings.h"

#include <string>

namespace pm::test {

inline std::string describe(const AppSettings& s) {
    return "theme=" + s.theme + " palette=" + s.palette + " language=" + s.language +
           " close=" + std::to_string(s.close_browsers) + " widget=" + std::to_string(s.widget_enabled) +
           " opacity=" + std::to_string(s.widget_opacity) + " saved=" + std::to_string(s.widget_position_saved) +
           " x=" + std::to_string(s.widget_x) + " y=" + std::to_string(s.widget_y) +
           " skip=" + std::to_string(s.skip_locked);
}

}  // namespace pm::test
