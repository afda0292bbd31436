#include "ui/ui_font.h"

#include "services/i18n/translate.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <map>

namespace pm::ui {

namespace {

const wchar_t* faceForLanguage(const std::string& code) {
    if (code == "hi" || code == "bn") return L"Nirmala UI";
    if (code == "th") return L"Leelawadee UI";
    if (code == "zh") return L"Microsoft YaHei UI";
    if (code == "ja") return L"Yu Gothic UI";
    if (code == "ko") return L"Malgun Gothic";
    return L"Segoe UI";
}

bool faceAvailable(const wchar_t* face) {
    Gdiplus::GpFontFamily* family = nullptr;
    if (Gdiplus::DllExports::GdipCreateFontFamilyFromName(face, nullptr, &family) != Gdiplus::Ok || !family)
        return false;
    Gdiplus::DllExports::GdipDeleteFontFamily(family);
    return true;
}

}  // namespace

const wchar_t* pickUiFontFace(const std::string& languageCode) {
    // Entries are never removed, so the returned pointers stay valid until exit.
    static std::map<std::string, std::wstring> faces;
    if (auto found = faces.find(languageCode); found != faces.end()) return found->second.c_str();
    const wchar_t* face = faceForLanguage(languageCode);
    if (!faceAvailable(face)) face = L"Segoe UI";
    return faces.emplace(languageCode, face).first->second.c_str();
}

const wchar_t* uiFontFace() {
    return pickUiFontFace(currentLanguageCode());
}

}  // namespace pm::ui
