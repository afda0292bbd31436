// The large-files window's commands: search, move to the Recycle Bin, cancel, choose a folder, open a
// file's folder, and the enabling rules that go with them.
#include "app/large_files_data.h"
#include "app/large_files_internal.h"
#include "app/large_operations.h"

#include "app/format_bytes.h"
#include "app/main_layout.h"
#include "app/operations.h"
#include "app/shell_globals.h"
#include "engine/com_holder.h"
#include "services/i18n/translate.h"
#include "ui/message_box.h"
#include "ui/shell_state.h"
#include "ui/window_focus.h"
#include "ui/window_utils.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>

namespace pm {

namespace detail {

std::optional<uint64_t> parseMinimumSizeMb(const std::wstring& text) {
    // ES_NUMBER does not stop pasted text, so only the ASCII digits of the whole text count.
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - L'0');
        if (value > MaxMinimumSizeMb) return std::nullopt;
    }
    if (value < 1) return std::nullopt;
    return value;
}

std::wstring folderOfFile(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring recycleConfirmationText(uint64_t count, uint64_t totalBytes) {
    return translate(L"Переместить выбранные файлы в корзину?") + L"\n\n" + translate(L"Выбрано файлов:") + L" " +
           formatCount(count) + L" · " + formatBytes(totalBytes) + L"\n\n" +
           translate(L"Файлы можно восстановить из системной корзины. Постоянное удаление не используется.");
}

}  // namespace detail

namespace {

constexpr const wchar_t* ChooseFolderWarning = L"Для поиска выберите папку или локальный диск.";

std::wstring controlText(HWND window, int id) {
    HWND control = GetDlgItem(window, id);
    if (!control) return std::wstring();
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    const int read = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(read, 0)));
    return text;
}

// The shell's state when this window starts its operation.
void markBusy(HWND window, int phase, uint64_t total, const wchar_t* status) {
    joinWorker();
    cancelRequested.store(false);
    busy = true;
    operationPhase = phase;
    progressDone = 0;
    progressTotal = total;
    shownProgress = 0.0f;
    operationOwner = window;
    statusText = status;
    layoutMainControls();
    updateLargeFilesControlsIfReady(window);
}

bool mayStart(HWND window) {
    return largeFilesData(window) != nullptr && largeFilesIdle() && ui::modalDepth == 0;
}

void enable(HWND window, int id, bool enabled) {
    HWND control = GetDlgItem(window, id);
    if (control && (IsWindowEnabled(control) != FALSE) != enabled) EnableWindow(control, enabled ? TRUE : FALSE);
}

}  // namespace

bool largeFilesIdle() {
    return !busy && !exitAfterOperation && !ui::exitPending;
}

void onLargeSearchCommand(HWND window) {
    if (!mayStart(window)) return;
    const std::wstring folder = controlText(window, FolderComboId);
    const std::optional<uint64_t> minimumMb = detail::parseMinimumSizeMb(controlText(window, MinimumEditId));
    if (!minimumMb) {
        ui::messageBox(L"Введите минимальный размер от 1 до 1048576 МБ.", MB_ICONWARNING);
        return;
    }
    if (folder.empty()) {
        ui::messageBox(ChooseFolderWarning, MB_ICONWARNING);
        return;
    }
    markBusy(window, PhaseSearchingLarge, 0, L"Поиск файлов…");
    // The folder goes as typed: the engine's path rules decide what may be searched.
    startLargeSearch(window, large::LargeSearchOptions{folder, *minimumMb << 20, detail::largeSearchLimit});
}

