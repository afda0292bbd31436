// Preview windows of an analysis: their rows, each cell's text through the real list view, their
// independence from later scans, and the command without an analysis.
#include "app/app_messages.h"
#include "app/format_bytes.h"
#include "app/preview_window.h"
#include "app/preview_window_internal.h"
#include "app/shell_globals.h"
#include "app/window_frame.h"
#include "services/i18n/translate.h"
#include "tests/app/list_pixels.h"
#include "tests/app/real_keys.h"
#include "tests/ui/draw_support.h"
#include "tests/ui/win_fixture.h"
#include "ui/theme.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pm {
namespace {

FileEntry entry(const std::wstring& path, uint64_t size, CleanCategory category) {
    FileEntry e;
    e.path = path;
    e.size = size;
    e.category = category;
    return e;
}

class PreviewWindowTest : public test::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        analysisPresent = true;
        scanReport = ScanReport{};
    }
    void TearDown() override {
        const std::vector<HWND> open(previewWindows);
        for (HWND window : open) DestroyWindow(window);
        EXPECT_TRUE(previewWindows.empty());
        previewWindows.clear();
        analysisPresent = false;
        scanReport = ScanReport{};
        MainWindowFixture::TearDown();
    }

    static HWND list(HWND window) { return GetDlgItem(window, PreviewListId); }
    static int rows(HWND window) { return static_cast<int>(SendMessageW(list(window), LVM_GETITEMCOUNT, 0, 0)); }
    // Asks the list view, which asks the window (LVN_GETDISPINFOW).
    static std::wstring cell(HWND window, int item, int column) {
        wchar_t buffer[1024] = {};
        LVITEMW lv{};
        lv.iSubItem = column;
        lv.pszText = buffer;
        lv.cchTextMax = 1024;
        SendMessageW(list(window), LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
        return buffer;
    }
    HWND openOne() {
        const size_t before = previewWindows.size();
        openPreviewWindow();
        return previewWindows.size() == before + 1 ? previewWindows.back() : nullptr;
    }
};

TEST_F(PreviewWindowTest, OneRowPerEntryAndOneForANonEmptyRecycleBin) {
    struct Case {
        size_t entries;
        int64_t binItems;
        int rows;
    };
    for (const Case& c : {Case{3, 0, 3}, Case{0, 5, 1}, Case{3, 5, 4}, Case{0, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << c.entries << " entries, " << c.binItems << " in the bin");
        scanReport.entries.assign(c.entries, entry(L"C:\\t\\a.tmp", 10, CleanCategory::Temp));
        scanReport.recycleBinItems = c.binItems;
        HWND window = openOne();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(rows(window), c.rows);
        EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, WS_EX_APPWINDOW);
        EXPECT_EQ(GetWindow(window, GW_OWNER), ui::mainWindow);
        DestroyWindow(window);
    }
}

TEST_F(PreviewWindowTest, EachColumnShowsCategorySizeAndPath) {
    scanReport.entries = {entry(L"C:\\users\\root\\Temp\\old.tmp", 1536, CleanCategory::Temp),
                          entry(L"C:\\cache\\Default\\Cache\\f_000001", 4096000, CleanCategory::BrowserCache),
                          entry(L"C:\\$Recycle.Bin\\x", 7, CleanCategory::RecycleBin)};
    scanReport.recycleBinItems = 5;
    scanReport.recycleBinBytes = 123456789;
    HWND window = openOne();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(rows(window), 4);
    const wchar_t* categories[] = {L"Temporary files", L"Browser cache", L"Recycle Bin"};
    for (int i = 0; i < 3; ++i) {
        const FileEntry& e = scanReport.entries[static_cast<size_t>(i)];
        EXPECT_EQ(cell(window, i, 0), categories[i]);
        EXPECT_EQ(cell(window, i, 1), formatBytes(e.size));
        EXPECT_EQ(cell(window, i, 2), e.path);
    }
    EXPECT_EQ(cell(window, 3, 0), L"Recycle Bin");
    EXPECT_EQ(cell(window, 3, 1), formatBytes(123456789));
    EXPECT_EQ(cell(window, 3, 2), L"Current user’s Recycle Bin: 5 files. View contents in the Windows Recycle Bin.");

    currentLanguage = 0;
    SendMessageW(window, WM_APP + 20, 0, 0);
    EXPECT_EQ(cell(window, 1, 0), L"Кэш браузеров");
    EXPECT_EQ(test::windowText(window), L"Pelmirt — просмотр файлов");
    currentLanguage = ArabicLanguage;
    SendMessageW(window, WM_APP + 20, 0, 0);
    EXPECT_EQ(cell(window, 0, 2), L"\u200E" + scanReport.entries[0].path);
    const LONG_PTR rtl = WS_EX_RTLREADING | WS_EX_LAYOUTRTL;
    HWND header = reinterpret_cast<HWND>(SendMessageW(list(window), LVM_GETHEADER, 0, 0));
    EXPECT_EQ(GetWindowLongPtrW(list(window), GWL_EXSTYLE) & rtl, rtl);
    EXPECT_EQ(GetWindowLongPtrW(header, GWL_EXSTYLE) & rtl, rtl) << "the column titles mirror with their columns";
    currentLanguage = EnglishLanguage;
    SendMessageW(window, WM_APP + 20, 0, 0);
    EXPECT_EQ(GetWindowLongPtrW(list(window), GWL_EXSTYLE) & rtl, 0);
    EXPECT_EQ(GetWindowLongPtrW(header, GWL_EXSTYLE) & rtl, 0);
}

