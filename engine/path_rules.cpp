#include "engine/path_rules.h"

#include <windows.h>

#include <climits>
#include <cwctype>

namespace pm {

namespace {

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr std::size_t kLongPrefixLength = 4;

bool isAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool isForbiddenCharacter(wchar_t c) {
    if (c < 0x20) return true;
    switch (c) {
        case L':': case L'*': case L'?': case L'"': case L'<': case L'>': case L'|': return true;
        default: return false;
    }
}

bool isValidComponent(const std::wstring& path, std::size_t begin, std::size_t end) {
    if (end == begin) return false;
    std::size_t length = end - begin;
    if (length == 1 && path[begin] == L'.') return false;
    if (length == 2 && path[begin] == L'.' && path[begin + 1] == L'.') return false;
    wchar_t last = path[end - 1];
    if (last == L' ' || last == L'.') return false;
    for (std::size_t i = begin; i < end; ++i)
        if (isForbiddenCharacter(path[i])) return false;
    return true;
}

bool ordinalEqualIgnoreCase(const wchar_t* a, const wchar_t* b, std::size_t length) {
    if (length > static_cast<std::size_t>(INT_MAX)) return false;
    int n = static_cast<int>(length);
    return CompareStringOrdinal(a, n, b, n, TRUE) == CSTR_EQUAL;
}

bool foldedEqual(const wchar_t* a, const wchar_t* b, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

template <typename PrefixEqual>
bool isInsideNormal(std::wstring_view path, std::wstring_view root, PrefixEqual prefixEqual) {
    std::size_t n = root.size();
    if (n >= path.size()) return false;
    if (!prefixEqual(path.data(), root.data(), n)) return false;
    return n == 3 || path[n] == L'\\';
}

template <typename PrefixEqual>
bool isInside(const std::wstring& path, const std::wstring& root, PrefixEqual prefixEqual) {
    std::wstring normalPath;
    std::wstring normalRoot;
    if (!normalizePath(path, normalPath) || !normalizePath(root, normalRoot)) return false;
    return isInsideNormal(normalPath, normalRoot, prefixEqual);
}

}  // namespace

bool isSkippableError(std::uint32_t error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_ACCESS_DENIED ||
           error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

std::wstring stripLongPathPrefix(const std::wstring& path) {
    if (path.compare(0, kLongPrefixLength, kLongPrefix) == 0) return path.substr(kLongPrefixLength);
    return path;
}

std::wstring toLongPath(const std::wstring& path) {
    if (path.compare(0, kLongPrefixLength, kLongPrefix) == 0) return path;
    return kLongPrefix + path;
}

bool normalizePath(const std::wstring& input, std::wstring& output) {
    std::wstring path = stripLongPathPrefix(input);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    output = path;  // the callers ignore it on failure
    if (path.size() < 3) return false;
    if (!isAsciiLetter(path[0]) || path[1] != L':' || path[2] != L'\\') return false;
    if (path.size() == 3) return true;
    while (path.back() == L'\\') {
        path.pop_back();
        if (path.size() < 4) {
            output = path;
            return true;
        }
    }
    std::size_t begin = 3;
    for (;;) {
        std::size_t end = path.find(L'\\', begin);
        if (end == std::wstring::npos) end = path.size();
        if (!isValidComponent(path, begin, end)) return false;
        begin = end + 1;
        if (begin >= path.size()) break;
    }
    output = std::move(path);
    return true;
}

bool samePath(const std::wstring& a, const std::wstring& b) {
    std::wstring normalA;
    std::wstring normalB;
    return normalizePath(a, normalA) && normalizePath(b, normalB) && sameNormalPath(normalA, normalB);
}

bool isPathInside(const std::wstring& path, const std::wstring& root) {
    return isInside(path, root, ordinalEqualIgnoreCase);
}

bool sameNormalPath(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && ordinalEqualIgnoreCase(a.data(), b.data(), a.size());
}

bool isNormalPathInside(std::wstring_view path, std::wstring_view root) {
    return isInsideNormal(path, root, ordinalEqualIgnoreCase);
}

bool isPathInsideFolded(const std::wstring& path, const std::wstring& root) {
    return isInside(path, root, foldedEqual);
}

bool equalsIgnoreCase(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && foldedEqual(a.data(), b.data(), a.size());
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

}  // namespace pm
