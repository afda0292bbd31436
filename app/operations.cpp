#include "app/operations.h"

#include "app/format_bytes.h"
#include "app/main_layout.h"
#include "app/operations_internal.h"
#include "app/shell_globals.h"
#include "app/worker_messages.h"
#include "app/worker_posts.h"
#include "app/app_messages.h"
#include "engine/browsers.h"
#include "engine/clean_pass.h"
#include "engine/scan.h"
#include "services/i18n/translate.h"
#include "ui/message_box.h"
#include "ui/shell_state.h"

#include <functional>
#include <memory>
#include <new>
#include <system_error>
#include <utility>

namespace pm {

namespace {

constexpr UINT QuestionFlags = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2;
constexpr int BrowserWaitPolls = 30;
constexpr DWORD BrowserWaitPollMs = 100;

constexpr wchar_t ScanFailedText[] = L"Не удалось завершить анализ.";
constexpr wchar_t CleanFailedText[] =
    L"Очистка прервана из-за ошибки. Файлы, которые не удалось обработать, сохранены.";

bool idleAndFree() { return !busy && !exitAfterOperation && !ui::exitPending; }

// Puts the shell into the running state of the phase and starts the body on the worker slot. When no
// thread can be made the operation ends at once, as a worker failure would end it, so that the shell is
// idle again.
template <class Body>
void launchWorker(int phase, const wchar_t* progress, const wchar_t* failureText, Body body) {
    joinWorker();
    cancelRequested = false;
    busy = true;
    operationPhase = phase;
    progressTotal = 0;
    progressDone = 0;
    shownProgress = 0.0f;
    progressText = progress;
    layoutMainControls();
    try {
        workerThread = makeWorkerThread(std::function<void()>(std::move(body)));
    } catch (...) {  // no thread, or no memory for it
        progressText.clear();
        finishWithError(failureText);
    }
}

bool ask(const std::wstring& text, const wchar_t* caption) {
    return ui::showMessageBox(text, caption, QuestionFlags) == IDYES;
}

// A worker's last word after an exception; it never throws, because an exception leaving a worker's body
// would end the whole process.
void postFailureText(const wchar_t* text, const CleanResult* reached = nullptr) noexcept {
    try {
        postWorkerError(new std::wstring(text), reached);
    } catch (...) {
        // Not even the record: a bare message still ends the operation, with its fixed phrase.
        postCompletionRecord(WM_APP_WORKER_ERROR, 0);
    }
}

std::thread startThread(std::function<void()> body) { return std::thread(std::move(body)); }

}  // namespace

WorkerThreadMaker makeWorkerThread = startThread;

void joinWorker() {
    if (workerThread.joinable()) workerThread.join();
    busy = false;
    operationPhase = PhaseIdle;
    operationOwner = nullptr;
}

const wchar_t* operationFailureText() { return operationPhase == PhaseCleaning ? CleanFailedText : ScanFailedText; }

uint64_t selectedCategoryBytes() {
    uint64_t bytes = 0;
    if (cleanSelection[categoryIndex(CleanCategory::Temp)]) bytes += scanReport.categoryBytes[0];
    if (cleanSelection[categoryIndex(CleanCategory::BrowserCache)]) bytes += scanReport.categoryBytes[1];
    if (cleanSelection[categoryIndex(CleanCategory::RecycleBin)])
        bytes += static_cast<uint64_t>(scanReport.recycleBinBytes);
    return bytes;
}

std::wstring cleanConfirmationText() {
    return translate(L"Удалить выбранные файлы?") + L"\n\n" + translate(L"Объём по анализу:") + L" " +
           formatBytes(selectedCategoryBytes()) + L".\n\n" +
           translate(L"Удаление необратимо. Занятые и изменившиеся файлы будут пропущены.");
}

std::wstring recycleBinQuestionText() {
    return translate(L"Полностью очистить вашу корзину?") + L"\n" + translate(L"Файлов:") + L" " +
           formatCount(static_cast<uint64_t>(scanReport.recycleBinItems)) + L". " + translate(L"Объём:") + L" " +
           formatBytes(static_cast<uint64_t>(scanReport.recycleBinBytes)) + L".\n" +
           translate(L"Удалённые файлы восстановить через корзину будет невозможно.");
}

void startScan() {
    if (!idleAndFree() || ui::modalDepth != 0) return;
    lastResultText.clear();
    launchWorker(PhaseScanning, L"Анализ файлов…", ScanFailedText, [] { runScanWorker(); });
}

void startClean() {
    if (!idleAndFree() || ui::modalDepth != 0 || !analysisPresent) return;
    if (!ask(cleanConfirmationText(), L"Подтверждение очистки")) return;
    if (cleanSelection[categoryIndex(CleanCategory::RecycleBin)] && scanReport.recycleBinItems != 0 &&
        !ask(recycleBinQuestionText(), L"Очистка корзины")) {
        return;
    }
    bool closeBrowsers = false;
    if (cleanSelection[categoryIndex(CleanCategory::BrowserCache)] && ui::currentSettings.close_browsers &&
        !runningBrowserNames().empty()) {
        if (!ask(translate(L"Попросить Chrome, Edge и Firefox закрыться?\nСохраните формы и незавершённую "
                           L"работу. Принудительное завершение не используется."),
                 L"Закрытие браузеров")) {
            return;
        }
        closeBrowsers = true;
    }
    // The questions ran a message loop: an exit, another operation or a destroyed window may have come.
    if (!idleAndFree() || !ui::mainWindow || !IsWindow(ui::mainWindow) || !analysisPresent) return;

    CleanRequest request;
    try {
        request = CleanRequest{scanReport, cleanSelection, closeBrowsers, ui::currentSettings};
    } catch (const std::bad_alloc&) {
        finishWithError(CleanFailedText);  // no memory for the worker's copy of the analysis
        return;
    }
    launchWorker(PhaseCleaning, L"Очистка файлов…", CleanFailedText,
                 [request = std::move(request)]() mutable { runCleanWorker(std::move(request)); });
}

void runScanWorkerWith(const ProgressCallback& progress) {
    try {
        auto report = std::make_unique<ScanReport>(scanTargets(cancelRequested, progress));
        postCompletion(WM_APP_SCAN_DONE, std::move(report));
    } catch (...) {
        postFailureText(ScanFailedText);
    }
}

void runCleanWorkerWith(CleanRequest request, const ProgressCallback& progress) {
    std::unique_ptr<CleanResult> result;  // outlives the try: what was deleted before a failure is reported
    try {
        if (request.closeBrowsers) {
            requestBrowserClose();
            for (int poll = 0; poll < BrowserWaitPolls; ++poll) {
                if (cancelRequested) break;
                if (runningBrowserNames().empty()) break;
                Sleep(BrowserWaitPollMs);
            }
        }
        result = std::make_unique<CleanResult>();
        CleanOptions options;
        options.skipLockedImmediately = request.settings.skip_locked;
        cleanTargets(request.report, request.selection, cancelRequested, progress, options, *result);
        postCompletion(WM_APP_CLEAN_DONE, std::move(result));
    } catch (...) {
        postFailureText(CleanFailedText, result.get());
    }
}

void runScanWorker() { runScanWorkerWith(postProgress); }

void runCleanWorker(CleanRequest request) { runCleanWorkerWith(std::move(request), postProgress); }

}  // namespace pm
