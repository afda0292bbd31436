// Every language draws real glyphs, not boxes: each character of each language's texts, in the face the
// interface asks for in that language at every weight it uses, and in the system's menu, message and caption
// fonts (which draw whatever the language), under
// the system locale this process runs in. CTest runs this program once per locale (LANG and LC_ALL of the
// Wine process, tests/ui/CMakeLists.txt): Wine takes the code page, the system fonts and the localized
// font names from them.
//
// A character is drawn alone into a small DIB and compared with the same draw of a code point no font has
// (the missing-glyph box; with font linking, the base font's box too) and of a space (nothing drawn).
#include "draw_support.h"

#include "services/history/text_codec.h"
#include "services/i18n/language.h"
#include "services/i18n/translate.h"
#include "services/i18n/translation_table.h"
#include "ui/gdi_objects.h"
#include "ui/text_list.h"
#include "ui/ui_font.h"
#include "ui/ui_font_internal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

using pm::test::Dib;
using pm::ui::GdiObject;

constexpr int Side = 64;
constexpr int PixelSize = 24;
// Left of the middle: combining marks hang to the left of their origin.
constexpr int DrawX = 24;
constexpr int DrawY = 16;
constexpr int InterfaceWeights[] = {400, 600, 700};
// How many failing characters one message names.
constexpr size_t NamedCharacters = 12;

// What draws nothing even in a font that has it: controls, spaces, and format characters (the soft hyphen,
// the zero-width space, non-joiner and joiner U+200B-U+200D, the direction marks U+200E/U+200F and
// embeddings, the word joiner, the byte order mark).
bool drawsNothing(char32_t c) {
    return c <= 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0xAD || c == 0x061C || (c >= 0x2000 && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202F) || (c >= 0x205F && c <= 0x206F) || c == 0x3000 || c == 0xFEFF;
}

std::wstring utf16(char32_t c) {
    std::wstring text;
    pm::appendCodePoint(text, c);
    return text;
}

void addCodePoints(const wchar_t* text, std::set<char32_t>& into) {
    for (size_t i = 0; text[i]; ++i) {
        char32_t c = static_cast<char16_t>(text[i]);
        if (c >= 0xD800 && c < 0xDC00 && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(text[i + 1]) - 0xDC00);
            ++i;
        }
        into.insert(c);
    }
}

struct Language {
    std::string code;
    std::vector<char32_t> characters;
};

// Each language's distinct characters: its column of the translation table and its name in itself, as
// the settings page shows it.
const std::vector<Language>& languages() {
    static const std::vector<Language> all = [] {
        std::vector<Language> result;
        for (int index = 0; index < pm::LanguageCount; ++index) {
            std::set<char32_t> used;
            for (size_t row = 0; row < pm::TranslationRowCount; ++row)
                addCodePoints(pm::TranslationTable[row][index + 1], used);
            for (const pm::LanguageOption& option : pm::languageOptions())
                if (option.code == pm::LanguageCodes[index]) addCodePoints(option.nativeName.c_str(), used);
            Language language{pm::LanguageCodes[index], {}};
            for (char32_t c : used)
                if (!drawsNothing(c)) language.characters.push_back(c);
            result.push_back(std::move(language));
        }
        return result;
    }();
    return all;
}

std::wstring faceOf(HDC dc, HFONT font) {
    const HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE]{};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    return face;
}

std::string quoted(const std::wstring& face) {
    // UTF-8: under a CJK locale a face may answer with its localized name.
    std::string result = pm::encodeUtf8(face);
    result.insert(result.begin(), '"');
    result.push_back('"');
    return result;
}

std::string codePointName(char32_t c) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

// One font, with the draws of a missing glyph and of nothing to compare each character with.
class GlyphProbe {
public:
    explicit GlyphProbe(HFONT font) : font_(font) {
        draw(missing_, L"\u0378");
        draw(blank_, L" ");
    }

    enum class Result { Glyph, Box, Nothing };

    Result classify(char32_t c) {
        draw(work_, utf16(c));
        if (work_.samePixels(missing_)) return Result::Box;
        if (work_.samePixels(blank_)) return Result::Nothing;
        return Result::Glyph;
    }

    // One message for the language in this font, empty when every character draws a glyph.
    std::string failures(const Language& language, const std::string& fontName) {
        std::vector<char32_t> boxes, nothing;
        for (char32_t c : language.characters) {
            const Result result = classify(c);
            if (result == Result::Box) boxes.push_back(c);
            if (result == Result::Nothing) nothing.push_back(c);
        }
        if (boxes.empty() && nothing.empty()) return {};
        std::string message = language.code + " in " + fontName + ": ";
        const auto list = [&](const std::vector<char32_t>& failing, const char* what) {
            message += std::to_string(failing.size()) + " of " + std::to_string(language.characters.size()) +
                       " characters " + what + " (";
            for (size_t i = 0; i < failing.size() && i < NamedCharacters; ++i) {
                if (i) message += ' ';
                message += codePointName(failing[i]);
            }
            message += failing.size() > NamedCharacters ? " ...)" : ")";
        };
        if (!boxes.empty()) list(boxes, "draw the missing-glyph box");
        if (!boxes.empty() && !nothing.empty()) message += "; ";
        if (!nothing.empty()) list(nothing, "draw nothing");
        return message;
    }

private:
    void draw(Dib& dib, const std::wstring& text) {
        dib.fillAll(0xFFFFFFFF);
        const HGDIOBJ old = SelectObject(dib.dc(), font_);
        SetBkMode(dib.dc(), TRANSPARENT);
        SetTextColor(dib.dc(), RGB(0, 0, 0));
        TextOutW(dib.dc(), DrawX, DrawY, text.c_str(), static_cast<int>(text.size()));
        SelectObject(dib.dc(), old);
    }

