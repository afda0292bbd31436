// What the clean pass tests share: the progress calls they record and the Recycle Bin of the private prefix.
#pragma once

#include "engine/scan_types.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pm::test {

struct ProgressCall {
    std::wstring label;
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    bool operator==(const ProgressCall&) const = default;
};

struct ProgressLog {
    std::vector<ProgressCall> calls;
    ProgressCallback callback() {
        return [this](const std::wstring& label, std::uint64_t done, std::uint64_t total) {
            calls.push_back({label, done, total});
        };
    }
    std::vector<std::wstring> labels() const {
        std::vector<std::wstring> result;
        for (const ProgressCall& call : calls) result.push_back(call.label);
        return result;
    }
};

inline SHQUERYRBINFO queryRecycleBin() {
    SHQUERYRBINFO bin{};
    bin.cbSize = sizeof(bin);
    if (FAILED(SHQueryRecycleBinW(nullptr, &bin))) bin.i64NumItems = -1;
    return bin;
}

// Moves a file to the Recycle Bin as the shell does on a delete that can be undone.
inline bool recycle(const std::wstring& path) {
    std::wstring from = path + L'\0';  // a double-terminated list of one
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

inline void emptyRecycleBin() {
    SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
}

// Wine's Recycle Bin is the private XDG trash, $XDG_DATA_HOME/Trash: "files" holds each item under its name
// inside the bin, "info" its record (NAME.trashinfo). Reached from Windows through drive Z:.
inline std::wstring trashFolder() {
    wchar_t data[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"XDG_DATA_HOME", data, MAX_PATH);
    std::wstring path = L"Z:" + std::wstring(data, n < MAX_PATH ? n : 0) + L"/Trash";
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

// What the Shell's "Restore" does: the item back where it came from, its record gone.
inline bool restoreFromTrash(const std::wstring& name, const std::wstring& original) {
    const std::wstring trash = trashFolder();
    return MoveFileW((trash + L"\\files\\" + name).c_str(), original.c_str()) &&
           DeleteFileW((trash + L"\\info\\" + name + L".trashinfo").c_str());
}

}  // namespace pm::test
