// The choice of a language's interface face, and the question the choice asks the system.
#pragma once

#include <functional>
#include <string>

namespace pm::ui::detail {

// True when GDI+ finds a font family of that name (a substituted name counts). Needs GDI+ started.
bool faceAvailable(const wchar_t* face);

// The first of the language's faces that isAvailable accepts: its own face, then older faces of
// Windows that carry the same script. When none is there, the language's own face, left to the system's
// font fallback, rather than "Segoe UI", which has none of the scripts that have faces of their own.
const wchar_t* chooseUiFontFace(const std::string& languageCode,
                                const std::function<bool(const wchar_t*)>& isAvailable);

}  // namespace pm::ui::detail
