// The drawing surface of one paint pass: GDI+ shapes in DIPs through a scaled world transform, texts
// queued and drawn with GDI when the canvas is destroyed.
#pragma once

#include "ui/text_list.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <optional>
#include <string>

namespace pm::ui {

struct Canvas {
    // fontFace must not be null. GDI+ must be started.
    Canvas(HDC dc, float scale, const wchar_t* fontFace, bool rightToLeft, FontCache* fonts);
    // Finishes GDI+ drawing, then draws the queued texts on dc.
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // A text in DIPs, in the canvas's face; not centred texts align to the reading direction's start.
    void queueText(const std::wstring& text, float x, float y, float w, float h, float size, COLORREF colour,
                   bool bold, bool vCentre, bool singleLine, bool centred);

    HDC dc;  // not owned
    float scale;
    std::wstring fontFace;
    bool rightToLeft;
    TextList texts;
    // Over dc, scaled to DIPs, anti-aliased. Keeps the last failing status of any call made through it.
    Gdiplus::Graphics* graphics = nullptr;

private:
    std::optional<Gdiplus::Graphics> graphicsObject_;
};

}  // namespace pm::ui
