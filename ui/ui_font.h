// The interface font face of each language.
#pragma once

#include <string>

namespace pm::ui {

// The face for a language code, checked once per code with GDI+ (an unavailable face gives an older face
// of the same script; see ui_font_internal.h). The returned pointer stays valid for the life of the
// process. Needs GDI+ started.
const wchar_t* pickUiFontFace(const std::string& languageCode);
// The face of the current interface language.
const wchar_t* uiFontFace();

}  // namespace pm::ui
