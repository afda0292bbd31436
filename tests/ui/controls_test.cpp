// The control registry and the custom-control subclasses on real children of the stand-in main
// window (headless under the null graphics driver).
#include "services/i18n/language.h"
#include "ui/back_buffer.h"
#include "ui/control_procs.h"
#include "ui/control_registry.h"
#include "win_fixture.h"

#include <algorithm>
#include <map>

namespace {

using namespace pm;
using namespace pm::test;

struct ControlsTest : MainWindowFixture {
    void TearDown() override {
        MainWindowFixture::TearDown();
        ui::controlRegistry.clear();
        ui::controlTexts.clear();
        ui::controlBounds.clear();
        ui::buttonStates.clear();
        ui::layoutScale = 1.0f;
        ui::currentSettings = AppSettings{};
    }
    HWND create(int id, const wchar_t* text, const wchar_t* className = L"BUTTON", DWORD style = BS_OWNERDRAW) {
        ui::createControl(id, text, className, style);
        return ui::controlRegistry.at(id);
    }
};

// Counts messages by kind; installed with subclass id 2, so it sees them first.
std::map<HWND, std::map<UINT, int>> seen;

HWND countMessagesOf(HWND window) {
    seen[window].clear();
    SetWindowSubclass(window, [](HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
        ++seen[w][m];
        return DefSubclassProc(w, m, wp, lp);
    }, 2, 0);
    return window;
}

TEST_F(ControlsTest, RegistryKeepsFailuresEnablesOnChangeOnlyAndRoundsBoundsOnTheirOwn) {
    ui::mainFontRegular = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HWND button = countMessagesOf(create(101, L"Да"));
    EXPECT_EQ(create(102, L"Нет", L"NoSuchClass"), nullptr);  // registered all the same
    EXPECT_EQ(ui::controlTexts.at(102), L"Нет");
    EXPECT_EQ(windowText(button), L"Yes");
    EXPECT_EQ(GetDlgCtrlID(button), 101);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)), ui::mainFontRegular);
    ui::mainFontRegular = nullptr;

    for (bool enabled : {true, false, false, true}) ui::setControlEnabled(101, enabled);
    ui::setControlEnabled(102, false);  // no window: nothing happens
    EXPECT_EQ(seen[button][WM_ENABLE], 2);

    const struct {
        float scale, x, y, w, h;
        RECT expected;
    } cases[] = {
        {1.5f, 10, 20, 100, 31, {15, 30, 165, 77}},      // 46.5 + 0.5 -> 47
        {1.0f, 0.3f, 0.3f, 0.4f, 0.4f, {0, 0, 0, 0}},   // from the edges 0.7 the width would be 1
        {1.25f, 0.6f, 0.6f, 0.6f, 0.6f, {1, 1, 2, 2}},
    };
    for (const auto& c : cases) {
        ui::layoutScale = c.scale;
        ui::setControlBounds(101, c.x, c.y, c.w, c.h);
        const RECT r = ui::controlBounds.at(101);
        EXPECT_TRUE(EqualRect(&r, &c.expected)) << c.scale << " " << c.x << ": " << r.left << "," << r.top
                                                << "," << r.right << "," << r.bottom;
    }
    ui::setControlBounds(999, 1, 2, 3, 4);  // never created
    EXPECT_FALSE(ui::controlBounds.contains(999));
}

TEST_F(ControlsTest, LanguageComboListsEveryLanguageAndSelectsTheSetting) {
    HWND combo = create(ui::LanguageComboId, L"", L"COMBOBOX", CBS_DROPDOWNLIST);
    const auto& options = languageOptions();
    const auto german = std::find_if(options.begin(), options.end(), [](auto& o) { return o.code == "de"; });
    const LRESULT germanIndex = german - options.begin();
    const struct {
        const char* setting;
        LRESULT selected;
    } cases[] = {{"system", 0}, {"de", germanIndex}, {"DE", 0}, {"xx", 0}};
    for (const auto& c : cases) {
        ui::currentSettings.language = c.setting;
        ui::fillLanguageCombo();
        EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(options.size()));
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), c.selected) << c.setting;
    }
    wchar_t item[128] = {};
    SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, L"Detect automatically");
    SendMessageW(combo, CB_GETLBTEXT, germanIndex, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(item, german->nativeName);
}

TEST_F(ControlsTest, ArabicRetextsChangedControlsOnlyAndNeverTheLanguageCombo) {
    HWND yes = countMessagesOf(create(101, L"Да"));
    HWND same = countMessagesOf(create(102, L"Pelmirt"));  // no translation row
    HWND combo = create(ui::LanguageComboId, L"Нет", L"COMBOBOX", CBS_DROPDOWN);
    SetWindowTextW(combo, L"No");
    countMessagesOf(combo);
    currentLanguage = ArabicLanguage;
    ui::applyLanguageToControls();
    EXPECT_EQ(windowText(yes), L"نعم");
    EXPECT_EQ(seen[same][WM_SETTEXT], 0);
    EXPECT_EQ(seen[combo][WM_SETTEXT], 0);
    EXPECT_EQ(windowText(combo), L"No");
}

