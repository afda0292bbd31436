// The look the history and preview windows share: themed background, the dark side band with the
// product's tile, name and version, and a content area each window fills itself. Also the table of the
// secondary windows: their classes and sizes.
#pragma once

#include "ui/back_buffer.h"
#include "ui/canvas.h"

#include <windows.h>

#include <functional>
#include <string>

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

// The band's page tile of a framed window: the document icon, the page name beside it and a short
// description under it (subtitleHeight DIP high), all translated.
void paintFrameBandTile(ui::Canvas& canvas, const std::wstring& name, const std::wstring& description,
                        float descriptionHeight);

// The font of a secondary window's child control: 14 DIP, regular, the interface face of the current
// language, the system's font smoothing. The caller owns it; null when creation failed.
HFONT createSecondaryWindowFont(float scale);

// The window's DPI / 96 (1 when the DPI cannot be read).
float windowScale(HWND window);

// The program's icon (resource 1) as the window's big and small icon.
void setProgramIcon(HWND window);

}  // namespace pm