// Arabic, the one right-to-left language, needs a left-to-right mark before a path (or its backslashes and
// colon move before the names they follow); other languages get the bare path, since some fonts draw the
// mark as a box.
TEST_F(PreviewWindowTest, PathsCarryALeftToRightMarkOnlyInArabic) {
    scanReport.entries = {entry(L"C:\\t\\one.tmp", 1, CleanCategory::Temp)};
    HWND window = openOne();
    ASSERT_NE(window, nullptr);
    for (int language = 0; language < LanguageCount; ++language) {
        currentLanguage = language;
        SendMessageW(window, WM_APP_SETTINGS_CHANGED, 0, 0);
        const std::wstring path =
            std::string(LanguageCodes[language]) == "ar" ? L"\u200EC:\\t\\one.tmp" : L"C:\\t\\one.tmp";
        EXPECT_EQ(cell(window, 0, 2), path) << LanguageCodes[language];
    }
    currentLanguage = EnglishLanguage;
}

TEST_F(PreviewWindowTest, TwoWindowsShowTheSameRowsAndIgnoreALaterScan) {
    scanReport.entries = {entry(L"C:\\t\\one.tmp", 1, CleanCategory::Temp),
                          entry(L"C:\\t\\two.tmp", 2, CleanCategory::Temp)};
    HWND first = openOne();
    HWND second = openOne();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(previewWindows.size(), 2u);

    // A new scan replaces the report; the open windows keep their own copy.
    scanReport.entries = {entry(L"C:\\t\\new.tmp", 3, CleanCategory::BrowserCache)};
    scanReport.recycleBinItems = 9;
    for (HWND window : {first, second}) {
        EXPECT_EQ(rows(window), 2);
        EXPECT_EQ(cell(window, 0, 2), L"C:\\t\\one.tmp");
        EXPECT_EQ(cell(window, 1, 2), L"C:\\t\\two.tmp");
    }
}

TEST_F(PreviewWindowTest, DpiChangeKeepsTheColumnProportionsAndFitsTheWindowOnItsMonitor) {
    scanReport.entries = {entry(L"C:\\t\\one.tmp", 1, CleanCategory::Temp)};
    HWND window = openOne();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(SendMessageW(list(window), LVM_GETCOLUMNWIDTH, 0, 0), 160);
    RECT suggested{-50, 10, 5000, 4000};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(SendMessageW(list(window), LVM_GETCOLUMNWIDTH, 0, 0), 240);
    EXPECT_EQ(SendMessageW(list(window), LVM_GETCOLUMNWIDTH, 1, 0), 173);
    EXPECT_EQ(SendMessageW(list(window), LVM_GETCOLUMNWIDTH, 2, 0), 1035);
    EXPECT_FLOAT_EQ(previewData(window)->scale, 1.5f);

    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT placed{};
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, work.left);
    EXPECT_LE(placed.right, work.right);
    EXPECT_LE(placed.bottom, work.bottom);
    RECT child{};
    GetWindowRect(list(window), &child);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&child), 2);
    EXPECT_EQ(child.left, 291);
    EXPECT_EQ(child.top, 194);
}

TEST_F(PreviewWindowTest, ArabicMirrorsTheListsHeaderWithTheList) {
    currentLanguage = ArabicLanguage;
    HWND window = openOne();
    ASSERT_NE(window, nullptr);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list(window), LVM_GETHEADER, 0, 0));
    constexpr LONG_PTR mirrored = WS_EX_LAYOUTRTL | WS_EX_RTLREADING;
    for (int language : {ArabicLanguage, EnglishLanguage}) {
        currentLanguage = language;
        SendMessageW(window, WM_APP_SETTINGS_CHANGED, 0, 0);
        for (HWND w : {list(window), header}) {
            EXPECT_EQ(GetWindowLongPtrW(w, GWL_EXSTYLE) & mirrored, language == ArabicLanguage ? mirrored : 0)
                << "language " << language << (w == header ? ", header" : ", list");
        }
    }
}

TEST_F(PreviewWindowTest, SelectedRowsAreDrawnInTheThemesAccent) {
    scanReport.entries.assign(3, entry(L"C:\\t\\a.tmp", 10, CleanCategory::Temp));
    HWND window = openOne();
    ASSERT_NE(window, nullptr);
    test::selectRow(list(window), 1);
    SetFocus(list(window));
    EXPECT_GT(test::rowShare(list(window), 1, ui::theme.accent), 0.5);
}

