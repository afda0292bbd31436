// The pieces of the main window's page painter: one painter per page on the frame's scaled Graphics,
// and the helpers the pages share.
#pragma once

#include "app/main_layout.h"
#include "engine/drives.h"
#include "ui/theme.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <string>

namespace pm::detail {

// The ring's diameter for a left column of mainWidth DIPs.
float ringDiameter(float mainWidth);
// The ring: a surface-coloured track and an accent arc clockwise from twelve o'clock over value * 360°.
void paintRingGauge(Gdiplus::Graphics* g, float x, float y, float d, double value);

// (total - free) / total; 0 for an empty drive.
float usedFraction(const DriveInfo& drive);
// "12.3 GB free" in the current language.
std::wstring freeSpaceText(const DriveInfo& drive);

// Whether the rectangle (with a card's shadow and pen around it) touches what this paint can change: the
// clip box of a render of a few areas (see invalidateFrameArea), or anything in a whole render. Shapes that
// cannot show are left out, because GDI+ under Wine pays for a shape's whole size even where it is clipped.
bool touchesPaintArea(const DipRect& rect);

// The card as ui::drawCard draws it.
void drawCard(Gdiplus::Graphics* g, const DipRect& card);

// A frame text colour from a theme role.
inline uint32_t rgbOf(ui::Argb colour) { return colour & 0xFFFFFF; }

void paintCleanPage(Gdiplus::Graphics* g, const MainLayout& layout);
void paintDiskPage(Gdiplus::Graphics* g, const MainLayout& layout);
void paintHelpPage(Gdiplus::Graphics* g, const MainLayout& layout);
void paintSettingsPage(Gdiplus::Graphics* g, const MainLayout& layout);

}  // namespace pm::detail
