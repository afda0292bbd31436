#include "engine/large/strict_paths.h"

#include <windows.h>

#include <array>
#include <cwctype>
#include <new>

namespace pm::large {

namespace {

constexpr std::size_t kMinPathLength = 3;
constexpr std::size_t kMaxPathLength = 32767;
constexpr std::size_t kMaxComponentLength = 255;

constexpr std::array<const wchar_t*, 7> kReservedStems = {L"CON",    L"PRN",     L"AUX",   L"NUL",
                                                           L"CONIN$", L"CONOUT$", L"CLOCK$"};
constexpr std::array<const wchar_t*, 4> kProtectedNames = {L"$RECYCLE.BIN", L"RECYCLER", L"RECYCLED",
                                                           L"SYSTEM VOLUME INFORMATION"};

std::wstring upperCased(const std::wstring& text) {
    std::wstring upper = text;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    return upper;
}

bool isAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// COM and LPT take a decimal digit or one of the superscript digits one, two and three.
bool isDeviceDigit(wchar_t c) { return (c >= L'0' && c <= L'9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3; }

bool isReservedStem(const std::wstring& component) {
    std::wstring stem = upperCased(component.substr(0, component.find(L'.')));
    for (const wchar_t* reserved : kReservedStems)
        if (stem == reserved) return true;
    return stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
           isDeviceDigit(stem[3]);
}

bool isForbiddenCharacter(wchar_t c) { return c < 0x20 || std::wstring_view(L":*?\"<>|").find(c) != std::wstring_view::npos; }

bool isValidComponent(const std::wstring& component) {
    if (component.empty() || component.size() > kMaxComponentLength) return false;
    if (component == L"." || component == L"..") return false;
    if (component.back() == L' ' || component.back() == L'.') return false;
    if (isReservedStem(component)) return false;
    for (wchar_t c : component)
        if (isForbiddenCharacter(c)) return false;
    return true;
}

bool foldedEqual(const std::wstring& a, const std::wstring& b, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

bool normalizeInto(const std::wstring& input, std::wstring& work) {
    work = input.compare(0, 4, L"\\\\?\\") == 0 ? input.substr(4) : input;
    for (wchar_t& c : work)
        if (c == L'/') c = L'\\';
    // The length limit applies before trailing backslashes are removed.
    if (work.size() < kMinPathLength || work.size() > kMaxPathLength) return false;
    if (!isAsciiLetter(work[0]) || work[1] != L':' || work[2] != L'\\') return false;
    if (work.size() == kMinPathLength) return true;
    while (work.back() == L'\\') {
        work.pop_back();
        if (work.size() < 4) return true;
    }
    std::size_t begin = 3;
    while (begin < work.size()) {
        std::size_t end = work.find(L'\\', begin);
        if (end == std::wstring::npos) end = work.size();
        if (!isValidComponent(work.substr(begin, end - begin))) return false;
        begin = end + 1;
    }
    return true;
}

}  // namespace

bool normalizePathStrict(const std::wstring& input, std::wstring& output) {
    try {
        std::wstring work;
        if (normalizeInto(input, work)) {
            output = std::move(work);
            return true;
        }
    } catch (const std::bad_alloc&) {
    }
    output.clear();
    return false;
}

bool samePathStrict(const std::wstring& a, const std::wstring& b) {
    std::wstring normalA, normalB;
    if (!normalizePathStrict(a, normalA) || !normalizePathStrict(b, normalB)) return false;
    return normalA.size() == normalB.size() && foldedEqual(normalA, normalB, normalA.size());
}

bool isPathInsideStrict(const std::wstring& path, const std::wstring& root) {
    std::wstring normalPath, normalRoot;
    if (!normalizePathStrict(path, normalPath) || !normalizePathStrict(root, normalRoot)) return false;
    std::size_t n = normalRoot.size();
    if (n >= normalPath.size()) return false;
    if (!foldedEqual(normalPath, normalRoot, n)) return false;
    return n == 3 || normalPath[n] == L'\\';
}

std::wstring joinPath(const std::wstring& directory, const std::wstring& name) {
    if (!directory.empty() && directory.back() == L'\\') return directory + name;
    return directory + L'\\' + name;
}

bool isProtectedFolderName(const std::wstring& component) {
    std::wstring upper = upperCased(component);
    for (const wchar_t* name : kProtectedNames)
        if (upper == name) return true;
    return false;
}

bool hasProtectedComponent(const std::wstring& path) {
    std::wstring normal;
    if (!normalizePathStrict(path, normal)) return true;  // an unusable path is treated as protected
    std::size_t begin = 3;
    while (begin < normal.size()) {
        std::size_t end = normal.find(L'\\', begin);
        if (end == std::wstring::npos) end = normal.size();
        if (isProtectedFolderName(normal.substr(begin, end - begin))) return true;
        begin = end + 1;
    }
    return false;
}

bool isLocalDiskPath(const std::wstring& path, bool fixedOnly) {
    if (path.size() < 3) return false;
    // An empty removable drive would otherwise make Windows show a "no disk" box on this thread.
    DWORD oldMode = 0;
    bool modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &oldMode) != FALSE;
    wchar_t volume[MAX_PATH] = {};
    bool found = GetVolumePathNameW(path.c_str(), volume, MAX_PATH) != FALSE;
    UINT type = found ? GetDriveTypeW(volume) : DRIVE_UNKNOWN;
    if (modeSet) SetThreadErrorMode(oldMode, nullptr);
    if (!found) return false;
    if (fixedOnly) return type == DRIVE_FIXED;
    return type == DRIVE_FIXED || type == DRIVE_REMOVABLE;
}

std::wstring longPathStrict(const std::wstring& path) { return L"\\\\?\\" + path; }

}  // namespace pm::large
