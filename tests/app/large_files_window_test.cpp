// The large-files window in this process over a real main window: real folders and files in the
// private prefix, the real worker thread, the real history file, the message boxes answered from a
// second thread as a user would.
#include "app/app_messages.h"
#include "app/format_bytes.h"
#include "app/history_window.h"
#include "app/history_window_internal.h"
#include "app/large_files_data.h"
#include "app/large_files_internal.h"
#include "app/main_layout.h"
#include "app/main_window.h"
#include "app/preview_window.h"
#include "app/program_internal.h"
#include "app/shell_globals.h"
#include "app/worker_messages.h"
#include "app/worker_posts.h"
#include "services/i18n/translate.h"
#include "tests/app/history_lines.h"
#include "tests/app/list_pixels.h"
#include "tests/app/real_keys.h"
#include "tests/support/test_files.h"
#include "tests/support/transfer_source_stand_in.h"
#include "ui/canvas.h"
#include "ui/key_repeat.h"
#include "ui/shell_state.h"
#include "ui/text_list.h"
#include "ui/theme.h"
#include "ui/ui_font.h"
#include "ui/window_focus.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <utility>

namespace pm {
namespace {

constexpr uint64_t MB = 1 << 20;

// The condition is checked after every message: while the main window animates, its timer and its
// repaints (a few hundred milliseconds each under Wine) never leave the queue empty.
void pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    MSG message;
    while (!done() && GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        while (!done() && GetTickCount64() < deadline && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
}

// Lets the search end, then expects it in the history once, run to its end (not cancelled).
void expectOneSearchToItsEnd(size_t historyBefore) {
    pumpUntil([] { return !busy; }, 10000);
    ASSERT_FALSE(busy);
    const std::vector<JsonValue> records = test::historyObjectsAfter(historyBefore);
    ASSERT_EQ(records.size(), 1u) << "one search";
    EXPECT_EQ(jsonGetString(records[0], "kind", ""), "large_search");
    EXPECT_FALSE(jsonGetBool(records[0], "cancelled", true));
}

std::wstring dialogText(HWND dialog) {
    std::wstring all;
    EnumChildWindows(dialog, [](HWND child, LPARAM out) {
        reinterpret_cast<std::wstring*>(out)->append(test::windowText(child)).append(L"|");
        return TRUE;
    }, reinterpret_cast<LPARAM>(&all));
    return all;
}

// Answers the process's next message boxes, one button each, and keeps what each box said.
class BoxAnswerer {
public:
    BoxAnswerer(std::vector<int> buttons, DWORD timeoutMs = 8000) {
        thread_ = std::thread([this, buttons, timeoutMs] {
            for (int button : buttons) {
                HWND box = test::waitForDialog(ui::mainWindow, timeoutMs);
                if (!box) return;
                // The dialog's controls come a moment after its window: read until the text holds still.
                std::wstring text, last;
                for (int i = 0; i < 100 && (text.size() < 8 || text != last); ++i) {
                    Sleep(20);
                    last = text;
                    text = dialogText(box);
                }
                texts.push_back(text);
                test::pressTaskDialogButton(box, button);
                for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(10);
            }
        });
    }
    ~BoxAnswerer() { join(); }
    void join() {
        if (thread_.joinable()) thread_.join();
    }
    bool said(size_t box, const std::wstring& text) const {
        return box < texts.size() && texts[box].find(text) != std::wstring::npos;
    }
    std::vector<std::wstring> texts;

private:
    std::thread thread_;
};

class LargeFilesWindowTest : public testing::Test {
protected:
    void SetUp() override {
        PM_REQUIRE_TEST_PREFIX();
        ui::appInstance = GetModuleHandleW(nullptr);
        ui::modalDepth = 0;
        ui::exitPending = ui::destroying = ui::hiddenToTray = false;
        registerMainWindowClass();
        main_ = CreateWindowExW(0, MainWindowClass, L"Pelmirt 1.2.0", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                CW_USEDEFAULT, CW_USEDEFAULT, 1300, 850, nullptr, nullptr, ui::appInstance, nullptr);
        ASSERT_NE(main_, nullptr);
        openLargeFilesWindow();
        window_ = largeFilesWindow;
        ASSERT_NE(window_, nullptr);
        data_ = largeFilesData(window_);
        list_ = GetDlgItem(window_, FileListId);
        ASSERT_NE(data_, nullptr);
    }

    void TearDown() override {
        pumpUntil([] { return !busy; }, 10000);
        detail::largeRecycleBinder = nullptr;
        detail::largeSearchLimit = MaxLargeResults;
        busy = false;
        operationOwner = nullptr;
        exitAfterOperation = ui::exitPending = false;
        const std::vector<HWND> previews(previewWindows);
        for (HWND preview : previews) DestroyWindow(preview);
        analysisPresent = false;
        scanReport = ScanReport{};
        if (largeFilesWindow) DestroyWindow(largeFilesWindow);
        if (main_) DestroyWindow(main_);
        pumpUntil([] { return false; }, 20);
        ui::mainWindow = nullptr;
    }

    void command(int id) {
        SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(GetDlgItem(window_, id)));
    }
    // Types the folder and the minimum and presses Start search; the search runs to its end.
    void search(const std::wstring& folder, const std::wstring& minimumMb = L"1") {
        SetDlgItemTextW(window_, FolderComboId, folder.c_str());
        SetDlgItemTextW(window_, MinimumEditId, minimumMb.c_str());
        command(SearchButtonId);
        pumpUntil([] { return !busy; }, 10000);
        ASSERT_FALSE(busy);
    }
    std::wstring cell(int row, int column) {
        wchar_t text[600] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 600;
        SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    std::vector<std::wstring> paths() {
        std::vector<std::wstring> out;
        const int count = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) out.push_back(cell(row, 0));
        return out;
    }
    std::vector<std::wstring> selectedPaths() {
        std::vector<std::wstring> out;
        for (uint64_t index : selectedLargeFiles(window_, *data_)) out.push_back(data_->result.files[index].path);
        return out;
    }
    void select(const std::vector<std::wstring>& wanted) {
        const std::vector<std::wstring> shown = paths();
        LVITEMW item{};
        item.stateMask = item.state = LVIS_SELECTED;
        for (size_t row = 0; row < shown.size(); ++row) {
            if (std::find(wanted.begin(), wanted.end(), shown[row]) != wanted.end())
                SendMessageW(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        }
    }
    std::wstring header(int column) {
        wchar_t text[100] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 100;
        SendMessageW(reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0)), HDM_GETITEMW, column,
                     reinterpret_cast<LPARAM>(&item));
        return text;
    }
    // A real key press and release, taken by the focused window.
    static void press(WORD key) { ASSERT_NE(test::pressKey(key), nullptr); }
    void clickColumn(int column) {
        NMLISTVIEW click{};
        click.hdr = NMHDR{list_, static_cast<UINT_PTR>(FileListId), static_cast<UINT>(LVN_COLUMNCLICK)};
        click.iSubItem = column;
        SendMessageW(window_, WM_NOTIFY, FileListId, reinterpret_cast<LPARAM>(&click));
    }

