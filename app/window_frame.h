// The look the history and preview windows share: themed background, the dark side band with the
// product's tile, name and version, and a content area each window fills itself. Also the table of the
// secondary windows: their classes and sizes.
#pragma once

#include "app/window_heading.h"
#include "ui/back_buffer.h"
#include "ui/canvas.h"
#include "ui/theme.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace pm {

// Classes and sizes (DIP) of the secondary windows. Each class is registered on first use with the
// program's icon and the arrow cursor; the windows are owned by the main window, WS_OVERLAPPEDWINDOW |
// WS_CLIPCHILDREN at the default position, and keep their state in one record passed at creation.
inline constexpr wchar_t HistoryWindowClass[] = L"PelmirtHistory";
inline constexpr wchar_t PreviewWindowClass[] = L"PelmirtPreview";
inline constexpr wchar_t LargeFilesWindowClass[] = L"PelmirtLargeFiles";
inline constexpr DWORD SecondaryWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

inline constexpr float HistoryWidthDip = 1020.0f;
inline constexpr float HistoryHeightDip = 680.0f;
// A preview is created at most this large (and never beyond the work area less 24 pixels), then grown.
inline constexpr float PreviewCreateWidthDip = 1060.0f;
inline constexpr float PreviewCreateHeightDip = 620.0f;
inline constexpr float PreviewWidthDip = 1120.0f;
inline constexpr float PreviewHeightDip = 720.0f;
inline constexpr float LargeFilesWidthDip = 1160.0f;
inline constexpr float LargeFilesHeightDip = 780.0f;

// Width of the side band in DIP; in pixels it is round(170 x scale).
inline constexpr float FrameBandWidthDip = 170.0f;

// Draws the window's content on the frame's canvas; width and height are the client size in DIP.
using FrameContent = std::function<void(ui::Canvas& canvas, float width, float height)>;

// The whole WM_PAINT of a framed window: renders background, band and content into frame (sized to the
// client area, clipped to the paint rectangle) and copies the paint rectangle to the screen.
void paintWindowFrame(HWND window, ui::BackBuffer& frame, float scale, const FrameContent& content);

// The page of a framed window; texts untranslated, heights and tops in DIP.
struct FramePage {
    const wchar_t* name;          // in the band's tile and as the page title
    const wchar_t* description;   // under the tile
    float descriptionHeight;
    float titleHeight;
    const wchar_t* note;          // under the title
    float noteTop;
    float noteHeight;
    float cardTop;                // the card behind the window's child controls
    int icon = 6;                 // the line icon of the band's tile (6 document, 1 drive) and its top
    float iconTop = 182;
    float descriptionSize = 13;
    float cardBottomGap = 15;     // from the card's bottom to the window's
};

// The band's page tile (icon, name, description), the title, the note and the card, all texts
// translated; width and height are the content function's.
void paintFramePage(ui::Canvas& canvas, float width, float height, const FramePage& page);

// Queues texts on the canvas, each on one line unless its box wraps.
QueueText canvasText(ui::Canvas& canvas);
// The whole client in the background colour, the side band (round(170 x scale) pixels) in the band colour.
void fillFrameBackground(HDC dc, const RECT& client, float scale);
// The product mark at the top of the band.
void paintFrameBand(ui::Canvas& canvas);

// WM_NCCREATE of a secondary window: keeps the record passed to CreateWindowExW in GWLP_USERDATA and
// lets the default handling set the title. Returns TRUE.
LRESULT storeWindowRecord(HWND window, WPARAM wParam, LPARAM lParam);

// WM_CTLCOLOR* of a child control: opaque text in the text colour on the background colour, painted with
// brush.
LRESULT childControlColours(WPARAM dc, ui::Argb background, ui::Argb text, HBRUSH brush);

// Removes the window from a list of open windows.
void forgetWindow(std::vector<HWND>& windows, HWND window);

// WM_NCDESTROY of a secondary window: deletes the record's font, and the record itself once the window
// owns it (a window whose creation failed leaves its record to the opener); the window leaves its list
// and its GWLP_USERDATA is cleared.
template <typename Record>
void releaseWindowRecord(HWND window, Record* data, std::vector<HWND>& openWindows) {
    if (data) {
        if (data->font) DeleteObject(data->font);
        data->font = nullptr;
        if (data->created) delete data;
    }
    forgetWindow(openWindows, window);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

// The font of a secondary window's child control: 14 DIP, regular, the interface face of the current
// language, the system's font smoothing. The caller owns it. Null when current already is that font
// (so the control keeps it and need not lay its text out again) or when creation failed.
HFONT newSecondaryWindowFont(HFONT current, float scale);

// The window's DPI / 96 (1 when the DPI cannot be read).
float windowScale(HWND window);

// The program's icon (resource 1) as the window's big and small icon.
void setProgramIcon(HWND window);

}  // namespace pm