void onLargeRecycleCommand(HWND window) {
    if (!mayStart(window)) return;
    LargeFilesData* data = largeFilesData(window);
    std::vector<uint64_t> indices = selectedLargeFiles(window, *data);
    if (indices.empty()) return;
    uint64_t total = 0;
    for (uint64_t index : indices) {
        if (index < data->result.files.size()) total += data->result.files[static_cast<size_t>(index)].size;
    }
    const int answer = ui::showMessageBox(detail::recycleConfirmationText(indices.size(), total), L"Большие файлы",
                                          MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
    // The box ran a message loop: anything may have changed meanwhile.
    if (answer != IDYES || !IsWindow(window) || !largeFilesIdle()) return;
    data = largeFilesData(window);
    if (!data) return;
    large::LargeSearchResult copy = data->result;
    markBusy(window, PhaseRecyclingLarge, indices.size(), L"Перемещение в корзину…");
    recycleLarge(window, std::move(copy), std::move(indices));
}

void onLargeCancelCommand(HWND window) {
    if (!busy || operationOwner != window) return;
    cancelRequested.store(true);
    statusText = L"Отмена…";
    layoutMainControls();
}

void chooseLargeSearchFolder(HWND window) {
    ComHolder<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                dialog.putVoid())) ||
        !dialog) {
        ui::messageBox(ChooseFolderWarning, MB_ICONWARNING);
        return;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR);
    const std::wstring title = translate(L"Выберите папку или диск");
    dialog->SetTitle(title.c_str());
    ui::ModalScope scope(window);  // a waiting exit or hide runs once the picker is gone
    if (FAILED(dialog->Show(window))) return;
    ComHolder<IShellItem> item;
    if (FAILED(dialog->GetResult(item.put())) || !item) return;
    PWSTR path = nullptr;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
        if (IsWindow(window)) SetDlgItemTextW(window, FolderComboId, path);
        CoTaskMemFree(path);
    }
}

void openSelectedFolder(HWND window) {
    LargeFilesData* data = largeFilesData(window);
    if (!data) return;
    const std::vector<uint64_t> selected = selectedLargeFiles(window, *data);
    if (selected.empty() || selected.front() >= data->result.files.size()) return;
    const std::wstring path = data->result.files[static_cast<size_t>(selected.front())].path;
    PIDLIST_ABSOLUTE list = nullptr;
    if (SUCCEEDED(SHParseDisplayName(path.c_str(), nullptr, &list, 0, nullptr)) && list) {
        const HRESULT hr = SHOpenFolderAndSelectItems(list, 0, nullptr, 0);
        CoTaskMemFree(list);
        if (SUCCEEDED(hr)) return;
    }
    const std::wstring folder = detail::folderOfFile(path);
    if (!folder.empty()) {
        const auto result = reinterpret_cast<INT_PTR>(
            ShellExecuteW(window, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (result > 32) return;
    }
    ui::messageBox(L"Не удалось открыть выбранную папку.", MB_ICONWARNING);
}

void updateLargeFilesControls(HWND window) {
    LargeFilesData* data = largeFilesData(window);
    // Disabling the focused control drops the focus: which one had it is read first.
    const HWND focus = GetFocus();
    const bool idle = largeFilesIdle();
    HWND list = GetDlgItem(window, FileListId);
    const bool selection = list && SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
    enable(window, FolderComboId, idle);
    enable(window, ChooseFolderButtonId, idle);
    enable(window, MinimumEditId, idle);
    enable(window, SearchButtonId, idle);
    enable(window, FileListId, !busy);
    enable(window, CancelButtonId, busy && operationOwner == window);
    enable(window, RecycleButtonId, idle && selection);
    enable(window, OpenFolderButtonId, !busy && selection);
    if (data) {
        const bool ownOperation = busy && operationOwner == window;
        if (!ownOperation) ui::restoreFocusAfterOperation(window, data->focus, focus);
        ui::keepFocusOnAControl(window, data->focus, focus, ownOperation);
    }
    ++ui::uiGeneration;  // the status line changes with the state
    InvalidateRect(window, nullptr, FALSE);
    for (int id : {ChooseFolderButtonId, SearchButtonId, CancelButtonId, RecycleButtonId, OpenFolderButtonId}) {
        if (HWND button = GetDlgItem(window, id)) InvalidateRect(button, nullptr, FALSE);
    }
}

void updateLargeFilesControlsIfReady(HWND window) {
    if (window && IsWindow(window) && largeFilesData(window)) updateLargeFilesControls(window);
}

}  // namespace pm
