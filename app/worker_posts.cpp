#include "app/worker_posts.h"

#include "app/app_messages.h"
#include "app/worker_posts_internal.h"
#include "ui/shell_state.h"

#include <new>

namespace pm {

namespace {

constexpr std::uint64_t ProgressIntervalMs = 80;
constexpr DWORD RetryPauseMs = 10;

thread_local std::uint64_t lastProgressTick = 0;

}  // namespace

void postProgress(const std::wstring& label, std::uint64_t done, std::uint64_t total) {
    const std::uint64_t now = GetTickCount64();
    if (now - lastProgressTick < ProgressIntervalMs && done != total) return;
    lastProgressTick = now;
    auto record = std::make_unique<ProgressUpdate>(ProgressUpdate{label, done, total});
    if (PostMessageW(ui::mainWindow, WM_APP_PROGRESS, 0, reinterpret_cast<LPARAM>(record.get()))) record.release();
}

bool postCompletionRecordWith(PostMessageFn post, UINT message, LPARAM record, DWORD budgetMs) {
    const std::uint64_t start = GetTickCount64();
    for (;;) {
        if (post(ui::mainWindow, message, 0, record)) return true;
        // Windows answers a full queue (10,000 posted messages) with ERROR_NOT_ENOUGH_QUOTA; the UI
        // thread drains it as soon as it runs its loop again. Any other failure will not go away.
        if (GetLastError() != ERROR_NOT_ENOUGH_QUOTA) return false;
        if (GetTickCount64() - start >= budgetMs) return false;
        Sleep(RetryPauseMs);
    }
}

bool postCompletionRecord(UINT message, LPARAM record, DWORD budgetMs) {
    return postCompletionRecordWith(PostMessageW, message, record, budgetMs);
}

void postWorkerError(std::wstring* text, const CleanResult* reached) {
    std::unique_ptr<std::wstring> owned(text);
    std::unique_ptr<WorkerFailure> failure(new (std::nothrow) WorkerFailure);
    if (failure) {
        if (owned) failure->text = std::move(*owned);
        if (reached) failure->cleaned = *reached;
    }
    postCompletion(WM_APP_WORKER_ERROR, std::move(failure));
}

}  // namespace pm
