// The report lists' system-drawn parts in the theme, on real controls printed into DIB sections: the
// selected rows, the header's strip past its last column, the folder combo's frame and the dark scroll
// bars' arrows, each in the dark and the light theme.
#include "tests/ui/draw_support.h"
#include "ui/combo_frame.h"
#include "ui/list_theming.h"
#include "ui/report_list.h"
#include "ui/shell_state.h"
#include "ui/theme.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace pm::ui {
namespace {

HWND themedList = nullptr;
constexpr COLORREF OwnEntryColour = RGB(0xC0, 0x10, 0x20);

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == static_cast<UINT>(NM_CUSTOMDRAW) && header->hwndFrom == themedList)
            return drawThemedListRow(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        if (header->code == LVN_GETDISPINFOW) {
            static wchar_t text[] = L"WWW";
            reinterpret_cast<NMLVDISPINFOW*>(lParam)->item.pszText = text;
        }
        return 0;
    }
    if (message == WM_DRAWITEM) {  // the owner-drawn combo's entry: one colour no frame uses
        const auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        SetDCBrushColor(item->hDC, OwnEntryColour);
        FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class ReportListTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        currentSettings.theme = GetParam();
        applyTheme();
        WNDCLASSW wc{};
        wc.lpfnWndProc = ownerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PelmirtReportListOwner";
        RegisterClassW(&wc);
        owner_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 400, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        themedList = CreateWindowExW(0, WC_LISTVIEWW, L"", 0x50011009, 0, 0, 400, 200, owner_,
                                     reinterpret_cast<HMENU>(1), wc.hInstance, nullptr);
        ASSERT_NE(themedList, nullptr);
        installReportListTheming(themedList);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 150;
        column.pszText = const_cast<wchar_t*>(L"Size");
        for (int i = 0; i < 2; ++i) SendMessageW(themedList, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        SendMessageW(themedList, LVM_SETBKCOLOR, 0, toColorRef(theme.card));
        SendMessageW(themedList, LVM_SETTEXTBKCOLOR, 0, toColorRef(theme.card));
        SendMessageW(themedList, LVM_SETITEMCOUNT, 5, 0);
    }
    void TearDown() override {
        DestroyWindow(owner_);
        themedList = nullptr;
        deleteThemeBrushes();
        currentSettings = AppSettings{};
        applyTheme();
        deleteThemeBrushes();
    }
    HWND owner_ = nullptr;
};

TEST_P(ReportListTest, SelectedRowsTakeTheAccentWithTheFocusAndTheSoftAccentWithout) {
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED;
    SendMessageW(themedList, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(themedList, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    const int mid = (row.top + row.bottom) / 2;
    struct Case {
        bool focused, highContrast;
        Argb fill, text;
    } cases[] = {
        {true, false, theme.accent, theme.onAccent},
        {false, false, theme.accentSoft, theme.text},
        {true, true, 0, 0},  // the system's colours
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "focused " << c.focused << ", high contrast " << c.highContrast);
        SetFocus(c.focused ? themedList : owner_);
        theme.highContrast = c.highContrast;
        test::Dib dib(400, 200, 0xFFFF00FF);
        SendMessageW(themedList, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.dc()), PRF_CLIENT | PRF_ERASEBKGND);
        const uint32_t away = dib.rgb(row.right - 4, mid);  // right of the second column's short text
        if (c.highContrast) {
            EXPECT_NE(away, theme.accent & 0xFFFFFF);
            continue;
        }
        EXPECT_EQ(away, c.fill & 0xFFFFFF);
        bool textInk = false;
        for (int x = row.left; x < row.left + 60; ++x) textInk = textInk || dib.rgb(x, mid) == (c.text & 0xFFFFFF);
        EXPECT_TRUE(textInk) << "the row's text in its colour";
        EXPECT_EQ(dib.rgb(row.right - 4, mid + (row.bottom - row.top)), theme.card & 0xFFFFFF) << "the next row";
    }
    theme.highContrast = false;
}

TEST_P(ReportListTest, HeaderStripPastTheLastColumnTakesTheSurfaceColour) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(themedList, LVM_GETHEADER, 0, 0));
    RECT client{};
    GetClientRect(header, &client);
    ASSERT_GT(client.right, 310);
    test::Dib dib(400, 40, 0xFFFF00FF);
    SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.dc()), PRF_CLIENT);
    for (int x : {301, 350, static_cast<int>(client.right) - 1})
        EXPECT_EQ(dib.rgb(x, client.bottom / 2), theme.surface & 0xFFFFFF) << x;
    // Only past it: the last column keeps its title.
    RECT last{};
    ASSERT_TRUE(SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&last)));
    int ink = 0;
    for (int y = last.top + 2; y < last.bottom - 2; ++y)
        for (int x = last.left + 2; x < last.left + 60; ++x) ink += dib.rgb(x, y) != (theme.surface & 0xFFFFFF);
    EXPECT_GT(ink, 0) << "the title is painted over";
}

