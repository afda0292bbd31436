// The control registry and the custom-control subclasses on real child windows of a stand-in main
// window (headless under the null graphics driver).
#include "services/i18n/language.h"
#include "ui/control_procs.h"
#include "ui/control_registry.h"
#include "win_fixture.h"

#include <commctrl.h>

#include <algorithm>
#include <map>

namespace {

using namespace pm;
using namespace pm::test;

struct ControlsTest : MainWindowFixture {
    void SetUp() override {
        MainWindowFixture::SetUp();
        clearRegistry();
        ui::currentSettings = AppSettings{};
    }
    void TearDown() override {
        MainWindowFixture::TearDown();
        clearRegistry();
        ui::layoutScale = 1.0f;
    }
    static void clearRegistry() {
        ui::controlRegistry.clear();
        ui::controlTexts.clear();
        ui::controlBounds.clear();
        ui::buttonStates.clear();
    }
};

// Counts messages by kind on the windows it is installed on (subclass id 2, so it runs first).
std::map<HWND, std::map<UINT, int>> seenMessages;

LRESULT CALLBACK countingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    ++seenMessages[window][message];
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, countingProc, 2);
    return DefSubclassProc(window, message, wParam, lParam);
}

HWND countMessagesOf(HWND window) {
    seenMessages[window].clear();
    SetWindowSubclass(window, countingProc, 2, 0);
    return window;
}

void pumpFor(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    MSG message;
    while (GetTickCount64() < end) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(10);
    }
}

TEST_F(ControlsTest, CreateControlRegistersTranslatedChildrenAndFailures) {
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    ui::mainFontRegular = font;
    ui::createControl(101, L"Да", L"BUTTON", BS_OWNERDRAW);
    ui::createControl(102, L"Нет", L"NoSuchClass", 0);
    ui::mainFontRegular = nullptr;

    HWND button = ui::controlRegistry.at(101);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(GetParent(button), ui::mainWindow);
    EXPECT_EQ(GetDlgCtrlID(button), 101);
    EXPECT_EQ(windowText(button), L"Yes");
    EXPECT_EQ(ui::controlTexts.at(101), L"Да");
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)), font);
    EXPECT_EQ(SendMessageW(button, WM_ERASEBKGND, 0, 0), 1);  // customButtonProc is installed

    ASSERT_TRUE(ui::controlRegistry.contains(102));
    EXPECT_EQ(ui::controlRegistry.at(102), nullptr);
    EXPECT_EQ(ui::controlTexts.at(102), L"Нет");
    ui::setControlEnabled(102, false);  // a failed control is ignored quietly
}

TEST_F(ControlsTest, SetControlBoundsRoundsEachValueOnItsOwn) {
    ui::createControl(101, L"a", L"BUTTON", 0);
    const struct {
        float scale, x, y, w, h;
        RECT expected;
    } cases[] = {
        {1.0f, 10, 20, 100, 30, {10, 20, 110, 50}},
        {1.5f, 10, 20, 100, 31, {15, 30, 165, 77}},           // 46.5 + 0.5 -> 47
        {1.0f, 0.3f, 0.3f, 0.4f, 0.4f, {0, 0, 0, 0}},          // edges 0.7 would give 1: not derived
        {1.25f, 0.6f, 0.6f, 0.6f, 0.6f, {1, 1, 2, 2}},
        {2.0f, 0.24f, 0.26f, 0.24f, 0.26f, {0, 1, 0, 2}},
    };
    for (const auto& c : cases) {
        ui::layoutScale = c.scale;
        ui::setControlBounds(101, c.x, c.y, c.w, c.h);
        const RECT r = ui::controlBounds.at(101);
        EXPECT_EQ(r.left, c.expected.left) << c.scale << " " << c.x;
        EXPECT_EQ(r.top, c.expected.top) << c.scale << " " << c.y;
        EXPECT_EQ(r.right, c.expected.right) << c.scale << " " << c.w;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.scale << " " << c.h;
    }
    ui::setControlBounds(999, 1, 2, 3, 4);  // never created
    EXPECT_FALSE(ui::controlBounds.contains(999));
}

TEST_F(ControlsTest, SetControlEnabledSendsWmEnableOnlyOnAChange) {
    ui::createControl(101, L"a", L"BUTTON", 0);
    HWND button = countMessagesOf(ui::controlRegistry.at(101));
    const struct {
        bool enabled;
        int total;  // WM_ENABLE seen so far
    } steps[] = {{true, 0}, {false, 1}, {false, 1}, {true, 2}, {true, 2}};
    for (const auto& step : steps) {
        ui::setControlEnabled(101, step.enabled);
        EXPECT_EQ(seenMessages[button][WM_ENABLE], step.total);
        EXPECT_EQ(IsWindowEnabled(button) != FALSE, step.enabled);
    }
}

