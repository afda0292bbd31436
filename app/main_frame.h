// The main window's frame: rendering into its back buffer, the owner-drawn controls over it, the
// widget-opacity trackbar's painter and the window's three fonts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

namespace pm {

// The regular font (16 DIPs) is ui::mainFontRegular: the toolkit gives it to every control it creates.
extern HFONT mainFontBold;   // 17 DIPs, weight 600
extern HFONT mainFontSmall;  // 13 DIPs

// The UI generation of the frame now in the main back buffer (0: none rendered yet).
extern uint64_t lastRenderedGeneration;

// Brings the main back buffer up to date: renders the whole frame when uiGeneration moved, else only the
// areas given to invalidateFrameArea since the last render, else nothing.
void renderMainFrame();
// An area of the frame (device pixels of the main window's client) whose content changed while nothing
// else did, such as the progress strip of an animation step: invalidates it on screen, and the next render
// repaints just this area of the frame buffer, unless the UI generation moved meanwhile.
void invalidateFrameArea(const RECT& area);
// WM_DRAWITEM of the owner-drawn buttons and the language combo: paints through a private buffer whose
// background is the frame under the control.
void onDrawItem(const DRAWITEMSTRUCT* item);
// Re-creates the three fonts for the layout scale and the language; keeps the old ones on a failure.
void rebuildMainFonts();
// Deletes the three fonts, the toolkit's regular one included (shut-down).
void deleteMainFonts();

// Subclass painter of the widget-opacity trackbar 140 (subclass id 1).
LRESULT CALLBACK opacitySliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR data);

}  // namespace pm
