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
#include <cwchar>
#include <memory>
#include <utility>

namespace pm {

namespace {

std::wstring number(std::uint64_t value) {
    wchar_t buffer[32] = {};
    std::swprintf(buffer, 32, L"%llu", static_cast<unsigned long long>(value));
    return buffer;
}

// The record of the LPARAM, owned from here on; an empty one for a null LPARAM.
template <class Record>
std::unique_ptr<Record> take(LPARAM record) {
    std::unique_ptr<Record> owned(reinterpret_cast<Record*>(record));
    return owned ? std::move(owned) : std::make_unique<Record>();
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
    const std::wstring count = total > 0 ? translate(L"Обработано") + L" " + number(done) + L" / " + number(total)
                                         : translate(L"Проверено файлов:") + L" " + number(done);
    return count + L" \u00B7 " + shown;
}

std::wstring cleanResultText(const CleanResult& result) {
    std::wstring text = translate(result.cancelled ? L"Очистка отменена." : L"Очистка завершена.") + L"\n";
    text += translate(L"Удалено:") + L" " + number(result.filesDeleted) + L" " + translate(L"файлов") + L"; " +
            formatBytes(result.bytesFreed) + L".\n";
    text += translate(L"Пропущено:") + L" " + number(result.skipped) + L". " + translate(L"Ошибки:") + L" " +
            number(result.failed);
    if (result.recycleBinEmptied) text += L"\n" + translate(L"Корзина очищена.");
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

void finishWithError(const std::wstring& text) {
    joinWorker();
    lastOperationKind = 0;
    statusText = text;
    recordHistoryNote(statusText, std::wstring());
    refreshHistoryWindows();
    layoutMainControls();
    continueExitOrShow(text, MB_ICONWARNING);
}

void onWorkerError(LPARAM record) {
    const std::unique_ptr<std::wstring> text = take<std::wstring>(record);
    finishWithError(*text);
}

}  // namespace pm
