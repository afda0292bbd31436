#include "services/state/state_file.h"

#include <windows.h>
#include <dpapi.h>
#include <shlobj.h>

#include <stdexcept>

namespace pm {

namespace {

constexpr LONGLONG MaxStateFileBytes = 262144;
constexpr DWORD MaxStateJsonBytes = 131072;
constexpr const wchar_t* StateDescription = L"Pelmirt user state";

struct FileHandle {
    HANDLE handle = INVALID_HANDLE_VALUE;
    explicit FileHandle(HANDLE h) : handle(h) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    void close() {
        if (valid()) CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
};

// The buffer CryptProtectData or CryptUnprotectData hands out, released on every path.
struct LocalBlob {
    DATA_BLOB blob{};
    ~LocalBlob() {
        if (blob.pbData) LocalFree(blob.pbData);
    }
};

std::wstring stateFilePath() {
    return appDataDir() + L"\\state.dat";
}

}  // namespace

std::wstring appDataDir() {
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
        throw std::runtime_error("LocalAppData");
    }
    std::wstring dir = std::wstring(buffer) + L"\\Pelmirt";
    CreateDirectoryW(dir.c_str(), nullptr);  // fails harmlessly when the folder is there
    return dir;
}

std::vector<std::uint8_t> readWholeFile(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return {};
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.handle, &size) || size.QuadPart <= 0 || size.QuadPart > MaxStateFileBytes) return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size()) {
        return {};
    }
    return bytes;
}

std::vector<std::uint8_t> protectForUser(const std::uint8_t* bytes, std::uint32_t length,
                                         const std::wstring& description) {
    DATA_BLOB input{length, const_cast<BYTE*>(bytes)};
    LocalBlob output;
    if (!CryptProtectData(&input, description.c_str(), nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &output.blob)) {
        throw std::runtime_error("DPAPI");
    }
    return std::vector<std::uint8_t>(output.blob.pbData, output.blob.pbData + output.blob.cbData);
}

JsonValue unprotectJson(std::span<const std::uint8_t> protectedBytes) {
    if (protectedBytes.empty() || protectedBytes.size() > MAXDWORD) throw std::runtime_error("DPAPI");
    DATA_BLOB input{static_cast<DWORD>(protectedBytes.size()), const_cast<BYTE*>(protectedBytes.data())};
    LocalBlob output;
    if (!CryptUnprotectData(&input, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &output.blob)) {
        throw std::runtime_error("DPAPI");
    }
    if (output.blob.cbData > MaxStateJsonBytes) throw std::runtime_error("JSON too large");
    const std::string text(reinterpret_cast<const char*>(output.blob.pbData), output.blob.cbData);
    return parseJson(text);
}

void writeFileAtomically(const std::wstring& path, const std::uint8_t* bytes, std::uint32_t length) {
    const std::wstring temporary = path + L".new";
    FileHandle file(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) throw std::runtime_error("cannot save settings");
    DWORD written = 0;
    const bool complete = WriteFile(file.handle, bytes, length, &written, nullptr) && written == length;
    if (!complete || !FlushFileBuffers(file.handle)) {
        file.close();
        DeleteFileW(temporary.c_str());
        throw std::runtime_error("cannot commit settings");
    }
    file.close();
    // The old file stays whole until this replaces it in one step.
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        throw std::runtime_error("cannot commit settings");
    }
}

void saveAppState(const AppSettings& settings) {
    std::string text = "{\"close_browsers\":";
    text += settings.close_browsers ? "true" : "false";
    text += settingsToJson(settings);
    text += "}";
    const std::vector<std::uint8_t> sealed = protectForUser(reinterpret_cast<const std::uint8_t*>(text.data()),
                                                            static_cast<std::uint32_t>(text.size()), StateDescription);
    writeFileAtomically(stateFilePath(), sealed.data(), static_cast<std::uint32_t>(sealed.size()));
}

AppSettings loadAppState() {
    AppSettings settings;
    const std::vector<std::uint8_t> bytes = readWholeFile(stateFilePath());
    if (!bytes.empty()) {
        // Each step takes its members in turn; the first failure keeps the defaults of everything after it.
        try {
            const JsonValue state = unprotectJson(bytes);
            const JsonValue& closeBrowsers = state.at("close_browsers");
            if (closeBrowsers.kind != JsonKind::Bool) throw std::runtime_error("JSON bool expected");
            settings.close_browsers = closeBrowsers.boolValue;
            settingsFromJson(state, settings);
        } catch (...) {
        }
    }
    normalizeSettings(settings);
    return settings;
}

}  // namespace pm
