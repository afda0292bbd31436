// The pieces of the owner-drawn control painter: what one paint of one control knows, and one face
// painter per kind of control.
#pragma once

#include "ui/control_registry.h"
#include "ui/theme.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <string>

namespace pm::detail {

// The colours a control starts from, by kind and state.
struct FaceColours {
    ui::Argb fill = 0;
    ui::Argb outline = 0;
    ui::Argb text = 0;
};

struct Face {
    Gdiplus::Graphics* g = nullptr;
    const DRAWITEMSTRUCT* item = nullptr;
    int id = 0;
    float w = 0;  // item size in DIPs
    float h = 0;
    float scale = 1;  // layout scale
    bool rtl = false;
    float hover = 0;  // 0..1 after reduced motion was applied
    float press = 0;
    float offset = 0;  // press offset in DIPs, whole device pixels
    bool disabled = false;
    FaceColours colours;
    ui::ButtonState* state = nullptr;
};

// Hover, press and the press offset of a control: the animated amounts, or the plain states with
// reduced motion.
void resolveMotion(Face& face, const ui::ButtonState& state, bool reduceMotion);
// The base colours of the table of kinds (navigation, primary, other buttons, disabled).
FaceColours baseColours(int id, float hover, float press, bool disabled);
// The control's window text, at most 256 characters.
std::wstring controlText(HWND control);

void paintSwatch(const Face& face);
void paintThemeSegment(const Face& face);
void paintCategoryCard(const Face& face);
void paintOptionRow(const Face& face);
void paintNavigationOrButton(const Face& face);
// The entries of the language list, each in its own language's face, drawn at once.
void paintLanguageEntry(const DRAWITEMSTRUCT& item);

}  // namespace pm::detail