    HWND main_ = nullptr;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    LargeFilesData* data_ = nullptr;
};

// Files of the given sizes named f0, f1, ... in a new folder.
struct SizedFiles {
    test::TempFolder folder;
    explicit SizedFiles(const std::vector<uint64_t>& sizes) {
        for (size_t i = 0; i < sizes.size(); ++i) test::writeFile(path(static_cast<int>(i)), std::string(sizes[i], 'x'));
    }
    std::wstring path(int i) const { return folder / (L"f" + std::to_wstring(i)); }
};

// The move's Shell transfer source (Wine cannot bind its own), moving into a folder of the test.
struct StandInRecycleBin {
    test::TempFolder bin{L"C:\\$Recycle.Bin"};
    test::TestTransferSource source;
    StandInRecycleBin() {
        source.binFolder = bin.path();
        detail::largeRecycleBinder = [this](IShellItem*, ITransferSource** out) {
            source.AddRef();
            *out = &source;
            return S_OK;
        };
    }
};

TEST(LargeFilesRules, MinimumSizeAndFolderOfAFile) {
    for (const wchar_t* bad : {L"0", L"1048577", L"", L"12a", L"+5", L" 5", L"5 ", L"\uFF11\uFF12", L"-1",
                               L"99999999999999999999999"}) {
        EXPECT_FALSE(detail::parseMinimumSizeMb(bad)) << bad;
    }
    EXPECT_EQ(detail::parseMinimumSizeMb(L"1"), 1u);
    EXPECT_EQ(detail::parseMinimumSizeMb(L"0100"), 100u);
    EXPECT_EQ(detail::parseMinimumSizeMb(L"1048576"), 1048576u);
    EXPECT_EQ(detail::folderOfFile(L"C:\\big.bin"), L"C:\\");
    EXPECT_EQ(detail::folderOfFile(L"C:\\a\\b.bin"), L"C:\\a\\");
    EXPECT_EQ(detail::folderOfFile(L"big.bin"), L"");
}

TEST(LargeFilesRules, OrderAndTieBreaks) {
    const large::LargeFileEntry small{L"C:\\b", 5}, big{L"C:\\a", 9}, upper{L"C:\\X", 5}, lower{L"C:\\x", 5},
        longer{L"C:\\x1", 5};
    struct Case { const large::LargeFileEntry& a; const large::LargeFileEntry& b; int column; bool ascending; bool before; };
    const Case cases[] = {
        {small, big, 1, true, true},   {small, big, 1, false, false}, {big, small, 0, true, true},
        {upper, lower, 1, true, true}, {upper, lower, 1, false, false},  // equal sizes: by code unit
        {upper, lower, 0, true, true}, {lower, longer, 0, true, true},  {longer, lower, 0, false, true},
        {lower, lower, 0, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(detail::largeRowBefore(c.a, c.b, c.column, c.ascending), c.before)
            << std::string(c.a.path.begin(), c.a.path.end()) << " / " << std::string(c.b.path.begin(), c.b.path.end())
            << " column " << c.column << (c.ascending ? " up" : " down");
    }
}

TEST(LargeFilesRules, PathFoldingAgreesWithTheRuntime) {
    const wchar_t units[] = {L'A', L'a', L'Z', L'z', L'_', L'@', L'[', L'`', L'{', L'\\', L'0', L'\u00C4', L'\u00E4',
                             L'\u0416', L'\u0436'};
    std::mt19937 random(5);
    for (int i = 0; i < 20000; ++i) {
        std::wstring a, b;
        for (size_t n = random() % 4; n > 0; --n) a += units[random() % std::size(units)];
        for (size_t n = random() % 4; n > 0; --n) b += units[random() % std::size(units)];
        const int runtime = _wcsicmp(a.c_str(), b.c_str());
        ASSERT_EQ(detail::compareFoldedAscii(a, b), (runtime > 0) - (runtime < 0))
            << std::string(a.begin(), a.end()) << " / " << std::string(b.begin(), b.end());
    }
}

TEST_F(LargeFilesWindowTest, MinimumSizeIsCheckedBeforeTheFolder) {
    struct Case { const wchar_t* minimum; const wchar_t* folder; const wchar_t* warning; };
    const wchar_t* minimumWarning = L"Введите минимальный размер от 1 до 1048576 МБ.";
    const wchar_t* folderWarning = L"Для поиска выберите папку или локальный диск.";
    const Case cases[] = {
        {L"0", L"", minimumWarning},       {L"1048577", L"C:\\", minimumWarning}, {L"", L"C:\\", minimumWarning},
        {L"12a", L"C:\\", minimumWarning}, {L"+5", L"C:\\", minimumWarning},     {L" 5", L"C:\\", minimumWarning},
        {L"\uFF11\uFF12", L"C:\\", minimumWarning}, {L"1", L"", folderWarning},   {L"1048576", L"", folderWarning},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.minimum, c.minimum + wcslen(c.minimum)));
        SetDlgItemTextW(window_, FolderComboId, c.folder);
        SetDlgItemTextW(window_, MinimumEditId, c.minimum);
        BoxAnswerer box({IDOK});
        command(SearchButtonId);
        box.join();
        EXPECT_TRUE(box.said(0, translate(c.warning))) << (box.texts.empty() ? std::wstring(L"no box") : box.texts[0]);
        EXPECT_FALSE(busy) << "a refused search started";
        EXPECT_FALSE(data_->searched);
    }
}

