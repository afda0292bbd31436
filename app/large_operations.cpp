#include "app/large_operations.h"

#include "app/app_messages.h"
#include "app/exit_and_tray.h"
#include "app/format_bytes.h"
#include "app/large_files_data.h"
#include "app/large_files_internal.h"
#include "app/main_layout.h"
#include "app/operations.h"
#include "app/operations_internal.h"
#include "app/shell_globals.h"
#include "app/status_line.h"
#include "app/worker_messages.h"
#include "app/worker_posts.h"
#include "engine/com_holder.h"
#include "services/history/history_record.h"
#include "services/history/history_writer.h"
#include "services/i18n/translate.h"
#include "ui/message_box.h"
#include "ui/shell_state.h"
#include "ui/window_utils.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <system_error>
#include <thread>

namespace pm {

namespace detail {

large::TransferSourceBinder largeRecycleBinder;
uint64_t largeSearchLimit = MaxLargeResults;

std::wstring movedInsteadLines(const std::vector<std::wstring>& movedInstead, std::size_t maxUnits) {
    const std::wstring lead = L"\n" +
                              translate(L"Вместо выбранного файла в корзину перемещён другой, занявший его место. "
                                        L"Восстановите его из корзины, если он нужен:") +
                              L" ";
    std::wstring lines;
    for (const std::wstring& path : movedInstead)
        if (lines.size() + lead.size() + path.size() <= maxUnits) lines += lead + path;
    return lines;
}

std::wstring recycleResultText(uint64_t recycled, uint64_t bytes, uint64_t skipped, uint64_t failed,
                               bool cancelled, const std::vector<std::wstring>& movedInstead) {
    std::wstring text;
    if (cancelled) text += translate(L"Перемещение отменено.") + L"\n";
    text += translate(L"В корзину перемещено:") + L" " + formatCount(recycled) + L" · " + formatBytes(bytes) + L"\n";
    text += translate(L"Пропущено:") + L" " + formatCount(skipped) + L" · " + translate(L"Ошибки:") + L" " +
            formatCount(failed) + L"\n";
    text += failed != 0 ? translate(L"Файлы с ошибками не учтены в результате. Проверьте системную корзину.")
                        : translate(L"Недоступные или изменившиеся файлы сохранены.");
    return text + movedInsteadLines(movedInstead);
}

}  // namespace detail

namespace {

std::unique_ptr<LargeSearchReport> searchFailure(HWND window) {
    auto report = std::make_unique<LargeSearchReport>();
    report->window = window;
    report->result.errors = 1;
    report->result.message = L"Не удалось завершить поиск.";
    return report;
}

std::unique_ptr<RecycleReport> recycleFailure(HWND window) {
    auto report = std::make_unique<RecycleReport>();
    report->window = window;
    report->failed = 1;
    return report;
}

void postSearchFailure(HWND window) {
    try {
        postCompletion(WM_APP_LARGE_SEARCH_DONE, searchFailure(window));
    } catch (...) {
        // Out of memory even for the failure report: nothing more can be done from here.
    }
}

void postRecycleFailure(HWND window) {
    try {
        postCompletion(WM_APP_LARGE_RECYCLE_DONE, recycleFailure(window));
    } catch (...) {
    }
}

void appendHistoryRecord(HistoryKind kind, uint64_t files, uint64_t bytes, uint64_t skipped, uint64_t errors,
                         bool cancelled, bool truncated, const std::wstring& text,
                         const std::wstring& detail = std::wstring()) {
    HistoryRecord record;
    record.kind = kind;
    record.files = files;
    record.bytes = bytes;
    record.skipped = skipped;
    record.errors = errors;
    record.cancelled = cancelled;
    record.truncated = truncated;
    record.counters_known = true;
    record.text = text;
    record.detail = detail;
    appendHistory(record);
}

// The record of the report's window, when that window still exists.
LargeFilesData* liveData(HWND window) {
    // Only the large-files window itself: a handle reused by another window never reads as its record.
    return window && window == largeFilesWindow && IsWindow(window) ? largeFilesData(window) : nullptr;
}

}  // namespace

void runLargeSearchWorker(HWND window, const large::LargeSearchOptions& options, const ProgressCallback& progress) {
    try {
        auto report = std::make_unique<LargeSearchReport>();
        report->window = window;
        report->result = large::searchLargeFiles(options, cancelRequested, progress);
        postCompletion(WM_APP_LARGE_SEARCH_DONE, std::move(report));
    } catch (...) {
        postSearchFailure(window);
    }
}

void runRecycleWorker(HWND window, const large::LargeSearchResult& result, const std::vector<uint64_t>& indices,
                      const ProgressCallback& progress) {
    try {
        ComApartment apartment;  // the worker's own for the whole move; the engine's nests inside it
        large::RecycleResult moved =
            detail::largeRecycleBinder
                ? large::recycleLargeFilesWith(result, indices, cancelRequested, progress, detail::largeRecycleBinder)
                : large::recycleLargeFiles(result, indices, cancelRequested, progress);
        auto report = std::make_unique<RecycleReport>();
        report->window = window;
        report->recycled = moved.recycled;
        report->bytesRecycled = moved.bytesRecycled;
        report->skipped = moved.skipped;
        report->failed = moved.failed;
        report->cancelled = moved.cancelled;
        report->outcomes = std::move(moved.outcomes);
        postCompletion(WM_APP_LARGE_RECYCLE_DONE, std::move(report));
    } catch (...) {
        postRecycleFailure(window);
    }
}

void startLargeSearch(HWND window, large::LargeSearchOptions options) {
    try {
        workerThread = makeWorkerThread([window, options = std::move(options)] {
            runLargeSearchWorker(window, options, postProgress);
        });
    } catch (...) {
        // No thread (or no memory for its copy): the search ends here, on the UI thread, the way a failed
        // worker ends it; posting to our own queue could fail and leave the shell busy.
        onLargeSearchDone(reinterpret_cast<LPARAM>(searchFailure(window).release()));
    }
}

void recycleLarge(HWND window, large::LargeSearchResult result, std::vector<uint64_t> indices) {
    try {
        workerThread = makeWorkerThread([window, result = std::move(result), indices = std::move(indices)] {
            runRecycleWorker(window, result, indices, postProgress);
        });
    } catch (...) {
        onLargeRecycleDone(reinterpret_cast<LPARAM>(recycleFailure(window).release()));
    }
}

void onLargeSearchDone(LPARAM record) {
    std::unique_ptr<LargeSearchReport> report(reinterpret_cast<LargeSearchReport*>(record));
    if (!report) return;
    large::LargeSearchResult& result = report->result;
    appendHistoryRecord(HistoryKind::LargeSearch, result.files.size(), result.totalBytes, result.skipped,
                        result.errors, result.cancelled, result.truncated, result.message);
    const std::wstring message = result.message;
    const bool cancelled = result.cancelled;
    const bool truncated = result.truncated;
    HWND window = report->window;
    LargeFilesData* data = liveData(window);
    joinWorker();
    if (data) {
        clearLargeListSelection(window);
        data->result = std::move(result);
        data->moved.assign(data->result.files.size(), 0);
        data->rows.resize(data->result.files.size());
        std::iota(data->rows.begin(), data->rows.end(), uint64_t{0});
        data->searched = true;
        sortLargeList(window, *data, std::vector<uint64_t>{});
        updateLargeFilesControls(window);
        if (data->closeWhenDone) DestroyWindow(window);
    }
    lastOperationKind = 0;
    statusText = !message.empty() ? message : cancelled ? L"Поиск отменён" : L"Поиск завершён";
    refreshHistoryWindows();
    layoutMainControls();
    if (exitAfterOperation) {
        PostMessageW(ui::mainWindow, WM_APP_CONTINUE_EXIT, 0, 0);
    } else if (truncated && ui::isMainWindowShown() && window && IsWindow(window) && IsWindowVisible(window) &&
               ui::modalDepth == 0) {
        ui::messageBox(L"Список ограничен. Увеличьте минимальный размер и повторите поиск.", MB_ICONWARNING);
    }
}

void finishRecycleLarge(RecycleReport& report) {
    HWND window = report.window;
    LargeFilesData* data = liveData(window);
    joinWorker();
    std::vector<std::wstring> movedInstead;
    for (const large::RecycleOutcome& o : report.outcomes)
        if (!o.movedInstead.empty()) movedInstead.push_back(o.movedInstead);
    const std::wstring text = detail::recycleResultText(report.recycled, report.bytesRecycled, report.skipped,
                                                        report.failed, report.cancelled, movedInstead);
    bool closed = false;
    if (data) {
        const std::vector<uint64_t> keep = selectedLargeFiles(window, *data);
        data->recycled = report.recycled;
        data->bytesRecycled = report.bytesRecycled;
        data->recycleSkipped = report.skipped;
        data->recycleFailed = report.failed;
        data->recycleCancelled = report.cancelled;
        data->outcomes = report.outcomes;
        const size_t n = data->result.files.size();
        data->moved.resize(n, 0);
        for (const large::RecycleOutcome& o : report.outcomes) {
            if (o.status == large::RecycleStatus::Recycled && o.index < n) data->moved[static_cast<size_t>(o.index)] = 1;
        }
        std::erase_if(data->rows, [&](uint64_t index) { return index < n && data->moved[static_cast<size_t>(index)]; });
        sortLargeList(window, *data, keep);
        updateLargeFilesControls(window);
        if (data->closeWhenDone) {
            DestroyWindow(window);
            closed = true;
        }
    }
    driveList = listDrives();  // free space changed
    // The scan's Recycle Bin totals are stale now.
    analysisPresent = false;
    scanReport = ScanReport{};
    // A file moved instead of a listed one is counted among the errors (its row failed) and named here.
    appendHistoryRecord(HistoryKind::Recycle, report.recycled, report.bytesRecycled, report.skipped, report.failed,
                        report.cancelled, false, std::wstring(),
                        detail::movedInsteadLines(movedInstead, MaxHistoryTextUnits));
    lastOperationKind = 3;
    lastFiles = report.recycled;
    lastBytes = report.bytesRecycled;
    lastSkipped = report.skipped;
    lastErrors = report.failed;
    lastCancelled = report.cancelled;
    updateStatusLine();
    refreshHistoryWindows();
    layoutMainControls();
    if (exitAfterOperation) {
        PostMessageW(ui::mainWindow, WM_APP_CONTINUE_EXIT, 0, 0);
    } else if (!closed && ui::isMainWindowShown() && ui::modalDepth == 0) {
        ui::messageBox(text, MB_ICONINFORMATION);
    }
}

void onLargeRecycleDone(LPARAM record) {
    std::unique_ptr<RecycleReport> report(reinterpret_cast<RecycleReport*>(record));
    if (report) finishRecycleLarge(*report);
}

}  // namespace pm
