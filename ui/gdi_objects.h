// Owners of the GDI objects and device contexts a paint borrows for a moment: each gives its handle back
// on every path out of the scope that made it.
#pragma once

#include "ui/theme.h"

#include <windows.h>

namespace pm::ui {

// A brush, pen or font made for one paint; deleted with the holder. Null when creation failed.
template <typename Handle>
class GdiObject {
public:
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() {
        if (handle_) DeleteObject(handle_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    Handle handle_;
};

using SolidBrush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;

// GetDC (the client area) or GetWindowDC (the whole window) of a window, released with the holder.
class WindowDc {
public:
    enum Area { Client, Whole };
    WindowDc(HWND window, Area area)
        : window_(window), dc_(area == Client ? GetDC(window) : GetWindowDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The DC's state (selected objects, clipping) saved here and restored with the holder.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDcState() {
        if (saved_) RestoreDC(dc_, saved_);
    }
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;
    explicit operator bool() const { return saved_ != 0; }

private:
    HDC dc_;
    int saved_;
};

// Fills the rectangle with a theme colour through a brush of its own (nothing for an empty rectangle).
void fillSolid(HDC dc, const RECT& area, Argb colour);

}  // namespace pm::ui
