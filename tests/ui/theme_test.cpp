// The theme's colour tables, names and brushes, and the list-view subclasses on real windows.
#include "ui/list_theming.h"
#include "ui/list_theming_internal.h"
#include "ui/shell_state.h"
#include "ui/theme.h"
#include "ui/theme_internal.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

namespace {

using namespace pm::ui;

TEST(MixColor, TruncatesEachChannelAndClampsTheWeight) {
    const struct {
        Argb a, b;
        float t;
        Argb expected;
    } cases[] = {
        {0xFF0A1C1C, 0xFF00864D, 0.12f, 0xFF082821},  // red 8.8 becomes 8
        {0x00000000, 0x00FFFFFF, 0.5f, 0xFF7F7F7F},   // alpha is always FF
        {0xFF102030, 0xFF405060, -1.0f, 0xFF102030},
        {0xFF102030, 0xFF405060, 2.0f, 0xFF405060},
        {0xFFFFFFFF, 0xFF000000, 0.999f, 0xFF000000},  // 0.255 truncated
    };
    for (const auto& c : cases) EXPECT_EQ(mixColor(c.a, c.b, c.t), c.expected) << std::hex << c.a << " " << c.b;
}

TEST(ToColorRef, SwapsRedAndBlueAndDropsAlpha) {
    EXPECT_EQ(toColorRef(0x80123456), RGB(0x12, 0x34, 0x56));
}

TEST(ThemeColours, EveryPaletteInLightAndDark) {
    // Accent, then the light side bar, light soft accent, dark accent text and dark soft accent.
    const struct {
        const char* palette;
        Argb accent, lightNav, lightSoft, darkAccentText, darkSoft;
    } cases[] = {
        {"emerald", 0xFF00864D, 0xFF082821, 0xFFE8F4EE, 0xFF72BC9D, 0xFF12312D},
        {"blue", 0xFF236BDD, 0xFF0D2533, 0xFFEBF1FB, 0xFF86ADEC, 0xFF182C47},
        {"violet", 0xFF7C4DD8, 0xFF172132, 0xFFF3EEFB, 0xFFB69DE9, 0xFF282746},
        {"amber", 0xFF9B6008, 0xFF1B2419, 0xFFF6F0E8, 0xFFC8A777, 0xFF2D2A21},
        {"rose", 0xFFCA3767, 0xFF211F25, 0xFFFAEDF1, 0xFFE191AB, 0xFF362332},
        {"teal", 0xFF007981, 0xFF082728, 0xFFE8F2F3, 0xFF72B5B9, 0xFF122F37},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.palette);
        const Argb accent = detail::paletteAccent(c.palette);
        EXPECT_EQ(accent, c.accent);
        Theme light, dark;
        detail::fillThemeColours(light, false, accent, false);
        detail::fillThemeColours(dark, true, accent, false);
        const Argb lightRoles[13] = {0xFFF4F7F9, c.lightNav, 0xFFFFFFFF, 0xFFF8FAFB, 0xFF15222F, 0xFF687B89, 0xFFDFE7EB,
                                     c.accent,   c.accent,   c.lightSoft, 0xFFFFFFFF, 0xFFECF9F4, 0xFF92B1AD};
        const Argb darkRoles[13] = {0xFF0D141A, 0xFF0A191D,       0xFF161F27, 0xFF1C2831, 0xFFE8F0F5,
                                    0xFF98ADBB, 0xFF2E3D49,       c.accent,   c.darkAccentText,
                                    c.darkSoft, 0xFFFFFFFF,       0xFFECF9F4, 0xFF92B1AD};
        const Theme* themes[2] = {&light, &dark};
        const Argb* expected[2] = {lightRoles, darkRoles};
        for (int mode = 0; mode < 2; ++mode) {
            const Theme& t = *themes[mode];
            const Argb roles[13] = {t.background, t.navBackground, t.card,       t.surface,  t.text,
                                    t.mutedText,  t.border,        t.accent,     t.accentText,
                                    t.accentSoft, t.onAccent,      t.navText,    t.navMutedText};
            for (int i = 0; i < 13; ++i) EXPECT_EQ(roles[i], expected[mode][i]) << "mode " << mode << " role " << i;
        }
    }
}

