// The keyboard's repeats of a held key against real controls: a repeat that would press a button or cancel
// is told apart from one that types, moves or that the control takes itself.
#include "ui/control_procs.h"
#include "ui/key_repeat.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace {

using namespace pm;

// WM_KEYDOWN as the keyboard posts it: repeat count 1, the scan code, bit 30 when the key was already down.
MSG keyDown(HWND window, WORD key, bool repeat) {
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    const LPARAM data = 1 | static_cast<LPARAM>(scan) << 16 | (repeat ? LPARAM{1} << 30 : 0);
    return MSG{window, WM_KEYDOWN, key, data, 0, {}};
}

TEST(KeyRepeatTest, OnlyARepeatThatWouldPressAButtonOrCancelIsDropped) {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    const auto child = [&](const wchar_t* className, DWORD style) {
        return CreateWindowExW(0, className, L"x", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 100, 24, parent,
                               nullptr, nullptr, nullptr);
    };
    HWND pushButton = child(L"BUTTON", BS_PUSHBUTTON);
    HWND ownButton = child(L"BUTTON", BS_OWNERDRAW);  // the program's own, answering as a push button
    SetWindowSubclass(ownButton, ui::hoverRepaintProc, 1, 0);
    HWND edit = child(L"EDIT", ES_AUTOHSCROLL);
    HWND textArea = child(L"EDIT", ES_MULTILINE | ES_WANTRETURN);
    HWND list = child(WC_LISTVIEWW, LVS_REPORT);
    const struct {
        const char* name;
        HWND window;
        WORD key;
        bool repeat;
        bool dropped;
    } cases[] = {
        {"Enter pressed on a push button", pushButton, VK_RETURN, false, false},
        {"Enter repeated on a push button", pushButton, VK_RETURN, true, true},
        {"Space repeated on a push button", pushButton, VK_SPACE, true, true},
        {"Space pressed on an owner-drawn button", ownButton, VK_SPACE, false, false},
        {"Enter repeated on an owner-drawn button", ownButton, VK_RETURN, true, true},
        {"Space repeated on an owner-drawn button", ownButton, VK_SPACE, true, true},
        {"Space repeated in a text box types", edit, VK_SPACE, true, false},
        {"Enter repeated in a text box presses the default button", edit, VK_RETURN, true, true},
        {"Enter repeated in a text area that takes it", textArea, VK_RETURN, true, false},
        {"Down repeated in a list moves", list, VK_DOWN, true, false},
        {"Enter repeated in a list", list, VK_RETURN, true, true},
        {"Escape pressed in a text area", textArea, VK_ESCAPE, false, false},
        {"Escape repeated in a text area that takes every key", textArea, VK_ESCAPE, true, true},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.window, nullptr) << c.name;
        EXPECT_EQ(ui::isRepeatThatPressesOrCancels(keyDown(c.window, c.key, c.repeat)), c.dropped) << c.name;
    }
    EXPECT_FALSE(ui::isRepeatThatPressesOrCancels(MSG{pushButton, WM_CHAR, L' ', LPARAM{1} << 30, 0, {}}))
        << "a character";
    DestroyWindow(parent);
}

}  // namespace