    HFONT font_;
    Dib missing_{Side, Side};
    Dib blank_{Side, Side};
    Dib work_{Side, Side};
};

// The languages in the font; one failure per language that does not draw.
void expectLanguages(HFONT font, const std::string& fontName, const std::vector<const Language*>& which) {
    ASSERT_NE(font, nullptr) << fontName << " could not be created";
    GlyphProbe probe(font);
    for (const Language* language : which) {
        const std::string failures = probe.failures(*language, fontName);
        if (!failures.empty()) ADD_FAILURE() << failures;
    }
}

void expectEveryLanguage(HFONT font, const std::string& fontName) {
    std::vector<const Language*> all;
    for (const Language& language : languages()) all.push_back(&language);
    expectLanguages(font, fontName, all);
}

// The face the program asks for when a language is chosen, made as its windows make their fonts.
HFONT createInterfaceFont(const wchar_t* face, int weight) {
    return CreateFontW(-PixelSize, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, static_cast<DWORD>(pm::ui::systemFontQuality()), DEFAULT_PITCH,
                       face);
}

// The language's own face: the first of its faces, as Windows 10 and later have it.
const wchar_t* ownFace(const std::string& code) {
    return pm::ui::detail::chooseUiFontFace(code, [](const wchar_t*) { return true; });
}

// Found as the program asks (GDI+): a face it misses sends the program to an older face of the script.
TEST(FontGlyphs, EveryLanguageFindsItsOwnFace) {
    for (const char* code : pm::LanguageCodes) {
        EXPECT_TRUE(pm::ui::detail::faceAvailable(ownFace(code)))
            << code << ": GDI+ does not find " << quoted(ownFace(code)) << " under this system locale";
        EXPECT_STREQ(pm::ui::pickUiFontFace(code), ownFace(code)) << code;
    }
}

// The program draws a language's texts in that language's face only (its windows, and its name in the
// settings list), so each face is asked for its languages' characters.
TEST(FontGlyphs, EachLanguageDrawsInItsFaceAtEveryWeight) {
    for (const Language& language : languages()) {
        const std::wstring face = pm::ui::pickUiFontFace(language.code);
        for (int weight : InterfaceWeights) {
            GdiObject<HFONT> font(createInterfaceFont(face.c_str(), weight));
            expectLanguages(font.get(), quoted(face) + " " + std::to_string(weight), {&language});
        }
    }
}

// Wine's own dialogs (the folder picker of the large-files window) show their texts in the system's
// language, in the dialog font "MS Shell Dlg" (or "MS Shell Dlg 2"), which Wine points at a face of its
// choice for each system locale as a process of that locale starts.
TEST(FontGlyphs, TheDialogFontDrawsTheSystemLanguage) {
    const std::string code = pm::detectUiLanguage();
    const Language* language = nullptr;
    for (const Language& candidate : languages())
        if (candidate.code == code) language = &candidate;
    ASSERT_NE(language, nullptr) << "no texts for the system's language " << code;
    Dib dib(1, 1);
    for (const wchar_t* face : {L"MS Shell Dlg", L"MS Shell Dlg 2"})
        for (int weight : {400, 700}) {
            GdiObject<HFONT> font(createInterfaceFont(face, weight));
            const std::string name = "dialog font " + quoted(face) + " " + std::to_string(weight) + " (drawn as " +
                                     quoted(faceOf(dib.dc(), font.get())) + ")";
            expectLanguages(font.get(), name, {language});
        }
}

TEST(FontGlyphs, TheSystemMenuMessageAndCaptionFontsDrawEveryLanguage) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    const struct {
        const char* name;
        const LOGFONTW& logFont;
    } fonts[] = {{"menu font", metrics.lfMenuFont},
                 {"message font", metrics.lfMessageFont},
                 {"caption font", metrics.lfCaptionFont}};
    Dib dib(1, 1);
    for (const auto& f : fonts) {
        GdiObject<HFONT> font(CreateFontIndirectW(&f.logFont));
        const std::string name = std::string(f.name) + " " + quoted(f.logFont.lfFaceName) + " (drawn as " +
                                 quoted(faceOf(dib.dc(), font.get())) + ")";
        expectEveryLanguage(font.get(), name);
    }
}

}  // namespace