TEST_F(ControlsTest, ButtonHoverAndPressFollowMouseAndKeyboard) {
    HWND button = create(101, L"a");
    const struct {
        UINT message;
        WPARAM wParam;
        uint8_t hover, pressed;
    } steps[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, 0, 1}, {WM_LBUTTONUP, 0, 0, 0},     {WM_MOUSEMOVE, 0, 1, 0},
        {WM_LBUTTONDOWN, MK_LBUTTON, 1, 1}, {WM_CAPTURECHANGED, 0, 1, 0}, {WM_KEYDOWN, VK_SPACE, 1, 1},
        {WM_KEYUP, VK_SPACE, 1, 0},         {WM_KEYDOWN, VK_RETURN, 1, 1}, {WM_KILLFOCUS, 0, 1, 0},
        {WM_KEYDOWN, 'A', 1, 0},            {WM_KEYDOWN, VK_SPACE, 1, 1},  {WM_MOUSELEAVE, 0, 0, 0},
    };
    for (const auto& step : steps) {
        // The button holds the capture since its WM_LBUTTONDOWN: only a real release changes it.
        if (step.message == WM_CAPTURECHANGED) ReleaseCapture();
        else SendMessageW(button, step.message, step.wParam, 0);
        EXPECT_EQ(ui::buttonStates[101].hover, step.hover) << &step - steps;
        EXPECT_EQ(ui::buttonStates[101].pressed, step.pressed) << &step - steps;
    }
    EXPECT_EQ(SendMessageW(button, WM_ERASEBKGND, 0, 0), 1);
    auto& buffer = ui::childBackBuffers[button] = std::make_unique<ui::BackBuffer>();
    ASSERT_TRUE(ui::ensureBackBuffer(*buffer, 8, 8));
    DestroyWindow(button);  // its state and its buffer go with it
    EXPECT_FALSE(ui::buttonStates.contains(101));
    EXPECT_FALSE(ui::childBackBuffers.contains(button));
}

HWND trackedWindow() {
    TRACKMOUSEEVENT query{sizeof(query), TME_QUERY, nullptr, 0};
    TrackMouseEvent(&query);
    return (query.dwFlags & TME_LEAVE) ? query.hwndTrack : nullptr;
}

TEST_F(ControlsTest, HoverAsksForOneLeaveNoticeAndLeavingStartsTheAnimation) {
    HWND button = countMessagesOf(create(101, L"a", L"BUTTON", WS_VISIBLE | BS_OWNERDRAW));
    SetWindowPos(button, nullptr, 10, 10, 80, 30, SWP_NOZORDER);
    POINT centre{40, 15};
    ClientToScreen(button, &centre);
    // TrackMouseEvent watches only a window under the pointer: ours, above other tests' windows.
    SetWindowPos(ui::mainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetCursorPos(centre.x, centre.y);
    SendMessageW(button, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(trackedWindow(), button);
    SetCursorPos(0, 0);
    MSG message;
    for (int i = 0; i < 200 && !seen[button][WM_MOUSELEAVE]; ++i, Sleep(10)) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    EXPECT_EQ(ui::buttonStates[101].hover, 0);
    EXPECT_TRUE(ui::animationTimerRunning);
    EXPECT_TRUE(KillTimer(ui::mainWindow, 3));

    // Moving on while hovering asks for no second notice.
    SetCursorPos(centre.x, centre.y);
    SendMessageW(button, WM_MOUSEMOVE, 0, 0);
    TRACKMOUSEEVENT cancel{sizeof(cancel), TME_CANCEL | TME_LEAVE, button, 0};
    TrackMouseEvent(&cancel);
    SendMessageW(button, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(trackedWindow(), nullptr);
}

TEST_F(ControlsTest, OnlyTheListsOwnHeaderCustomDrawIsForwarded) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 200,
                                ui::mainWindow, nullptr, ui::appInstance, nullptr);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 120;
    column.pszText = const_cast<wchar_t*>(L"Path");
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    SetWindowSubclass(list, ui::listHeaderForwardProc, 1, 0);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const struct {
        HWND from;
        UINT code;
        LRESULT result;  // CDRF_NOTIFYITEMDRAW is the owner's answer
    } cases[] = {{header, static_cast<UINT>(NM_CUSTOMDRAW), CDRF_NOTIFYITEMDRAW},
                 {ui::mainWindow, static_cast<UINT>(NM_CUSTOMDRAW), 0},  // another window's custom draw
                 {header, static_cast<UINT>(NM_RCLICK), 0}};
    for (const auto& c : cases) {
        customDraws.clear();
        NMCUSTOMDRAW draw{};
        draw.hdr = {c.from, 0, c.code};
        draw.dwDrawStage = CDDS_PREPAINT;
        EXPECT_EQ(SendMessageW(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw)), c.result);
        EXPECT_EQ(customDraws.size(), c.result ? 1u : 0u);
    }
    customDraws.clear();  // the header's own painting reaches the owner too
    InvalidateRect(header, nullptr, TRUE);
    UpdateWindow(header);
    EXPECT_NE(std::find(customDraws.begin(), customDraws.end(), header), customDraws.end());
}

}  // namespace