TEST_F(LargeFilesWindowTest, SearchListsTheFilesLargestFirstAndSortsKeepingTheSelection) {
    SizedFiles files({2 * MB, 1000, 3 * MB + 1, MB, 2 * MB});
    const size_t before = test::readHistoryLines().size();
    search(files.folder.path());

    EXPECT_EQ(paths(), (std::vector<std::wstring>{files.path(2), files.path(4), files.path(0), files.path(3)}))
        << "largest first; equal sizes by path, reversed with the direction";
    EXPECT_EQ(cell(0, 1), formatBytes(3 * MB + 1));
    EXPECT_EQ(cell(3, 1), formatBytes(MB));
    EXPECT_EQ(header(1), translate(L"Размер") + L" \u2193");
    EXPECT_EQ(statusText, L"Поиск завершён");
    EXPECT_EQ(detail::largeFilesStatusText(window_, *data_, 0).rfind(translate(L"Поиск завершён") + L" · " +
                                                                        translate(L"Найдено файлов:") + L" 4 · ", 0), 0u);
    const std::vector<JsonValue> records = test::historyObjectsAfter(before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(jsonGetString(records[0], "kind", ""), "large_search");
    EXPECT_EQ(jsonGetString(records[0], "files", ""), "4");
    EXPECT_EQ(jsonGetString(records[0], "bytes", ""), std::to_string(8 * MB + 1));
    EXPECT_FALSE(jsonGetBool(records[0], "cancelled", true));

    select({files.path(0), files.path(3)});
    struct Step { int column; std::vector<int> order; std::wstring pathTitle, sizeTitle; };
    const std::wstring path = translate(L"Полный путь"), size = translate(L"Размер");
    const Step steps[] = {
        {1, {3, 0, 4, 2}, path, size + L" \u2191"},
        {0, {0, 2, 3, 4}, path + L" \u2191", size},
        {0, {4, 3, 2, 0}, path + L" \u2193", size},
        {1, {2, 4, 0, 3}, path, size + L" \u2193"},
    };
    for (const Step& step : steps) {
        clickColumn(step.column);
        std::vector<std::wstring> wanted;
        for (int i : step.order) wanted.push_back(files.path(i));
        EXPECT_EQ(paths(), wanted);
        std::vector<std::wstring> selected = selectedPaths();
        std::sort(selected.begin(), selected.end());
        EXPECT_EQ(selected, (std::vector<std::wstring>{files.path(0), files.path(3)})) << "selection lost";
        EXPECT_EQ(header(0), step.pathTitle);
        EXPECT_EQ(header(1), step.sizeTitle);
    }
}

TEST_F(LargeFilesWindowTest, TruncatedSearchWarnsOnlyWhileTheWindowIsVisible) {
    SizedFiles files({MB, MB, MB});
    detail::largeSearchLimit = 2;
    ShowWindow(main_, SW_SHOWNOACTIVATE);
    {
        BoxAnswerer box({IDOK});
        search(files.folder.path());
        box.join();
        EXPECT_TRUE(box.said(0, translate(L"Список ограничен. Увеличьте минимальный размер и повторите поиск.")));
    }
    EXPECT_EQ(paths().size(), 2u);
    EXPECT_NE(detail::largeFilesStatusText(window_, *data_, 0).find(L"\n"), std::wstring::npos);
    ShowWindow(window_, SW_HIDE);
    const size_t before = test::readHistoryLines().size();
    BoxAnswerer box({IDOK}, 1500);
    search(files.folder.path());
    box.join();
    EXPECT_TRUE(box.texts.empty()) << "warned while the window was hidden";
    const std::vector<JsonValue> records = test::historyObjectsAfter(before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(jsonGetBool(records[0], "truncated", false));
}

TEST_F(LargeFilesWindowTest, CancelAndCloseDuringTheSearch) {
    test::TempFolder folder;
    for (int i = 0; i < 2000; ++i) test::writeFile(folder / (L"s" + std::to_wstring(i)), "x");
    for (bool close : {false, true}) {
        SCOPED_TRACE(close ? "close" : "cancel");
        const size_t before = test::readHistoryLines().size();
        SetDlgItemTextW(window_, FolderComboId, folder.path().c_str());
        command(SearchButtonId);
        ASSERT_TRUE(busy);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window_, CancelButtonId)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window_, SearchButtonId)));
        if (close) {
            SendMessageW(window_, WM_CLOSE, 0, 0);
            EXPECT_TRUE(IsWindow(window_)) << "gone before the search reported";
            EXPECT_TRUE(data_->closeWhenDone);
        } else {
            command(CancelButtonId);
        }
        EXPECT_TRUE(cancelRequested.load());
        pumpUntil([] { return !busy; }, 10000);
        const std::vector<JsonValue> records = test::historyObjectsAfter(before);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_TRUE(jsonGetBool(records[0], "cancelled", false));
        EXPECT_EQ(statusText, L"Поиск отменён");
        if (close) {
            EXPECT_FALSE(IsWindow(window_));
            EXPECT_EQ(largeFilesWindow, nullptr);
        } else {
            EXPECT_TRUE(data_->result.cancelled);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window_, CancelButtonId)));
        }
    }
}

