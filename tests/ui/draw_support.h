// What the drawing tests share: GDI+ started for the process, and 32-bit DIB sections to draw into
// and read back.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace pm::test {

// GDI+ for the whole test program; registered once by the first test file that includes this.
class GdiplusEnvironment : public testing::Environment {
public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};

inline testing::Environment* const gdiplusEnvironment = testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

// A top-down 32-bit DIB section selected into its own memory DC.
class Dib {
public:
    Dib(int width, int height, uint32_t fill = 0xFFFFFFFF) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<uint32_t*>(bits);
        old_ = SelectObject(dc_, bitmap_);
        fillAll(fill);
    }
    ~Dib() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void fillAll(uint32_t value) {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = value;
    }
    // 0xAARRGGBB as stored.
    uint32_t pixel(int x, int y) const {
        GdiFlush();
        return bits_[y * width_ + x];
    }
    // Ignores the alpha byte (GDI text writes alpha 0).
    uint32_t rgb(int x, int y) const { return pixel(x, y) & 0xFFFFFF; }
    // The smallest rectangle holding every pixel whose colour differs from the background; empty if none.
    RECT inkBounds(uint32_t background) const {
        GdiFlush();
        RECT r{width_, height_, 0, 0};
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if ((bits_[y * width_ + x] & 0xFFFFFF) != (background & 0xFFFFFF)) {
                    r.left = std::min<LONG>(r.left, x);
                    r.top = std::min<LONG>(r.top, y);
                    r.right = std::max<LONG>(r.right, x + 1);
                    r.bottom = std::max<LONG>(r.bottom, y + 1);
                }
        if (r.right == 0) r = RECT{0, 0, 0, 0};
        return r;
    }
    bool samePixels(const Dib& other) const {
        if (other.width_ != width_ || other.height_ != height_) return false;
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i)
            if ((bits_[i] & 0xFFFFFF) != (other.bits_[i] & 0xFFFFFF)) return false;
        return true;
    }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

}  // namespace pm::test
