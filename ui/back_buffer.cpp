#include "ui/back_buffer.h"

#include <algorithm>

namespace pm::ui {

BackBuffer mainBackBuffer;
BackBufferMap childBackBuffers;

namespace {

void freeBuffer(BackBuffer& buffer) {
    if (buffer.dc && buffer.oldBitmap) SelectObject(buffer.dc, buffer.oldBitmap);
    if (buffer.bitmap) DeleteObject(buffer.bitmap);
    if (buffer.dc) DeleteDC(buffer.dc);
}

}  // namespace

BackBuffer::~BackBuffer() {
    freeBuffer(*this);
}

bool ensureBackBuffer(BackBuffer& buffer, int width, int height) {
    if (width < 1 || height < 1) return false;
    if (buffer.dc && buffer.width == width && buffer.height == height) return true;

    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        DeleteDC(dc);
        return false;
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    if (!old || old == HGDI_ERROR) {
        DeleteObject(bitmap);
        DeleteDC(dc);
        return false;
    }
    // Only now, with the new pair complete, does the old one go.
    freeBuffer(buffer);
    buffer.dc = dc;
    buffer.bitmap = bitmap;
    buffer.oldBitmap = old;
    buffer.width = width;
    buffer.height = height;
    buffer.bits = static_cast<uint32_t*>(bits);
    return true;
}

void releaseBackBuffer(BackBuffer& buffer) {
    freeBuffer(buffer);
    buffer.dc = nullptr;
    buffer.bitmap = nullptr;
    buffer.oldBitmap = nullptr;
    buffer.width = 0;
    buffer.height = 0;
    buffer.bits = nullptr;
}

void eraseBackBuffer(HWND control) {
    auto found = childBackBuffers.find(control);
    if (found == childBackBuffers.end()) return;
    if (found->second) releaseBackBuffer(*found->second);
    childBackBuffers.erase(found);
}

void destroyBackBuffers(BackBufferMap& buffers) {
    for (auto& [window, buffer] : buffers) {
        if (buffer) releaseBackBuffer(*buffer);
    }
    buffers.clear();
}

void blitRect(HDC source, HDC target, int left, int top, int right, int bottom, int sourceX, int sourceY) {
    BitBlt(target, left, top, right - left, bottom - top, source, sourceX, sourceY, SRCCOPY | NOMIRRORBITMAP);
}

void blitBackgroundUnder(BackBuffer& target, const BackBuffer& parent, const RECT& rectInParent, COLORREF fill) {
    if (!target.dc) return;
    const COLORREF previous = SetDCBrushColor(target.dc, fill);
    if (previous == CLR_INVALID) return;
    const RECT whole{0, 0, target.width, target.height};
    const bool filled = FillRect(target.dc, &whole, static_cast<HBRUSH>(GetStockObject(DC_BRUSH))) != 0;
    SetDCBrushColor(target.dc, previous);
    const bool flushed = GdiFlush() != 0;
    if (!filled || !flushed || !parent.dc) return;

    BITMAP info{};
    HGDIOBJ parentBitmap = GetCurrentObject(parent.dc, OBJ_BITMAP);
    if (!parentBitmap || GetObjectW(parentBitmap, sizeof(info), &info) == 0) return;
    RECT clipped{};
    const RECT bitmapRect{0, 0, info.bmWidth, info.bmHeight};
    if (!IntersectRect(&clipped, &rectInParent, &bitmapRect)) return;
    BitBlt(target.dc, clipped.left - rectInParent.left, clipped.top - rectInParent.top, clipped.right - clipped.left,
           clipped.bottom - clipped.top, parent.dc, clipped.left, clipped.top, SRCCOPY | NOMIRRORBITMAP);
    GdiFlush();
}

}  // namespace pm::ui
