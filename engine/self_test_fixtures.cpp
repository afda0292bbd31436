#include "engine/self_test_fixtures.h"

#include "engine/file_info.h"
#include "engine/handle_holder.h"
#include "engine/path_rules.h"

#include <windows.h>
#include <winioctl.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace pm {

namespace {

constexpr char kFixtureText[] = "Pelmirt isolated self-test fixture\n";
constexpr std::uint64_t kFixtureAge = 1'728'000'000'000ULL;  // 48 hours in 100 ns units
constexpr DWORD kFixtureAccess = GENERIC_WRITE | FILE_WRITE_ATTRIBUTES;
static_assert(kFixtureAccess == 0x40000100);

// The mount-point reparse buffer: a 4-byte tag, a 2-byte data length, 2 reserved bytes, then the offsets and
// lengths (in bytes) of the substitute and print names, then the names themselves, each followed by a NUL.
constexpr std::size_t kReparseBufferBytes = 8208;
constexpr std::size_t kMaxJunctionNameChars = 4095;  // both names and their two NULs
constexpr std::size_t kTagAt = 0;
constexpr std::size_t kDataLengthAt = 4;
constexpr std::size_t kSubstituteOffsetAt = 8;
constexpr std::size_t kSubstituteLengthAt = 10;
constexpr std::size_t kPrintOffsetAt = 12;
constexpr std::size_t kPrintLengthAt = 14;
constexpr std::size_t kPathBufferAt = 16;
constexpr std::size_t kOffsetsAndNulsBytes = 12;  // the four 2-byte fields and two 2-byte NULs
constexpr std::size_t kHeaderBytes = 8;           // tag, data length, reserved
static_assert(IO_REPARSE_TAG_MOUNT_POINT == 0xA0000003);
static_assert(FSCTL_SET_REPARSE_POINT == 0x900A4);

void put16(std::vector<unsigned char>& buffer, std::size_t at, std::size_t value) {
    const std::uint16_t v = static_cast<std::uint16_t>(value);
    std::memcpy(&buffer[at], &v, sizeof v);
}

void put32(std::vector<unsigned char>& buffer, std::size_t at, std::uint32_t value) {
    std::memcpy(&buffer[at], &value, sizeof value);
}

bool isJunctionOrLink(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(toLongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void removeFixtureFolder(const std::wstring& folder) {
    if (isJunctionOrLink(folder)) {
        RemoveDirectoryW(toLongPath(folder).c_str());
        return;
    }
    RemoveDirectoryW(toLongPath(folder + L"\\link").c_str());
    for (const wchar_t* name : {L"\\old.tmp", L"\\fresh.tmp", L"\\hard.tmp"})
        DeleteFileW(toLongPath(folder + name).c_str());
    RemoveDirectoryW(toLongPath(folder).c_str());
}

}  // namespace

bool writeFixtureFile(const std::wstring& path, bool aged) {
    HandleHolder file(CreateFileW(toLongPath(path).c_str(), kFixtureAccess, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    const DWORD length = sizeof(kFixtureText) - 1;
    DWORD written = 0;
    if (!WriteFile(file.get(), kFixtureText, length, &written, nullptr) || written != length) return false;
    std::uint64_t time = currentFileTime();
    if (aged) time -= kFixtureAge;
    const FILETIME lastWrite = fileTimeOf(time);
    return SetFileTime(file.get(), nullptr, nullptr, &lastWrite) != FALSE;
}

bool createJunction(const std::wstring& junction, const std::wstring& target) {
    const std::wstring longJunction = toLongPath(junction);
    if (!CreateDirectoryW(longJunction.c_str(), nullptr)) return false;
    HandleHolder handle(CreateFileW(longJunction.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    // The folder is removed only after its handle is closed (the handle shares nothing), and the caller
    // still sees the error of the step that failed.
    auto refuse = [&](DWORD error) {
        handle.reset();
        RemoveDirectoryW(longJunction.c_str());
        SetLastError(error);
        return false;
    };
    if (!handle.valid()) return refuse(GetLastError());
    const std::wstring print = stripLongPathPrefix(target);
    const std::wstring substitute = L"\\??\\" + print;
    if (substitute.size() + print.size() + 2 > kMaxJunctionNameChars) return refuse(ERROR_FILENAME_EXCED_RANGE);

    const std::size_t substituteBytes = substitute.size() * sizeof(wchar_t);
    const std::size_t printBytes = print.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(kReparseBufferBytes, 0);
    put32(buffer, kTagAt, IO_REPARSE_TAG_MOUNT_POINT);
    put16(buffer, kDataLengthAt, substituteBytes + printBytes + kOffsetsAndNulsBytes);
    put16(buffer, kSubstituteOffsetAt, 0);
    put16(buffer, kSubstituteLengthAt, substituteBytes);
    put16(buffer, kPrintOffsetAt, substituteBytes + sizeof(wchar_t));
    put16(buffer, kPrintLengthAt, printBytes);
    std::memcpy(&buffer[kPathBufferAt], substitute.data(), substituteBytes);
    std::memcpy(&buffer[kPathBufferAt + substituteBytes + sizeof(wchar_t)], print.data(), printBytes);
    const DWORD inputBytes = static_cast<DWORD>(kHeaderBytes + substituteBytes + printBytes + kOffsetsAndNulsBytes);
    DWORD returned = 0;
    if (!DeviceIoControl(handle.get(), FSCTL_SET_REPARSE_POINT, buffer.data(), inputBytes, nullptr, 0, &returned,
                         nullptr))
        return refuse(GetLastError());
    return true;
}

void removeFixtureTree(const FixtureCleanup& cleanup) {
    removeFixtureFolder(cleanup.scan);
    removeFixtureFolder(cleanup.moved);
    DeleteFileW(toLongPath(cleanup.outside + L"\\old.tmp").c_str());
    DeleteFileW(toLongPath(cleanup.outside + L"\\alias.tmp").c_str());
    RemoveDirectoryW(toLongPath(cleanup.outside).c_str());
    RemoveDirectoryW(toLongPath(cleanup.root).c_str());
}

}  // namespace pm
