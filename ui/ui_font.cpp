#include "ui/ui_font.h"

#include "services/i18n/translate.h"
#include "ui/ui_font_internal.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <array>
#include <iterator>
#include <map>

namespace pm::ui {

namespace {

struct LanguageFaces {
    const char* code;
    std::array<const wchar_t*, 3> faces;  // best first; unused places are null
};

// Each language's faces: the face of current Windows, then older faces of the same script (Windows 7 has
// no "Nirmala UI"; "Mangal" and "Vrinda" carry Devanagari and Bengali). Any other code: the last row.
constexpr LanguageFaces LanguageFaceTable[] = {
    {"hi", {L"Nirmala UI", L"Mangal", nullptr}},
    {"bn", {L"Nirmala UI", L"Vrinda", nullptr}},
    {"th", {L"Leelawadee UI", L"Leelawadee", L"Tahoma"}},
    {"zh", {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun"}},
    {"ja", {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"}},
    {"ko", {L"Malgun Gothic", L"Gulim", nullptr}},
    {"", {L"Segoe UI", L"Tahoma", nullptr}},
};

const LanguageFaces& facesForLanguage(const std::string& code) {
    for (const LanguageFaces& row : LanguageFaceTable)
        if (code == row.code) return row;
    return LanguageFaceTable[std::size(LanguageFaceTable) - 1];
}

}  // namespace

namespace detail {

bool faceAvailable(const wchar_t* face) {
    Gdiplus::GpFontFamily* family = nullptr;
    if (Gdiplus::DllExports::GdipCreateFontFamilyFromName(face, nullptr, &family) != Gdiplus::Ok || !family)
        return false;
    Gdiplus::DllExports::GdipDeleteFontFamily(family);
    return true;
}

const wchar_t* chooseUiFontFace(const std::string& languageCode,
                                const std::function<bool(const wchar_t*)>& isAvailable) {
    const auto& faces = facesForLanguage(languageCode).faces;
    for (const wchar_t* face : faces)
        if (face && isAvailable(face)) return face;
    return faces.front();
}

}  // namespace detail

const wchar_t* pickUiFontFace(const std::string& languageCode) {
    // The faces are the table's literals: what is kept is which one each code got.
    static std::map<std::string, const wchar_t*> faces;
    if (auto found = faces.find(languageCode); found != faces.end()) return found->second;
    return faces.emplace(languageCode, detail::chooseUiFontFace(languageCode, detail::faceAvailable)).first->second;
}

const wchar_t* uiFontFace() {
    return pickUiFontFace(currentLanguageCode());
}

}  // namespace pm::ui