TEST_P(ReportListTest, DarkScrollBarArrowsStandInTheMiddleOfTheirButtons) {
    SendMessageW(themedList, LVM_SETITEMCOUNT, 500, 0);
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof(bar);
    ASSERT_TRUE(GetScrollBarInfo(themedList, OBJID_VSCROLL, &bar));
    RECT window{};
    GetWindowRect(themedList, &window);
    OffsetRect(&bar.rcScrollBar, -window.left, -window.top);
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);  // the test's windows are at 96 DPI
    const int thickness = bar.rcScrollBar.right - bar.rcScrollBar.left;
    const int b = thickness > 14 ? thickness / 5 / 2 : 1;
    const int x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
    test::Dib dib(420, 220, 0xFFFF00FF);
    SendMessageW(themedList, WM_PRINT, reinterpret_cast<WPARAM>(dib.dc()), PRF_NONCLIENT | PRF_CLIENT);
    const uint32_t tip = dib.rgb(x, bar.rcScrollBar.top + arrow / 2 - b);
    const uint32_t under = dib.rgb(x, bar.rcScrollBar.bottom - arrow / 2 + b);
    if (theme.dark) {
        EXPECT_EQ(tip, theme.mutedText & 0xFFFFFF) << "up arrow's tip";
        EXPECT_EQ(under, theme.mutedText & 0xFFFFFF) << "down arrow's tip";
        EXPECT_EQ(dib.rgb(x, bar.rcScrollBar.top + 1), 0u) << "the track";
    } else {
        EXPECT_NE(dib.rgb(x, bar.rcScrollBar.top + 1), 0u) << "the system's own bar";
    }
}

TEST_P(ReportListTest, FolderComboFrameAndButtonFollowTheDarkTheme) {
    HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", 0x50210042, 0, 250, 300, 200, owner_, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(combo, nullptr);
    auto print = [combo](test::Dib& dib) {
        dib.fillAll(0xFFFF00FF);
        SendMessageW(combo, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.dc()), PRF_CLIENT);
    };
    test::Dib system(300, 40), themed(300, 40);
    print(system);
    SetWindowSubclass(combo, comboFrameProc, ComboFrameSubclassId, 0);
    print(themed);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    GetComboBoxInfo(combo, &info);
    RECT client{};
    GetClientRect(combo, &client);
    const int mid = client.bottom / 2;
    if (!theme.dark) {
        EXPECT_TRUE(themed.samePixels(system)) << "the system's frame stays in the light theme";
        return;
    }
    EXPECT_EQ(themed.rgb(0, mid), theme.border & 0xFFFFFF);
    EXPECT_EQ(themed.rgb(client.right - 1, mid), theme.border & 0xFFFFFF);
    EXPECT_EQ(themed.rgb(1, mid), theme.card & 0xFFFFFF) << "no light edge inside the border";
    EXPECT_EQ(themed.rgb(info.rcButton.left + 1, info.rcButton.top + 1), theme.card & 0xFFFFFF) << "the button's face";
    const int cx = (info.rcButton.left + info.rcButton.right) / 2;
    EXPECT_EQ(themed.rgb(cx, (info.rcButton.top + info.rcButton.bottom) / 2 + 2), theme.mutedText & 0xFFFFFF)
        << "the chevron's tip";
}

TEST_P(ReportListTest, DropDownListComboKeepsItsOwnerDrawnEntryInsideTheFrame) {
    HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED |
                                 CBS_HASSTRINGS, 0, 250, 300, 200, owner_, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(combo, nullptr);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"English"));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    SetWindowSubclass(combo, comboFrameProc, ComboFrameSubclassId, 0);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    RECT client{};
    GetClientRect(combo, &client);
    test::Dib dib(client.right, client.bottom, 0xFFFF00FF);
    SendMessageW(combo, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.dc()), PRF_CLIENT);
    const int mid = client.bottom / 2;
    EXPECT_EQ(dib.rgb((info.rcItem.left + info.rcItem.right) / 2, mid), static_cast<uint32_t>(RGB(0x20, 0x10, 0xC0)))
        << "the owner's entry";  // COLORREF is BGR, the DIB's pixels RGB
    if (theme.dark) {
        EXPECT_EQ(dib.rgb(0, mid), theme.border & 0xFFFFFF) << "the frame";
    }
}

INSTANTIATE_TEST_SUITE_P(Themes, ReportListTest, testing::Values("light", "dark"));

}  // namespace
}  // namespace pm::ui