TEST(ThemeColours, PaletteNamesAreExact) {
    for (const char* name : {"", "Teal", "TEAL", " teal", "teal ", "green", "emerald"})
        EXPECT_EQ(detail::paletteAccent(name), 0xFF00864Du) << name;
    EXPECT_EQ(detail::paletteAccent("teal"), 0xFF007981u);
}

TEST(ThemeColours, ThemeNamesAreExact) {
    EXPECT_TRUE(detail::themeIsDark("dark"));
    for (const char* name : {"light", "Dark", "DARK", "dark ", "", "purple"}) EXPECT_FALSE(detail::themeIsDark(name)) << name;
}

TEST(ThemeColours, HighContrastTakesTheSystemColours) {
    auto argb = [](int index) {
        const COLORREF c = GetSysColor(index);
        return 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    };
    for (bool dark : {false, true}) {
        Theme t;
        detail::fillThemeColours(t, dark, 0xFFCA3767, true);
        for (Argb role : {t.background, t.card, t.surface, t.navBackground, t.accentSoft})
            EXPECT_EQ(role, argb(COLOR_WINDOW));
        for (Argb role : {t.text, t.mutedText, t.navText, t.navMutedText, t.border, t.accentText})
            EXPECT_EQ(role, argb(COLOR_WINDOWTEXT));
        EXPECT_EQ(t.accent, argb(COLOR_HIGHLIGHT));
        EXPECT_EQ(t.onAccent, argb(COLOR_HIGHLIGHTTEXT));
    }
}

class AppliedTheme : public testing::Test {
protected:
    void TearDown() override {
        deleteThemeBrushes();
        currentSettings = pm::AppSettings{};
    }
};

TEST_F(AppliedTheme, FollowsTheSettingsAndReplacesItsBrushes) {
    currentSettings.theme = "dark";
    currentSettings.palette = "teal";
    applyTheme();
    EXPECT_TRUE(theme.dark);
    EXPECT_EQ(theme.accent, 0xFF007981u);
    EXPECT_EQ(theme.card, 0xFF161F27u);
    const HBRUSH first[3] = {theme.cardBrush, theme.backgroundBrush, theme.surfaceBrush};
    for (HBRUSH brush : first) ASSERT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    LOGBRUSH lb{};
    GetObjectW(theme.surfaceBrush, sizeof(lb), &lb);
    EXPECT_EQ(lb.lbColor, toColorRef(0xFF1C2831));

    currentSettings.theme = "light";
    currentSettings.palette = "rose";
    applyTheme();
    EXPECT_FALSE(theme.dark);
    EXPECT_EQ(theme.accent, 0xFFCA3767u);
    GetObjectW(theme.cardBrush, sizeof(lb), &lb);
    EXPECT_EQ(lb.lbColor, RGB(255, 255, 255));
    // The first brushes are deleted, not leaked (the new ones may reuse a freed handle).
    for (HBRUSH brush : first) {
        if (brush != theme.cardBrush && brush != theme.backgroundBrush && brush != theme.surfaceBrush) {
            EXPECT_EQ(GetObjectType(brush), 0u);
        }
    }
    deleteThemeBrushes();
    EXPECT_EQ(theme.cardBrush, nullptr);
}

TEST_F(AppliedTheme, RepaintsTheMainWindowThroughTheGenerationCounter) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    mainWindow = window;
    const uint64_t before = uiGeneration;
    applyTheme();
    EXPECT_EQ(uiGeneration, before + 1);
    mainWindow = nullptr;
    applyTheme();  // no main window: nothing to repaint, nothing fails
    EXPECT_EQ(uiGeneration, before + 1);
    DestroyWindow(window);
}

