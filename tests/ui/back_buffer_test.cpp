// Back buffers: rebuilt only on a size change, kept when a rebuild fails, released without leaks;
// a control's background copied from the part of its parent's bitmap under it.
#include "draw_support.h"

#include "ui/back_buffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace pm::ui;

bool isGdiObject(HGDIOBJ handle, DWORD type) {
    return GetObjectType(handle) == type;
}

TEST(EnsureBackBuffer, RebuildsOnlyWhenTheSizeChangesAndKeepsTheOldOnFailure) {
    BackBuffer buffer;
    EXPECT_FALSE(ensureBackBuffer(buffer, 0, 100));
    EXPECT_EQ(buffer.dc, nullptr);
    ASSERT_TRUE(ensureBackBuffer(buffer, 200, 100));
    const HBITMAP first = buffer.bitmap;
    const HDC firstDc = buffer.dc;
    EXPECT_EQ(buffer.width, 200);
    EXPECT_EQ(buffer.height, 100);
    ASSERT_NE(buffer.bits, nullptr);
    buffer.bits[199 * 0 + 5] = 0x11223344;  // writable, row 0

    EXPECT_TRUE(ensureBackBuffer(buffer, 200, 100));
    EXPECT_EQ(buffer.bitmap, first);  // same size: the same bitmap
    EXPECT_EQ(buffer.bits[5], 0x11223344u);

    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 100}, {100, 0}, {-5, 10}}) {
        EXPECT_FALSE(ensureBackBuffer(buffer, w, h));
        EXPECT_EQ(buffer.bitmap, first);
        EXPECT_EQ(buffer.width, 200);
    }
    // Far too large for any DIB section: the rebuild fails and the old buffer stays whole.
    EXPECT_FALSE(ensureBackBuffer(buffer, 100000, 100000));
    EXPECT_EQ(buffer.bitmap, first);
    EXPECT_EQ(buffer.dc, firstDc);
    EXPECT_TRUE(isGdiObject(first, OBJ_BITMAP));
    EXPECT_EQ(buffer.bits[5], 0x11223344u);

    ASSERT_TRUE(ensureBackBuffer(buffer, 50, 40));  // smaller: a new, smaller bitmap
    EXPECT_NE(buffer.bitmap, first);
    EXPECT_EQ(buffer.width, 50);
    BITMAP info{};
    ASSERT_NE(GetObjectW(buffer.bitmap, sizeof(info), &info), 0);
    EXPECT_EQ(info.bmWidth, 50);
    EXPECT_EQ(info.bmHeight, 40);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(GetCurrentObject(buffer.dc, OBJ_BITMAP), buffer.bitmap);
    EXPECT_FALSE(isGdiObject(first, OBJ_BITMAP)) << "the old bitmap was deleted";
    EXPECT_FALSE(isGdiObject(firstDc, OBJ_MEMDC)) << "the old DC was deleted";

    // Rows are top-down: pixel (0, 1) sits one row of 4 * width bytes after pixel (0, 0).
    SetPixel(buffer.dc, 0, 1, RGB(0x10, 0x20, 0x30));
    GdiFlush();
    EXPECT_EQ(buffer.bits[50] & 0xFFFFFF, 0x102030u);

    const HBITMAP last = buffer.bitmap;
    const HDC lastDc = buffer.dc;
    releaseBackBuffer(buffer);
    EXPECT_EQ(buffer.dc, nullptr);
    EXPECT_EQ(buffer.bitmap, nullptr);
    EXPECT_EQ(buffer.oldBitmap, nullptr);
    EXPECT_EQ(buffer.width, 0);
    EXPECT_EQ(buffer.bits, nullptr);
    EXPECT_FALSE(isGdiObject(last, OBJ_BITMAP));
    EXPECT_FALSE(isGdiObject(lastDc, OBJ_MEMDC));
    releaseBackBuffer(buffer);  // twice is harmless
}

TEST(ChildBackBuffers, EraseAndDestroyReleaseEveryBuffer) {
    const HWND a = reinterpret_cast<HWND>(0x1000), b = reinterpret_cast<HWND>(0x2000);
    std::vector<HBITMAP> bitmaps;
    for (HWND w : {a, b}) {
        auto& entry = childBackBuffers[w];
        entry = std::make_unique<BackBuffer>();
        ASSERT_TRUE(ensureBackBuffer(*entry, 30, 20));
        bitmaps.push_back(entry->bitmap);
    }
    eraseBackBuffer(a);
    eraseBackBuffer(reinterpret_cast<HWND>(0x3000));  // no buffer: nothing happens
    EXPECT_EQ(childBackBuffers.count(a), 0u);
    EXPECT_FALSE(isGdiObject(bitmaps[0], OBJ_BITMAP));
    EXPECT_TRUE(isGdiObject(bitmaps[1], OBJ_BITMAP));
    destroyBackBuffers(childBackBuffers);
    EXPECT_TRUE(childBackBuffers.empty());
    EXPECT_FALSE(isGdiObject(bitmaps[1], OBJ_BITMAP));
}

TEST(BlitBackgroundUnder, CopiesTheOverlapAndFillsTheRest) {
    BackBuffer parent, control;
    ASSERT_TRUE(ensureBackBuffer(parent, 100, 80));
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) parent.bits[y * 100 + x] = static_cast<uint32_t>((x << 8) | y);
    ASSERT_TRUE(ensureBackBuffer(control, 40, 30));
    const RECT rect{80, 60, 120, 90};  // hangs over the right and bottom edges
    blitBackgroundUnder(control, parent, rect, RGB(0xAA, 0xBB, 0xCC));
    GdiFlush();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const uint32_t got = control.bits[y * 40 + x] & 0xFFFFFF;
            if (x < 20 && y < 20) {
                ASSERT_EQ(got, static_cast<uint32_t>(((80 + x) << 8) | (60 + y))) << x << "," << y;
            } else {
                ASSERT_EQ(got, 0xAABBCCu) << x << "," << y;
            }
        }
    // The DC brush colour is put back.
    EXPECT_EQ(GetDCBrushColor(control.dc), RGB(255, 255, 255));

    // Entirely outside the parent: all fill. Without a parent DC: all fill as well.
    blitBackgroundUnder(control, parent, RECT{-50, -50, -10, -20}, RGB(1, 2, 3));
    GdiFlush();
    EXPECT_EQ(control.bits[0] & 0xFFFFFF, 0x010203u);
    BackBuffer none;
    blitBackgroundUnder(control, none, rect, RGB(4, 5, 6));
    GdiFlush();
    EXPECT_EQ(control.bits[0] & 0xFFFFFF, 0x040506u);
    blitBackgroundUnder(none, parent, rect, RGB(4, 5, 6));  // no target DC: nothing
}

TEST(BlitRect, CopiesTheRectangleFromTheSourceOffset) {
    BackBuffer source, target;
    ASSERT_TRUE(ensureBackBuffer(source, 20, 20));
    ASSERT_TRUE(ensureBackBuffer(target, 20, 20));
    source.bits[3 * 20 + 4] = 0x00ABCDEF;
    blitRect(source.dc, target.dc, 10, 10, 12, 12, 4, 3);
    GdiFlush();
    EXPECT_EQ(target.bits[10 * 20 + 10], 0x00ABCDEFu);
    EXPECT_EQ(target.bits[12 * 20 + 12], 0u);
}

}  // namespace