HRESULT shellBindResult(const std::wstring& folder) {
    IShellItem* item = nullptr;
    HRESULT hr = SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_IShellItem, reinterpret_cast<void**>(&item));
    ITransferSource* source = nullptr;
    if (SUCCEEDED(hr)) hr = large::bindShellTransferSource(item, &source);
    if (source) source->Release();
    if (item) item->Release();
    return hr;
}

TEST_F(LargeFilesWindowTest, MoveThroughTheShellEndsWithTheEnginesVerdict) {
    SizedFiles files({MB, 2 * MB, 3 * MB});
    const HRESULT bind = shellBindResult(files.folder.path());
    if (SUCCEEDED(bind)) GTEST_SKIP() << "the Shell's transfer source is present: the move would succeed";
    search(files.folder.path());
    select({files.path(0), files.path(2)});
    analysisPresent = true;
    ShowWindow(main_, SW_SHOWNOACTIVATE);
    const size_t before = test::readHistoryLines().size();
    BoxAnswerer boxes({IDYES, IDOK});
    command(RecycleButtonId);
    pumpUntil([] { return !busy; }, 10000);
    boxes.join();

    EXPECT_TRUE(boxes.said(0, detail::recycleConfirmationText(2, 4 * MB)));
    const auto status = bind == E_NOINTERFACE ? large::RecycleStatus::NotSupported : large::RecycleStatus::Failed;
    ASSERT_EQ(data_->outcomes.size(), 2u);
    for (const large::RecycleOutcome& o : data_->outcomes) {
        EXPECT_EQ(o.status, status);
        EXPECT_EQ(o.error, static_cast<uint32_t>(bind));
    }
    EXPECT_EQ(paths().size(), 3u) << "nothing moved, nothing leaves the list";
    EXPECT_EQ(selectedPaths().size(), 2u);
    const uint64_t failed = status == large::RecycleStatus::Failed ? 2 : 0;
    const std::wstring result = detail::recycleResultText(0, 0, 2 - failed, failed, false);
    EXPECT_TRUE(boxes.said(1, result));
    EXPECT_NE(result.find(translate(failed ? L"Файлы с ошибками не учтены в результате. Проверьте системную корзину."
                                           : L"Недоступные или изменившиеся файлы сохранены.")),
              std::wstring::npos);
    EXPECT_FALSE(analysisPresent) << "the analysis was kept";
    EXPECT_EQ(statusText, translate(L"В корзину перемещено:") + L" 0 · " + formatBytes(0) + L" · " +
                              translate(L"Пропущено:") + L" " + std::to_wstring(2 - failed) + L" · " +
                              translate(L"Ошибки:") + L" " + std::to_wstring(failed));
    const std::vector<JsonValue> records = test::historyObjectsAfter(before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(jsonGetString(records[0], "kind", ""), "recycle");
    EXPECT_EQ(jsonGetString(records[0], "files", ""), "0");
    EXPECT_EQ(jsonGetString(records[0], "errors", ""), std::to_string(failed));
    for (int i = 0; i < 3; ++i) EXPECT_NE(GetFileAttributesW(files.path(i).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(LargeFilesWindowTest, MovedRowsLeaveTheListAndTheRestKeepOrderAndSelection) {
    std::vector<uint64_t> sizes(10);
    for (size_t i = 0; i < sizes.size(); ++i) sizes[i] = MB + i * 1000;
    SizedFiles files(sizes);
    search(files.folder.path());
    StandInRecycleBin bin;
    // Two of the five selected files are held open by another handle: they stay, still selected.
    HANDLE held[2];
    for (int k = 0; k < 2; ++k)
        held[k] = CreateFileW(files.path(2 + 2 * k).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    select({files.path(1), files.path(2), files.path(3), files.path(4), files.path(5)});
    const size_t before = test::readHistoryLines().size();
    BoxAnswerer box({IDYES});
    command(RecycleButtonId);
    pumpUntil([] { return !busy; }, 10000);
    box.join();
    for (HANDLE h : held) CloseHandle(h);

    EXPECT_EQ(paths(), (std::vector<std::wstring>{files.path(9), files.path(8), files.path(7), files.path(6),
                                                  files.path(4), files.path(2), files.path(0)}));
    EXPECT_EQ(selectedPaths(), (std::vector<std::wstring>{files.path(4), files.path(2)}));
    EXPECT_EQ(data_->recycled, 3u);
    EXPECT_EQ(data_->recycleSkipped, 2u);
    for (int i : {1, 3, 5}) EXPECT_EQ(GetFileAttributesW(files.path(i).c_str()), INVALID_FILE_ATTRIBUTES) << i;
    const std::vector<JsonValue> records = test::historyObjectsAfter(before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(jsonGetString(records[0], "files", ""), "3");
    EXPECT_EQ(jsonGetString(records[0], "bytes", ""), std::to_string(3 * MB + 9000));
    EXPECT_EQ(jsonGetString(records[0], "skipped", ""), "2");
}

TEST_F(LargeFilesWindowTest, EnablingFollowsSelectionAndWhoIsBusy) {
    data_->result.files = {large::LargeFileEntry{L"nobackslash", 5 * MB}};
    data_->rows = {0};
    data_->searched = true;
    const int ids[] = {FolderComboId, ChooseFolderButtonId, MinimumEditId, SearchButtonId, CancelButtonId,
                       FileListId, RecycleButtonId, OpenFolderButtonId};
    struct Case { const char* name; bool selected, busyState; HWND owner; bool exitWaits; std::vector<bool> enabled; };
    const Case cases[] = {
        {"idle, nothing selected", false, false, nullptr, false, {1, 1, 1, 1, 0, 1, 0, 0}},
        {"idle, a row selected", true, false, nullptr, false, {1, 1, 1, 1, 0, 1, 1, 1}},
        {"busy in this window", true, true, window_, false, {0, 0, 0, 0, 1, 0, 0, 0}},
        {"busy elsewhere", true, true, nullptr, false, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"exit waiting", true, false, nullptr, true, {0, 0, 0, 0, 0, 1, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sortLargeList(window_, *data_, c.selected ? std::vector<uint64_t>{0} : std::vector<uint64_t>{});
        busy = c.busyState;
        operationOwner = c.owner;
        ui::exitPending = c.exitWaits;
        updateLargeFilesControls(window_);
        for (size_t i = 0; i < std::size(ids); ++i)
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(window_, ids[i])) != FALSE, c.enabled[i]) << ids[i];
    }
    busy = false;
    ui::exitPending = false;
    // A selected file whose path has no folder part: the fallback has nothing to open.
    BoxAnswerer box({IDOK});
    command(OpenFolderButtonId);
    box.join();
    EXPECT_TRUE(box.said(0, translate(L"Не удалось открыть выбранную папку.")));
}

TEST_F(LargeFilesWindowTest, EscapeClosesTheDroppedFolderListFirstAndTheWindowAfter) {
    ASSERT_TRUE(SetForegroundWindow(window_));
    HWND combo = GetDlgItem(window_, FolderComboId);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    SetFocus(info.hwndItem);
    press(VK_F4);
    ASSERT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) << "F4 drops the folder list down";
    press(VK_ESCAPE);
    EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) << "the list took the Escape";
    ASSERT_EQ(largeFilesWindow, window_) << "the window and its results stay";
    EXPECT_TRUE(IsWindowVisible(window_));
    press(VK_ESCAPE);
    EXPECT_EQ(largeFilesWindow, nullptr) << "with the list closed, Escape closes the window";
}

// From the keyboard alone, with the main window on screen as a user has it: Enter on the focused button
// starts the operation (the move after its question), Cancel has the focus while it runs, after the end
// (and after the move's result box) the button has it again, or the next control that can take it when the
// button stays disabled (nothing left to move), and Escape then closes the window.
TEST_F(LargeFilesWindowTest, KeyboardAloneRunsTheSearchAndTheMoveAndThenClosesTheWindow) {
    SizedFiles files({MB, 2 * MB});
    StandInRecycleBin bin;
    ShowWindow(main_, SW_SHOWNOACTIVATE);
    struct Case {
        const char* name;
        int button;
        std::vector<int> boxes;  // the question and the result of the move
        int focusAfter;          // a control of the window; Tab order: Cancel, the move, Open folder, the folder
    };
    const Case cases[] = {{"search", SearchButtonId, {}, SearchButtonId},
                          {"move", RecycleButtonId, {IDYES, IDOK}, FolderComboId}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!largeFilesWindow) {
            openLargeFilesWindow();
            window_ = largeFilesWindow;
            ASSERT_NE(window_, nullptr);
            data_ = largeFilesData(window_);
            list_ = GetDlgItem(window_, FileListId);
        }
        if (c.button == RecycleButtonId) {
            search(files.folder.path());
            select(paths());
        } else {
            SetDlgItemTextW(window_, FolderComboId, files.folder.path().c_str());
            SetDlgItemTextW(window_, MinimumEditId, L"1");
        }
        ASSERT_TRUE(SetForegroundWindow(window_));
        HWND button = GetDlgItem(window_, c.button);
        SetFocus(button);
        ASSERT_EQ(GetFocus(), button);

        BoxAnswerer boxes(c.boxes);
        ASSERT_TRUE(test::routeFreshPress(VK_RETURN));  // checked before the operation's end is handled
        ASSERT_TRUE(busy) << "Enter started it";
        EXPECT_EQ(GetActiveWindow(), window_);
        EXPECT_EQ(GetFocus(), GetDlgItem(window_, CancelButtonId));
        ASSERT_TRUE(test::routeKeyEvent(VK_RETURN, true));
        pumpUntil([] { return !busy; }, 10000);
        ASSERT_FALSE(busy);
        boxes.join();
        EXPECT_EQ(boxes.texts.size(), c.boxes.size());
        const HWND after = GetDlgItem(window_, c.focusAfter);
        pumpUntil([&] { return GetActiveWindow() == window_ && ui::focusedControl(window_) == after; }, 3000);
        EXPECT_EQ(GetActiveWindow(), window_);
        EXPECT_EQ(ui::focusedControl(window_), after);

        press(VK_ESCAPE);
        EXPECT_EQ(largeFilesWindow, nullptr) << "Escape closed the window";
    }
    EXPECT_EQ(GetFileAttributesW(files.path(0).c_str()), INVALID_FILE_ATTRIBUTES) << "moved";
}

// Opened, the window has its folder box focused, not its frame: a folder can be typed at once.
TEST_F(LargeFilesWindowTest, OpensWithTheFocusInTheFolderBox) {
    if (GetActiveWindow() != window_) {
        ASSERT_TRUE(SetForegroundWindow(window_));  // opened behind: on activation
    }
    EXPECT_EQ(ui::focusedControl(window_), GetDlgItem(window_, FolderComboId));
}

// Enter in the folder box or the size box starts the search, as a dialog's default button does; Enter that
// closes the dropped folder list only takes the folder.
TEST_F(LargeFilesWindowTest, EnterInTheFolderOrSizeBoxStartsTheSearch) {
    SizedFiles files({MB, 2 * MB});
    ASSERT_TRUE(SetForegroundWindow(window_));
    HWND combo = GetDlgItem(window_, FolderComboId);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    struct Case {
        const char* name;
        HWND box;
        bool dropDown;
        size_t searches;
    };
    const Case cases[] = {{"folder box", info.hwndItem, false, 1},
                          {"size box", GetDlgItem(window_, MinimumEditId), false, 1},
                          {"dropped folder list", info.hwndItem, true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetDlgItemTextW(window_, FolderComboId, files.folder.path().c_str());
        SetDlgItemTextW(window_, MinimumEditId, L"1");
        SetFocus(c.box);
        ASSERT_EQ(GetFocus(), c.box);
        if (c.dropDown) {
            press(VK_F4);
            ASSERT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
        }
        const size_t before = test::readHistoryLines().size();
        press(VK_RETURN);
        pumpUntil([] { return !busy; }, 10000);
        ASSERT_FALSE(busy);
        EXPECT_EQ(test::historyObjectsAfter(before).size(), c.searches);
        EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
        if (c.searches) {
            EXPECT_EQ(paths().size(), 2u);
        }
    }
}

// An operation of the main window disables every control of this window, its focused button too: the
// frame then has the focus, so its keys still work and Escape closes it. Started while this window is
// active (the main window's button clicked without activating it, as an accessibility tool does) or while
// the user was in the main window, this window coming back afterwards.
TEST_F(LargeFilesWindowTest, OperationOfTheMainWindowLeavesTheFocusOnTheFrameAndEscapeCloses) {
    ShowWindow(main_, SW_SHOWNOACTIVATE);
    for (bool away : {false, true}) {
        SCOPED_TRACE(away ? "started while away" : "started while this window is active");
        if (!largeFilesWindow) {
            openLargeFilesWindow();
            window_ = largeFilesWindow;
            ASSERT_NE(window_, nullptr);
        }
        ASSERT_TRUE(SetForegroundWindow(window_));
        HWND search = GetDlgItem(window_, SearchButtonId);
        SetFocus(search);
        ASSERT_EQ(GetFocus(), search);
        if (away) {
            ASSERT_TRUE(SetForegroundWindow(main_));
            ASSERT_NE(GetActiveWindow(), window_);
        }
        busy = true;  // a scan of the main window
        operationPhase = PhaseScanning;
        layoutMainControls();
        ASSERT_FALSE(IsWindowEnabled(search));
        if (away) SetForegroundWindow(window_);
        EXPECT_EQ(GetActiveWindow(), window_);
        EXPECT_EQ(GetFocus(), window_) << "the frame has the focus";
        press(VK_ESCAPE);
        EXPECT_EQ(largeFilesWindow, nullptr) << "Escape closed the window";
        busy = false;
        operationPhase = 0;
        layoutMainControls();
    }
}

// A key held on Start search: the keyboard's repeats press nothing (Cancel has the focus while the search
// runs, the start button again once it ended): one search, run to its end, its list kept.
TEST_F(LargeFilesWindowTest, AKeyHeldOnStartSearchRunsOneSearchToItsEnd) {
    SizedFiles files({MB, 2 * MB});
    ShowWindow(main_, SW_SHOWNOACTIVATE);
    for (const WORD key : {WORD{VK_RETURN}, WORD{VK_SPACE}}) {
        SCOPED_TRACE(key == VK_RETURN ? "Enter" : "Space");
        SetDlgItemTextW(window_, FolderComboId, files.folder.path().c_str());
        SetDlgItemTextW(window_, MinimumEditId, L"1");
        ASSERT_TRUE(SetForegroundWindow(window_));
        HWND button = GetDlgItem(window_, SearchButtonId);
        SetFocus(button);
        ASSERT_EQ(GetFocus(), button);
        const size_t before = test::readHistoryLines().size();
        const std::vector<LPARAM> downs = test::routeHeldKey(key, 3);
        ASSERT_EQ(downs.size(), 4u) << "the key arrived";
        for (size_t press = 0; press < downs.size(); ++press) {
            ASSERT_EQ((downs[press] & (LPARAM{1} << 30)) != 0, press > 0)
                << "the keyboard marks a repeat as one: " << press;
        }
        expectOneSearchToItsEnd(before);
        EXPECT_EQ(paths().size(), 2u) << "the list of the search";
        EXPECT_FALSE(data_->result.cancelled);
    }
}

// Escape held in a preview window above this window while its search runs: the press closes the preview,
// and this window, active again, takes the keyboard's repeats and closes for none of them; its search is
// not cancelled and runs to its end.
TEST_F(LargeFilesWindowTest, EscapeHeldInAPreviewAboveClosesOnlyThePreview) {
    test::TempFolder folder;
    for (int i = 0; i < 2000; ++i) test::writeFile(folder / (L"s" + std::to_wstring(i)), "x");
    const size_t before = test::readHistoryLines().size();
    SetDlgItemTextW(window_, FolderComboId, folder.path().c_str());
    ASSERT_TRUE(SetForegroundWindow(window_));
    command(SearchButtonId);
    ASSERT_TRUE(busy);

    analysisPresent = true;
    scanReport.entries.assign(3, FileEntry{});
    openPreviewWindow();
    ASSERT_EQ(previewWindows.size(), 1u);
    HWND preview = previewWindows.back();
    ASSERT_EQ(GetActiveWindow(), preview);
    ASSERT_TRUE(IsChild(preview, GetFocus())) << "the preview's list has the focus";

    // The keyboard's messages alone are routed: the search's end waits in the queue until they are done.
    const test::Taken keys = test::Taken::KeyboardOnly;
    ASSERT_TRUE(test::routeFreshPress(VK_ESCAPE, nullptr, keys));
    ASSERT_TRUE(previewWindows.empty()) << "the press closed the preview";
    ASSERT_EQ(GetActiveWindow(), window_) << "the window under the preview is active again";
    ASSERT_TRUE(IsChild(window_, GetFocus()) || GetFocus() == window_) << "and takes the keys";
    std::vector<LPARAM> repeats;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(test::routeKeyEvent(VK_ESCAPE, false, &repeats, keys));
    ASSERT_TRUE(test::routeKeyEvent(VK_ESCAPE, true, nullptr, keys));
    ASSERT_EQ(repeats.size(), 3u);
    for (LPARAM repeat : repeats) ASSERT_NE(repeat & (LPARAM{1} << 30), 0) << "the keyboard marks a repeat as one";
    ASSERT_TRUE(busy) << "the search still runs";
    EXPECT_FALSE(cancelRequested.load()) << "a repeat cancelled the search";
    EXPECT_FALSE(data_->closeWhenDone) << "a repeat closed the window";

    expectOneSearchToItsEnd(before);
    EXPECT_EQ(largeFilesWindow, window_) << "the window stays open";
    EXPECT_TRUE(IsWindowVisible(window_));
}

// Enter in the folder box (the combo box's edit) or the size box becomes the window's IDOK: held there, its
// repeats are dropped as a button's are, the press itself is not.
TEST_F(LargeFilesWindowTest, EnterRepeatedInTheFolderOrSizeBoxIsDropped) {
    HWND combo = GetDlgItem(window_, FolderComboId);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    ASSERT_NE(info.hwndItem, nullptr);
    const LPARAM repeat = 1 | LPARAM{1} << 30;
    for (HWND box : {info.hwndItem, GetDlgItem(window_, MinimumEditId)}) {
        EXPECT_TRUE(ui::isRepeatThatPressesOrCancels(MSG{box, WM_KEYDOWN, VK_RETURN, repeat, 0, {}}));
        EXPECT_FALSE(ui::isRepeatThatPressesOrCancels(MSG{box, WM_KEYDOWN, VK_RETURN, 1, 0, {}})) << "the press";
    }
}

TEST_F(LargeFilesWindowTest, ArabicMirrorsTheListsHeaderWithTheList) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    constexpr LONG_PTR mirrored = WS_EX_LAYOUTRTL | WS_EX_RTLREADING;
    for (int language : {ArabicLanguage, EnglishLanguage}) {
        currentLanguage = language;
        SendMessageW(window_, WM_APP_SETTINGS_CHANGED, 0, 0);
        for (HWND w : {list_, header}) {
            EXPECT_EQ(GetWindowLongPtrW(w, GWL_EXSTYLE) & mirrored, language == ArabicLanguage ? mirrored : 0)
                << "language " << language << (w == header ? ", header" : ", list");
        }
    }
}

// As in the preview: the left-to-right mark before a path only in Arabic, the one right-to-left language.
TEST_F(LargeFilesWindowTest, PathsCarryALeftToRightMarkOnlyInArabic) {
    SizedFiles files({2 * MB});
    search(files.folder.path());
    for (int language = 0; language < LanguageCount; ++language) {
        currentLanguage = language;
        SendMessageW(window_, WM_APP_SETTINGS_CHANGED, 0, 0);
        const bool arabic = std::string(LanguageCodes[language]) == "ar";
        EXPECT_EQ(cell(0, 0), (arabic ? L"\u200E" : L"") + files.path(0)) << LanguageCodes[language];
    }
    currentLanguage = EnglishLanguage;
}

TEST_F(LargeFilesWindowTest, DarkThemeReachesTheSelectedRowsAndTheFolderCombosFrame) {
    ui::currentSettings.theme = "dark";
    ui::applyTheme();
    SendMessageW(window_, WM_APP_SETTINGS_CHANGED, 0, 0);
    SendMessageW(list_, LVM_SETITEMCOUNT, 3, 0);
    test::selectRow(list_, 1);
    SetFocus(list_);
    EXPECT_GT(test::rowShare(list_, 1, ui::theme.accent), 0.5) << "with the focus";
    HWND combo = GetDlgItem(window_, FolderComboId);
    SetFocus(combo);
    EXPECT_GT(test::rowShare(list_, 1, ui::theme.accentSoft), 0.5) << "without the focus";
    RECT client{};
    GetClientRect(combo, &client);
    test::Dib dib(client.right, client.bottom, 0xFFFF00FF);
    SendMessageW(combo, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.dc()), PRF_CLIENT);
    EXPECT_EQ(dib.rgb(0, client.bottom / 2), ui::theme.border & 0xFFFFFF) << "the combo's frame";
    ui::currentSettings = AppSettings{};
    ui::applyTheme();
}

TEST_F(LargeFilesWindowTest, MinimumSizeUnitFitsBetweenTheEditBoxAndTheSearchButtonInEveryLanguage) {
    const auto placed = [this](int id) {
        RECT r{};
        GetWindowRect(GetDlgItem(window_, id), &r);
        MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    test::Dib dib(8, 8);
    for (int language = 0; language < LanguageCount; ++language) {
        SCOPED_TRACE(LanguageCodes[language]);
        currentLanguage = language;
        SendMessageW(window_, WM_APP_SETTINGS_CHANGED, 0, 0);
        const float s = data_->scale;
        const detail::MinimumSizeRow row = detail::minimumSizeRow(s);
        // The unit queued as the window's painter queues it, and fitted by the canvas's own measuring.
        ui::Canvas canvas(dib.dc(), s, ui::uiFontFace(), isRightToLeft(), nullptr);
        canvas.queueText(translate(L"МБ"), row.unitX, 187, row.unitWidth, 25, detail::MinimumSizeUnitTextSize, 0,
                         false, true, true, false);
        ui::TextItem& unit = canvas.texts.items.back();
        const int32_t fullSize = unit.pixelSize;
        const SIZE measured = ui::fitTextItem(ui::fontCache, unit);
        EXPECT_EQ(unit.pixelSize, fullSize) << "not shrunk";
        EXPECT_LE(measured.cx, unit.rect.right - unit.rect.left) << "whole, without an ellipsis";
        const RECT edit = placed(MinimumEditId);
        EXPECT_GT(unit.rect.left, edit.right) << "after the edit box";
        EXPECT_LT(unit.rect.right, placed(SearchButtonId).left) << "before the Search button";
        EXPECT_GE(edit.right - edit.left, lroundf(80.0f * s)) << "room for seven digits";
    }
}

TEST_F(LargeFilesWindowTest, BandMarkIsTheHistoryWindowsOwn) {
    openHistoryWindow();
    ASSERT_EQ(historyWindows.size(), 1u);
    HWND history = historyWindows.front();
    HistoryData& other = *historyData(history);
    RedrawWindow(history, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    paintLargeFiles(window_, *data_);
    ASSERT_EQ(data_->scale, other.scale);
    // The band above the page tile: logo, name and version.
    int differing = 0;
    for (int y = 0; y < 160; ++y) {
        for (int x = 0; x < 170; ++x) {
            differing += (data_->frame.bits[y * data_->frame.width + x] & 0xFFFFFF) !=
                         (other.frame.bits[y * other.frame.width + x] & 0xFFFFFF);
        }
    }
    EXPECT_EQ(differing, 0);
    DestroyWindow(history);
}

TEST_F(LargeFilesWindowTest, ResizeAtTheSameScaleRepaintsTheWholeFrame) {
    RECT r{};
    GetWindowRect(window_, &r);
    SetWindowPos(window_, nullptr, 0, 0, 1000, 700, SWP_NOZORDER | SWP_NOACTIVATE);
    paintLargeFiles(window_, *data_);
    const float scale = data_->scale;
    SetWindowPos(window_, nullptr, 0, 0, 960, 680, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(data_->scale, scale) << "the case needs a resize that keeps the scale";
    paintLargeFiles(window_, *data_);
    RECT client{};
    GetClientRect(window_, &client);
    ASSERT_EQ(data_->frame.width, client.right);
    auto pixel = [&](int x, int y) { return data_->frame.bits[y * data_->frame.width + x] & 0xFFFFFF; };
    EXPECT_EQ(pixel(client.right - 3, client.bottom - 3), ui::theme.background & 0xFFFFFF);
    EXPECT_EQ(pixel(3, client.bottom - 3), ui::theme.navBackground & 0xFFFFFF);
}

TEST_F(LargeFilesWindowTest, StatusLineNamesTheOperationThatRuns) {
    currentLanguage = EnglishLanguage;
    busy = true;
    operationOwner = window_;
    progressDone = 7;
    progressTotal = 9;
    const std::pair<int, std::wstring> cases[] = {{PhaseSearchingLarge, L"Searching for files… · 7 / 9"},
                                                  {PhaseRecyclingLarge, L"Moving to Recycle Bin… · 7 / 9"}};
    for (const auto& [phase, text] : cases) {
        operationPhase = phase;
        EXPECT_EQ(detail::largeFilesStatusText(window_, *data_, 2), text + L" · Selected files: 2");
    }
    busy = false;
    operationOwner = nullptr;
    operationPhase = PhaseIdle;
}

TEST_F(LargeFilesWindowTest, ProgressOfItsSearchReachesItsStatusLine) {
    // The window's own search, and a progress report: the paint that follows shows the new count, as a
    // render made from scratch would.
    busy = true;
    operationOwner = window_;
    operationPhase = PhaseSearchingLarge;
    progressDone = progressTotal = 0;
    ++ui::uiGeneration;
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);  // the frame as the search started
    onProgressMessage(reinterpret_cast<LPARAM>(new ProgressUpdate{L"C:\\big", 4321, 0}));
    UpdateWindow(window_);
    GdiFlush();
    const std::vector<uint32_t> painted(data_->frame.bits, data_->frame.bits + data_->frame.width * data_->frame.height);
    ++ui::uiGeneration;
    paintLargeFiles(window_, *data_);
    GdiFlush();
    const std::vector<uint32_t> fresh(data_->frame.bits, data_->frame.bits + data_->frame.width * data_->frame.height);
    EXPECT_TRUE(painted == fresh) << "the status line kept the count before the report";
    busy = false;
    operationOwner = nullptr;
    operationPhase = PhaseIdle;
}

}  // namespace
}  // namespace pm
