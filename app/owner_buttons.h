// The faces of the main window's owner-drawn controls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace pm {

// Paints one control (its DC is a private buffer whose item rectangle is 0, 0, w, h).
void drawOwnerButton(const DRAWITEMSTRUCT& item);

// Queues a title and a subtitle (size 12) as one vertically centred block in the box x, y, w, h. The title
// has 56% of the height; one that does not show whole there takes what a one-line subtitle leaves, and the
// subtitle has whatever the title leaves.
void drawOptionRow(const std::wstring& title, const std::wstring& subtitle, float x, float y, float w, float h,
                   float size, std::uint32_t titleColour, std::uint32_t subtitleColour, bool bold, bool translateTexts);

}  // namespace pm
