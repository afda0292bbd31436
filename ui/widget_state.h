// The desktop widget's record: one per widget window, made by its opener and handed over as the
// creation parameter (GWLP_USERDATA). It lives beside the toolkit because the toolkit's button
// procedure keeps the buttons' hover and pressed state in it.
#pragma once

#include "ui/back_buffer.h"
#include "ui/window_focus.h"

#include <windows.h>

#include <array>
#include <cstdint>

namespace pm::ui {

// The widget's three buttons, in slot order.
inline constexpr int WidgetOpenButton = 9101;
inline constexpr int WidgetHideButton = 9102;
inline constexpr int WidgetScanButton = 9103;

struct WidgetButtonSlot {
    uint8_t hover = 0;
    uint8_t pressed = 0;
};

struct WidgetState {
    float contentScale = 0;   // device pixels per DIP of the widget's drawing and layout
    float dpiScale = 0;       // the widget window's DPI / 96
    HFONT font = nullptr;     // the buttons' font, owned
    uint8_t created = 0;      // the window exists and owns the record
    int32_t scrollOffset = 0; // index of the first drive shown
    int32_t heightDip = 0;    // 352 + 52 per row
    int32_t rows = 0;         // drive rows shown, 1..5
    std::array<WidgetButtonSlot, 3> buttons{};  // 9101, 9102, 9103
    BackBuffer frame;                          // the whole widget
    std::array<BackBuffer, 3> buttonBuffers;   // one per button, in slot order
    FocusMemory focus;                         // the scan button, disabled while a scan runs, hands it on
};

// Slot of a widget button: 9101 0, 9102 1, any other id 2.
constexpr int widgetButtonSlot(int id) {
    return id == WidgetOpenButton ? 0 : id == WidgetHideButton ? 1 : 2;
}

// The record of a widget window, or null.
inline WidgetState* widgetStateOf(HWND widget) {
    return reinterpret_cast<WidgetState*>(GetWindowLongPtrW(widget, GWLP_USERDATA));
}

}  // namespace pm::ui
