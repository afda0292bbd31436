#include "engine/drives.h"

#include <windows.h>

namespace pm {

namespace {

constexpr DWORD kMaxDriveStrings = 32768;

// Without SEM_FAILCRITICALERRORS, asking an empty card reader or floppy drive for its size makes Windows show
// a "no disk" box; the thread's old mode is restored afterwards.
class CriticalErrorsSilenced {
public:
    CriticalErrorsSilenced() { restore_ = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old_) != FALSE; }
    ~CriticalErrorsSilenced() {
        if (restore_) SetThreadErrorMode(old_, nullptr);
    }
    CriticalErrorsSilenced(const CriticalErrorsSilenced&) = delete;
    CriticalErrorsSilenced& operator=(const CriticalErrorsSilenced&) = delete;

private:
    DWORD old_ = 0;
    bool restore_ = false;
};

bool isListedType(UINT type) { return type == DRIVE_REMOVABLE || type == DRIVE_FIXED || type == DRIVE_RAMDISK; }

}  // namespace

std::vector<DriveInfo> listDrives() {
    std::vector<DriveInfo> drives;
    CriticalErrorsSilenced silenced;
    DWORD needed = GetLogicalDriveStringsW(0, nullptr);
    if (needed < 1 || needed > kMaxDriveStrings) return drives;
    std::wstring buffer(static_cast<std::size_t>(needed) + 1, L'\0');
    DWORD written = GetLogicalDriveStringsW(needed + 1, buffer.data());
    if (written == 0 || written > needed || buffer[0] == L'\0') return drives;
    for (const wchar_t* root = buffer.c_str(); *root != L'\0'; root += wcslen(root) + 1) {
        if (!isListedType(GetDriveTypeW(root))) continue;
        ULARGE_INTEGER available{}, total{};
        if (!GetDiskFreeSpaceExW(root, &available, &total, nullptr)) continue;  // a reader without a card
        drives.push_back({root, available.QuadPart, total.QuadPart});
    }
    return drives;
}

}  // namespace pm