TEST_F(ControlsTest, LanguageComboListsEveryLanguageAndSelectsTheSetting) {
    ui::createControl(ui::LanguageComboId, L"", L"COMBOBOX", CBS_DROPDOWNLIST);
    HWND combo = ui::controlRegistry.at(ui::LanguageComboId);
    const auto& options = languageOptions();
    int german = -1;
    for (size_t i = 0; i < options.size(); ++i) {
        if (options[i].code == "de") german = static_cast<int>(i);
    }
    ASSERT_GT(german, 0);
    const struct {
        const char* setting;
        int selected;
    } cases[] = {{"system", 0}, {"de", german}, {"DE", 0}, {"xx", 0}, {"", 0}};
    for (const auto& c : cases) {
        ui::currentSettings.language = c.setting;
        ui::fillLanguageCombo();
        ui::fillLanguageCombo();  // a refill replaces the items
        EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(options.size()));
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), c.selected) << c.setting;
    }
    wchar_t item[128] = {};
    SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, L"Detect automatically");
    SendMessageW(combo, CB_GETLBTEXT, german, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(item, options[german].nativeName);
}

TEST_F(ControlsTest, ArabicRetextsChangedControlsOnlyAndNeverTheLanguageCombo) {
    ui::createControl(101, L"Да", L"BUTTON", 0);
    ui::createControl(102, L"Pelmirt", L"BUTTON", 0);  // no translation row: the same in every language
    ui::createControl(ui::LanguageComboId, L"Нет", L"COMBOBOX", CBS_DROPDOWN);
    SetWindowTextW(ui::controlRegistry.at(ui::LanguageComboId), L"No");
    for (const auto& [id, control] : ui::controlRegistry) countMessagesOf(control);

    currentLanguage = ArabicLanguage;
    ui::applyLanguageToControls();

    HWND yes = ui::controlRegistry.at(101);
    EXPECT_EQ(windowText(yes), translate(L"Да"));
    EXPECT_NE(windowText(yes), L"Yes");
    EXPECT_EQ(seenMessages[yes][WM_SETTEXT], 1);
    EXPECT_EQ(seenMessages[ui::controlRegistry.at(102)][WM_SETTEXT], 0);
    HWND combo = ui::controlRegistry.at(ui::LanguageComboId);
    EXPECT_EQ(seenMessages[combo][WM_SETTEXT], 0);
    EXPECT_EQ(windowText(combo), L"No");
}

// The state each message leaves on a main-window button, in sequence.
TEST_F(ControlsTest, ButtonHoverAndPressFollowMouseAndKeyboard) {
    ui::createControl(101, L"a", L"BUTTON", BS_OWNERDRAW);
    HWND button = ui::controlRegistry.at(101);
    const struct {
        UINT message;
        WPARAM wParam;
        uint8_t hover, pressed;
    } steps[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, 0, 1}, {WM_LBUTTONUP, 0, 0, 0},
        {WM_MOUSEMOVE, 0, 1, 0},            {WM_MOUSEMOVE, 0, 1, 0},
        {WM_LBUTTONDOWN, MK_LBUTTON, 1, 1}, {WM_CAPTURECHANGED, 0, 1, 0},  // by a real ReleaseCapture
        {WM_KEYDOWN, VK_SPACE, 1, 1},       {WM_KEYUP, VK_SPACE, 1, 0},
        {WM_KEYDOWN, VK_RETURN, 1, 1},      {WM_KILLFOCUS, 0, 1, 0},
        {WM_KEYDOWN, 'A', 1, 0},            {WM_KEYUP, 'A', 1, 0},
        {WM_LBUTTONDOWN, MK_LBUTTON, 1, 1}, {WM_CANCELMODE, 0, 1, 0},
        {WM_KEYDOWN, VK_SPACE, 1, 1},       {WM_MOUSELEAVE, 0, 0, 0},
    };
    int n = 0;
    for (const auto& step : steps) {
        // The button holds the capture from its WM_LBUTTONDOWN: a capture change is a real one, or
        // the next SetCapture of the button would bring a second one.
        if (step.message == WM_CAPTURECHANGED) {
            ReleaseCapture();
        } else {
            SendMessageW(button, step.message, step.wParam, 0);
        }
        const ui::ButtonState& state = ui::buttonStates[101];
        EXPECT_EQ(state.hover, step.hover) << "step " << n;
        EXPECT_EQ(state.pressed, step.pressed) << "step " << n;
        ++n;
    }
    DestroyWindow(button);
    EXPECT_FALSE(ui::buttonStates.contains(101));
}

