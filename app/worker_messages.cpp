#include "app/worker_messages.h"

#include "app/app_messages.h"
#include "app/desktop_widget.h"
#include "app/exit_and_tray.h"
#include "app/format_bytes.h"
#include "app/history_note.h"
#include "app/large_files_window.h"
#include "app/main_frame.h"
#include "app/main_layout.h"
#include "app/operations.h"
#include "app/shell_globals.h"
#include "app/status_line.h"
#include "app/worker_messages_internal.h"
#include "app/worker_posts.h"
#include "engine/drives.h"
#include "services/history/history_writer.h"
#include "services/i18n/translate.h"
#include "ui/message_box.h"
#include "ui/shell_state.h"
#include "ui/window_utils.h"

#include <ctime>
#include <memory>
#include <utility>

namespace pm {

namespace {

// The record of the LPARAM, owned from here on; null for a message that carries none, which the
// handler ignores (an empty stand-in would wipe the analysis or record an operation that never ran).
template <class Record>
std::unique_ptr<Record> take(LPARAM record) {
    return std::unique_ptr<Record>(reinterpret_cast<Record*>(record));
}

// The last act of a completion handler: continue a waiting exit, or show the box when the user can see it.
void continueExitOrShow(const std::wstring& text, UINT icon) {
    if (exitAfterOperation) {
        PostMessageW(ui::mainWindow, WM_APP_CONTINUE_EXIT, 0, 0);
    } else if (ui::isMainWindowShown() && ui::modalDepth == 0) {
        ui::messageBox(text, icon);
    }
}

}  // namespace

std::wstring progressLine(const std::wstring& label, std::uint64_t done, std::uint64_t total) {
    std::wstring shown = label;
    if (label == L"Finished") {
        shown = translate(L"Очистка завершена.");
    } else if (label == L"Cancelled") {
        shown = translate(L"Очистка отменена.");
    } else if (label == L"Recycle Bin") {
        shown = translate(L"Корзина");
    }
    const std::wstring count = total > 0
                                   ? translate(L"Обработано") + L" " + formatCount(done) + L" / " + formatCount(total)
                                   : translate(L"Проверено файлов:") + L" " + formatCount(done);
    return count + L" \u00B7 " + shown;
}

std::wstring cleanCountersText(const CleanResult& result) {
    std::wstring text = translate(L"Удалено:") + L" " + formatCount(result.filesDeleted) + L" " + translate(L"файлов") +
                        L"; " + formatBytes(result.bytesFreed) + L".\n" + translate(L"Пропущено:") + L" " +
                        formatCount(result.skipped) + L". " + translate(L"Ошибки:") + L" " + formatCount(result.failed);
    if (result.recycleBinEmptied) text += L"\n" + translate(L"Корзина очищена.");
    return text;
}

std::wstring cleanResultText(const CleanResult& result) {
    std::wstring text = translate(result.cancelled ? L"Очистка отменена." : L"Очистка завершена.") + L"\n";
    text += cleanCountersText(result);
    text += L"\n\n" + translate(L"Повторите анализ для обновления списка.");
    return text;
}

HistoryRecord scanHistoryRecord(const ScanReport& report, bool cancelled) {
    HistoryRecord record;
    record.kind = HistoryKind::Scan;
    record.files = report.entries.size() + static_cast<std::uint64_t>(report.recycleBinItems);
    record.bytes = report.categoryBytes[0] + report.categoryBytes[1] + static_cast<std::uint64_t>(report.recycleBinBytes);
    record.skipped = report.skipped;
    record.errors = report.errors;
    record.cancelled = cancelled;
    record.counters_known = true;
    return record;
}

void onProgressMessage(LPARAM record) {
    const std::unique_ptr<ProgressUpdate> update(reinterpret_cast<ProgressUpdate*>(record));
    if (!update) return;
    progressDone = update->done;
    progressTotal = update->total;
    progressText = progressLine(update->label, update->done, update->total);
    // Only the progress line and strip change: that area of the frame is rendered again, not the frame.
    invalidateFrameArea(layoutRect(statusArea(computeMainLayout())));
    if (largeFilesWindow && IsWindow(largeFilesWindow)) invalidateLargeFilesFrame(largeFilesWindow);
    refreshWidget();
}

void onScanDone(LPARAM record) {
    const std::unique_ptr<ScanReport> report = take<ScanReport>(record);
    if (!report) return;
    scanReport = std::move(*report);
    analysisPresent = true;
    lastOperationKind = 1;
    lastSkipped = scanReport.skipped;
    lastErrors = scanReport.errors;
    lastCancelled = cancelRequested.load();
    joinWorker();
    lastOperationTime = _time64(nullptr);
    updateStatusLine();
    appendHistory(scanHistoryRecord(scanReport, lastCancelled));
    refreshHistoryWindows();
    layoutMainControls();
    if (exitAfterOperation) PostMessageW(ui::mainWindow, WM_APP_CONTINUE_EXIT, 0, 0);
}

void onCleanDone(LPARAM record) {
    const std::unique_ptr<CleanResult> result = take<CleanResult>(record);
    if (!result) return;
    lastOperationKind = 2;
    lastBytes = result->bytesFreed;
    lastSkipped = result->skipped;
    lastErrors = result->failed;
    joinWorker();
    lastResultText = cleanResultText(*result);
    updateStatusLine();

    HistoryRecord entry;
    entry.kind = HistoryKind::Cleanup;
    entry.files = result->filesDeleted;
    entry.bytes = result->bytesFreed;
    entry.skipped = result->skipped;
    entry.errors = result->failed;
    entry.cancelled = result->cancelled;
    entry.recycle_emptied = result->recycleBinEmptied;
    entry.counters_known = true;
    appendHistory(entry);

    analysisPresent = false;  // a clean-up makes the scan stale
    scanReport = ScanReport{};
    driveList = listDrives();
    refreshHistoryWindows();
    layoutMainControls();
    continueExitOrShow(lastResultText, MB_ICONINFORMATION);
}

void finishWithError(const std::wstring& text, const CleanResult* cleaned) {
    joinWorker();
    lastOperationKind = 0;
    statusText = text;
    // What a failed clean-up had already done: in the history after the phrase, and in the box.
    const std::wstring counters = cleaned ? L"\n" + cleanCountersText(*cleaned) : std::wstring();
    recordHistoryNote(statusText, counters);
    if (cleaned && (cleaned->filesDeleted != 0 || cleaned->recycleBinEmptied)) {
        analysisPresent = false;  // part of what it showed is gone
        scanReport = ScanReport{};
        driveList = listDrives();
    }
    refreshHistoryWindows();
    layoutMainControls();
    continueExitOrShow(cleaned ? translate(text) + L"\n" + counters : text, MB_ICONWARNING);
}

void onWorkerError(LPARAM record) {
    const std::unique_ptr<WorkerFailure> failure = take<WorkerFailure>(record);
    if (!failure) {
        // Only a worker that had no memory left for its failure record posts none; its thread has ended,
        // so the operation still ends here, with its fixed phrase.
        if (busy) finishWithError(operationFailureText());
        return;
    }
    finishWithError(failure->text, failure->cleaned ? &*failure->cleaned : nullptr);
}

}  // namespace pm