TEST_F(AppliedTheme, RealHighContrastIsReducedAndNotDark) {
    HIGHCONTRASTW on{};
    on.cbSize = sizeof(on);
    on.dwFlags = HCF_HIGHCONTRASTON;
    if (!SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(on), &on, 0))
        GTEST_SKIP() << "high contrast cannot be switched on here (SPI_SETHIGHCONTRAST fails, error "
                     << GetLastError() << ")";
    currentSettings.theme = "dark";
    applyTheme();
    EXPECT_TRUE(theme.highContrast);
    EXPECT_TRUE(theme.reduceMotion);
    HIGHCONTRASTW off{};
    off.cbSize = sizeof(off);
    SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(off), &off, 0);
}

TEST(ScrollBarShapes, TenPixelBarsGetTheSmallInsetCornerAndChevrons) {
    const auto v = detail::scrollBarShapes(RECT{100, 0, 110, 200}, false, 30, 70, 10);
    EXPECT_EQ(v.thumb.left, 102);
    EXPECT_EQ(v.thumb.right, 108);
    EXPECT_EQ(v.thumb.top, 30);
    EXPECT_EQ(v.thumb.bottom, 70);
    EXPECT_EQ(v.corner, 5);
    // Up chevron at y = 5: (x - 2, y + 1) -> (x, y - 1) -> (x + 2, y + 1) with x = 105.
    EXPECT_EQ(v.chevrons[0][0].x, 103);
    EXPECT_EQ(v.chevrons[0][0].y, 6);
    EXPECT_EQ(v.chevrons[0][1].x, 105);
    EXPECT_EQ(v.chevrons[0][1].y, 4);
    EXPECT_EQ(v.chevrons[0][2].x, 107);
    EXPECT_EQ(v.chevrons[1][1].y, 196);  // down chevron's tip at 195 + 1

    const auto h = detail::scrollBarShapes(RECT{0, 50, 300, 60}, true, 40, 90, 10);
    EXPECT_EQ(h.thumb.left, 40);
    EXPECT_EQ(h.thumb.top, 52);
    EXPECT_EQ(h.thumb.right, 90);
    EXPECT_EQ(h.thumb.bottom, 58);
    EXPECT_EQ(h.chevrons[0][1].x, 4);   // left tip at 5 - 1
    EXPECT_EQ(h.chevrons[1][1].x, 296); // right tip at 295 + 1
    EXPECT_EQ(h.chevrons[1][0].y, 53);  // 55 - 2
}

TEST(ScrollBarShapes, ThickBarsScaleTheirInsetAndChevrons) {
    const auto v = detail::scrollBarShapes(RECT{0, 0, 20, 200}, false, 20, 60, 20);
    EXPECT_EQ(v.thumb.left, 5);   // 20 >> 2
    EXPECT_EQ(v.corner, 10);
    EXPECT_EQ(v.chevrons[0][0].x, 10 - 4);  // a = 20 / 5
    EXPECT_EQ(v.chevrons[0][0].y, 10 + 2);  // b = a / 2
    const auto thin = detail::scrollBarShapes(RECT{0, 0, 5, 100}, false, 10, 20, 5);
    EXPECT_EQ(thin.corner, 2);
}

