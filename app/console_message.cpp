#include "app/console_message.h"

#include "engine/handle_holder.h"

#include <windows.h>

#include <string>

namespace pm {

namespace {

bool usable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool writeTo(HANDLE handle, const std::wstring& text) {
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        DWORD written = 0;
        return WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
    }
    // A pipe or a file: UTF-8, as the rest of the program writes text.
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    if (length <= 0) return false;
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr, nullptr);
    DWORD written = 0;
    return WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE &&
           written == bytes.size();
}

}  // namespace

bool writeConsoleLine(const std::wstring& line) {
    const std::wstring text = line + L"\r\n";
    HANDLE given = GetStdHandle(STD_ERROR_HANDLE);
    if (usable(given)) return writeTo(given, text);
    // Started from a console without redirection: Windows gives a windowed program no standard handles.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    bool written = false;
    {
        // Closed before the console is let go.
        HandleHolder console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        written = console.valid() && writeTo(console.get(), text);
    }
    FreeConsole();
    return written;
}

}  // namespace pm