// The window TrackMouseEvent watches for this thread, or null.
HWND trackedWindow() {
    TRACKMOUSEEVENT query{sizeof(query), TME_QUERY, nullptr, 0};
    TrackMouseEvent(&query);
    return (query.dwFlags & TME_LEAVE) ? query.hwndTrack : nullptr;
}

TEST_F(ControlsTest, HoverAsksForOneLeaveNoticeAndLeavingStartsTheAnimation) {
    ui::createControl(101, L"a", L"BUTTON", WS_VISIBLE | BS_OWNERDRAW);
    HWND button = countMessagesOf(ui::controlRegistry.at(101));
    SetWindowPos(button, nullptr, 10, 10, 80, 30, SWP_NOZORDER);
    POINT centre{40, 15};
    ClientToScreen(button, &centre);
    SetCursorPos(centre.x, centre.y);  // TrackMouseEvent watches only a window under the pointer

    // The pointer leaves for real: the notice clears hover and starts the animation timer.
    SendMessageW(button, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(trackedWindow(), button);
    SetCursorPos(0, 0);
    for (int i = 0; i < 200 && seenMessages[button][WM_MOUSELEAVE] == 0; ++i) pumpFor(10);
    EXPECT_EQ(seenMessages[button][WM_MOUSELEAVE], 1);
    EXPECT_EQ(ui::buttonStates[101].hover, 0);
    EXPECT_TRUE(ui::animationTimerRunning);
    EXPECT_TRUE(KillTimer(ui::mainWindow, 3));

    // Moving on while hovering asks for no second notice.
    SetCursorPos(centre.x, centre.y);
    SendMessageW(button, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(trackedWindow(), button);
    TRACKMOUSEEVENT cancel{sizeof(cancel), TME_CANCEL | TME_LEAVE, button, 0};
    TrackMouseEvent(&cancel);
    SendMessageW(button, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(trackedWindow(), nullptr);
    EXPECT_EQ(ui::buttonStates[101].hover, 1);
}

TEST_F(ControlsTest, KeyboardClickStillReachesTheOwner) {
    ui::createControl(101, L"a", L"BUTTON", BS_OWNERDRAW);
    HWND button = ui::controlRegistry.at(101);
    SetWindowPos(button, nullptr, 10, 10, 80, 30, SWP_NOZORDER);
    SetFocus(button);
    SendMessageW(button, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(ui::buttonStates[101].pressed, 1);
    SendMessageW(button, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(ui::buttonStates[101].pressed, 0);
    EXPECT_EQ(commands, (std::vector<WPARAM>{MAKEWPARAM(101, BN_CLICKED)}));
}

TEST_F(ControlsTest, HoverRepaintInvalidatesWithoutErasingOrRaisingTheGeneration) {
    HWND button = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 10, 10, 80, 30,
                                  ui::mainWindow, nullptr, ui::appInstance, nullptr);
    SetWindowSubclass(button, ui::hoverRepaintProc, 1, 0);
    UpdateWindow(button);
    const uint64_t generation = ui::uiGeneration;
    EXPECT_EQ(SendMessageW(button, WM_ERASEBKGND, 0, 0), 1);
    const UINT messages[] = {WM_MOUSEMOVE, WM_MOUSELEAVE, WM_SETFOCUS, WM_KILLFOCUS, WM_CAPTURECHANGED};
    for (UINT message : messages) {
        ValidateRect(button, nullptr);
        SendMessageW(button, message, 0, 0);
        RECT dirty{};
        EXPECT_TRUE(GetUpdateRect(button, &dirty, FALSE)) << message;
    }
    EXPECT_EQ(ui::uiGeneration, generation);
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
    ASSERT_NE(header, nullptr);

    const struct {
        HWND from;
        UINT code;
        bool forwarded;
    } cases[] = {
        {header, static_cast<UINT>(NM_CUSTOMDRAW), true},
        {ui::mainWindow, static_cast<UINT>(NM_CUSTOMDRAW), false},  // another window's custom draw
        {header, static_cast<UINT>(NM_RCLICK), false},
    };
    for (const auto& c : cases) {
        customDraws.clear();
        NMCUSTOMDRAW draw{};
        draw.hdr = {c.from, 0, c.code};
        draw.dwDrawStage = CDDS_PREPAINT;
        const LRESULT result = SendMessageW(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
        EXPECT_EQ(customDraws.size(), c.forwarded ? 1u : 0u);
        if (c.forwarded) {
            EXPECT_EQ(result, CDRF_NOTIFYITEMDRAW);  // the owner's answer comes back
        }
    }

    // The header's own painting reaches the owner too.
    customDraws.clear();
    InvalidateRect(header, nullptr, TRUE);
    UpdateWindow(header);
    EXPECT_NE(std::find(customDraws.begin(), customDraws.end(), header), customDraws.end());
}

}  // namespace