TEST_F(PreviewWindowTest, WithoutAnAnalysisTheCommandSaysSoAndOpensNothing) {
    analysisPresent = false;
    HWND box = nullptr;
    {
        test::Helper helper([&] {
            box = test::waitForDialog(ui::mainWindow, translate(L"Сначала выполните анализ."));
            if (box) SendMessageW(box, TDM_CLICK_BUTTON, IDOK, 0);
        });
        openPreviewWindow();
    }
    EXPECT_NE(box, nullptr) << "the information box was shown";
    EXPECT_TRUE(previewWindows.empty());
    EXPECT_EQ(FindWindowW(L"PelmirtPreview", nullptr), nullptr);
}

// Back after another window was active, or restored from minimised: the list has the focus again, not the
// frame (the same holds for every window of the program, which keep their focus the same way).
TEST_F(PreviewWindowTest, TheListHasTheFocusAgainWhenTheWindowIsBack) {
    HWND window = openOne();
    ASSERT_NE(window, nullptr);
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(SetForegroundWindow(window));
    SetFocus(list(window));
    ASSERT_EQ(GetFocus(), list(window));
    SetForegroundWindow(other);
    ASSERT_NE(GetActiveWindow(), window);
    SetForegroundWindow(window);
    EXPECT_EQ(GetFocus(), list(window)) << "activated again";
    ShowWindow(window, SW_MINIMIZE);
    ShowWindow(window, SW_RESTORE);
    EXPECT_EQ(GetFocus(), list(window)) << "restored";
    // Minimised, it may stay the active window with the focus on nothing (Windows takes it from the
    // control; Wine does not, so the test does): deactivated then, it still gives the list the focus back.
    ShowWindow(window, SW_SHOWMINIMIZED);
    SetFocus(nullptr);
    SetForegroundWindow(other);
    ASSERT_NE(GetActiveWindow(), window);
    SetForegroundWindow(window);
    ShowWindow(window, SW_RESTORE);
    EXPECT_EQ(GetFocus(), list(window)) << "deactivated while minimised, then restored";
    DestroyWindow(other);
}

// Refuses the activation of this thread's preview windows while it lives, as the system may refuse to
// activate a window that opens: the window then opens behind the active one.
class PreviewActivationRefused {
public:
    PreviewActivationRefused()
        : hook_(SetWindowsHookExW(WH_CBT, refuse, nullptr, GetCurrentThreadId())) {}
    ~PreviewActivationRefused() {
        if (hook_) UnhookWindowsHookEx(hook_);
    }
    PreviewActivationRefused(const PreviewActivationRefused&) = delete;
    PreviewActivationRefused& operator=(const PreviewActivationRefused&) = delete;
    bool valid() const { return hook_ != nullptr; }

private:
    static LRESULT CALLBACK refuse(int code, WPARAM wParam, LPARAM lParam) {
        wchar_t name[64] = {};
        if (code == HCBT_ACTIVATE && GetClassNameW(reinterpret_cast<HWND>(wParam), name, 64) &&
            std::wstring(name) == PreviewWindowClass) {
            return 1;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
};

// Opened, the window has its list focused, not its frame: Page Down and the arrows move through the rows
// at once, without a Tab first. Opened behind another window, the list has the focus once the window is
// activated.
TEST_F(PreviewWindowTest, OpensWithTheFocusOnItsListSoThePageAndArrowKeysMoveAtOnce) {
    for (int i = 0; i < 200; ++i)
        scanReport.entries.push_back(entry(L"C:\\t\\f" + std::to_wstring(i), 100, CleanCategory::Temp));
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    for (bool behind : {false, true}) {
        SCOPED_TRACE(behind ? "opened behind" : "opened active");
        ASSERT_TRUE(SetForegroundWindow(other));
        HWND window = nullptr;
        if (behind) {
            {
                PreviewActivationRefused refused;
                ASSERT_TRUE(refused.valid());
                window = openOne();
            }
            ASSERT_NE(window, nullptr);
            ASSERT_EQ(GetActiveWindow(), other);
            ASSERT_TRUE(SetForegroundWindow(window));
        } else {
            window = openOne();
            ASSERT_NE(window, nullptr);
            ASSERT_EQ(GetActiveWindow(), window);
        }
        EXPECT_EQ(GetFocus(), list(window));
        const auto focusedRow = [&] { return SendMessageW(list(window), LVM_GETNEXTITEM, -1, LVNI_FOCUSED); };
        ASSERT_NE(test::pressKey(VK_NEXT), nullptr);
        const LRESULT afterPage = focusedRow();
        EXPECT_GT(afterPage, 0) << "Page Down moved down the list";
        ASSERT_NE(test::pressKey(VK_DOWN), nullptr);
        EXPECT_EQ(focusedRow(), afterPage + 1);
        DestroyWindow(window);
    }
    DestroyWindow(other);
}

}  // namespace
}  // namespace pm
