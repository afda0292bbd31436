// Off-screen bitmaps: one per custom-drawn window, and one per owner-drawn child control, whose
// background is copied from its parent's buffer so the control looks transparent.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>

namespace pm::ui {

// A memory DC with a 32-bit top-down DIB section selected into it. Empty: every field null or zero.
struct BackBuffer {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t* bits = nullptr;  // rows top-down, 4 * width bytes each

    BackBuffer() = default;
    ~BackBuffer();
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;
};

using BackBufferMap = std::map<HWND, std::unique_ptr<BackBuffer>>;

// The main window's frame.
extern BackBuffer mainBackBuffer;
// The main window's owner-drawn child controls, by control.
extern BackBufferMap childBackBuffers;

// True when the buffer has exactly this size afterwards. A failed rebuild keeps the old buffer.
bool ensureBackBuffer(BackBuffer& buffer, int width, int height);
void releaseBackBuffer(BackBuffer& buffer);
// Releases and forgets the child buffer of the control, if it has one.
void eraseBackBuffer(HWND control);
// Releases every buffer of the map and empties it.
void destroyBackBuffers(BackBufferMap& buffers);

// BitBlt of (left, top)-(right, bottom) from source (at sourceX, sourceY), never mirrored.
void blitRect(HDC source, HDC target, int left, int top, int right, int bottom, int sourceX, int sourceY);
// Fills the target with fill, then copies the part of the parent's bitmap under rectInParent into it.
void blitBackgroundUnder(BackBuffer& target, const BackBuffer& parent, const RECT& rectInParent, COLORREF fill);

}  // namespace pm::ui