// A window with a counting procedure underneath darkScrollBarProc.
struct Seen {
    int ncPaint = 0;
    bool timerDuringClick = false;
};
Seen seen;

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCPAINT) ++seen.ncPaint;
    if (message == WM_NCLBUTTONDOWN) {
        // Inside the default handling: the repaint timer must be running now.
        Sleep(40);
        MSG msg{};
        seen.timerDuringClick = PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE) &&
                                msg.wParam == ScrollBarRepaintTimerId;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class DarkScrollBars : public testing::Test {
protected:
    void SetUp() override {
        seen = Seen{};
        WNDCLASSW wc{};
        wc.lpfnWndProc = probeProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PelmirtScrollProbe";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, L"PelmirtScrollProbe", L"", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE,
                                  0, 0, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(SetWindowSubclass(window_, darkScrollBarProc, DarkScrollBarSubclassId, 0));
        theme.dark = true;
        theme.highContrast = false;
        seen = Seen{};  // showing the window painted its frame before the subclass was there
    }
    void TearDown() override {
        theme = Theme{};
        if (window_) DestroyWindow(window_);
    }
    bool timerPending() {
        MSG msg{};
        Sleep(40);
        return PeekMessageW(&msg, window_, WM_TIMER, WM_TIMER, PM_REMOVE) && msg.wParam == ScrollBarRepaintTimerId;
    }
    HWND window_ = nullptr;
};

TEST_F(DarkScrollBars, TheRepaintTimerLivesOnlyDuringTheClick) {
    MSG msg{};
    while (PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    SendMessageW(window_, WM_NCLBUTTONDOWN, HTVSCROLL, 0);
    EXPECT_TRUE(seen.timerDuringClick);
    while (PeekMessageW(&msg, window_, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
    EXPECT_FALSE(timerPending());
    EXPECT_FALSE(KillTimer(window_, ScrollBarRepaintTimerId));
}

TEST_F(DarkScrollBars, PaintsTheFrameItselfWhileDarkAndLeavesItToTheSystemOtherwise) {
    SendMessageW(window_, WM_NCPAINT, 1, 0);
    EXPECT_EQ(seen.ncPaint, 0);
    EXPECT_EQ(SendMessageW(window_, WM_TIMER, ScrollBarRepaintTimerId, 0), 0);
    theme.highContrast = true;
    SendMessageW(window_, WM_NCPAINT, 1, 0);
    EXPECT_EQ(seen.ncPaint, 1);
    theme.highContrast = false;
    theme.dark = false;
    SendMessageW(window_, WM_NCPAINT, 1, 0);
    EXPECT_EQ(seen.ncPaint, 2);
    SendMessageW(window_, WM_NCLBUTTONDOWN, HTVSCROLL, 0);
    EXPECT_FALSE(seen.timerDuringClick);
}

TEST_F(DarkScrollBars, RemovesItselfOnNcDestroy) {
    // The probe class ignores a WM_NCDESTROY sent by hand, so the window stays usable afterwards.
    SendMessageW(window_, WM_NCDESTROY, 0, 0);
    SendMessageW(window_, WM_NCPAINT, 1, 0);
    EXPECT_EQ(seen.ncPaint, 1);
}

TEST(DarkScrollBarsOnAListView, PaintRunsOverARealScrollingListView) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | WS_VISIBLE | LVS_REPORT, 0, 0, 200, 120, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = 600;
    column.pszText = const_cast<wchar_t*>(L"Path");
    ListView_InsertColumn(list, 0, &column);
    for (int i = 0; i < 50; ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<wchar_t*>(L"C:\\Users\\someone\\AppData\\Local\\Temp\\file.tmp");
        ListView_InsertItem(list, &item);
    }
    ASSERT_TRUE(SetWindowSubclass(list, darkScrollBarProc, DarkScrollBarSubclassId, 0));
    theme.dark = true;
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetScrollBarInfo(list, OBJID_VSCROLL, &info));
    EXPECT_FALSE(info.rgstate[0] & STATE_SYSTEM_INVISIBLE) << "50 rows in 120 pixels scroll";
    SendMessageW(list, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(list, WM_NCPAINT, 1, 0);
    paintScrollBars(list, RGB(0x2E, 0x3D, 0x49), RGB(0x98, 0xAD, 0xBB));
    EXPECT_EQ(ListView_GetTopIndex(list), 1);
    DestroyWindow(list);  // WM_NCDESTROY through the subclass: timer killed, subclass removed
    theme = Theme{};
}

}  // namespace
