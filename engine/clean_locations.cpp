#include "engine/handle_holder.h"
#include "engine/path_rules.h"
#include "engine/pinned_chain.h"
#include "engine/scan_internal.h"

#include <windows.h>
#include <shlobj.h>

namespace pm {

namespace {

constexpr DWORD kWindowsDirectoryBuffer = 32768;
const std::wstring kProfilePrefix = L"Profile ";
constexpr const wchar_t* kChromiumCaches[] = {L"Cache", L"Code Cache", L"GPUCache"};

std::wstring localAppData() {
    PWSTR raw = nullptr;
    HRESULT hr = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &raw);
    std::wstring path = SUCCEEDED(hr) && raw != nullptr ? std::wstring(raw) : std::wstring();
    CoTaskMemFree(raw);
    return path;
}

std::wstring windowsDirectory() {
    std::wstring buffer(kWindowsDirectoryBuffer, L'\0');
    UINT n = GetWindowsDirectoryW(buffer.data(), kWindowsDirectoryBuffer);
    if (n == 0 || n >= kWindowsDirectoryBuffer) return std::wstring();
    buffer.resize(n);
    return buffer;
}

bool isAsciiDigits(const std::wstring& text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i)
        if (text[i] < L'0' || text[i] > L'9') return false;
    return true;
}

void addChromiumProfiles(std::vector<CleanLocation>& locations, const std::wstring& base) {
    for (const std::wstring& name : listSubdirectories(base)) {
        if (!isBrowserProfileName(name)) continue;
        for (const wchar_t* cache : kChromiumCaches)
            locations.push_back({base + L"\\" + name + L"\\" + cache, CleanCategory::BrowserCache, false});
    }
}

}  // namespace

bool isBrowserProfileName(const std::wstring& name) {
    if (equalsIgnoreCase(name, L"Default") || equalsIgnoreCase(name, L"Guest Profile")) return true;
    return name.size() > kProfilePrefix.size() &&
           equalsIgnoreCase(name.substr(0, kProfilePrefix.size()), kProfilePrefix) &&
           isAsciiDigits(name, kProfilePrefix.size());
}

std::vector<CleanLocation> cleanLocations() {
    std::vector<CleanLocation> locations;
    std::wstring appData = localAppData();
    if (!appData.empty()) {
        locations.push_back({appData + L"\\Temp", CleanCategory::Temp, true});
        addChromiumProfiles(locations, appData + L"\\Google\\Chrome\\User Data");
        addChromiumProfiles(locations, appData + L"\\Microsoft\\Edge\\User Data");
        std::wstring firefox = appData + L"\\Mozilla\\Firefox\\Profiles";
        for (const std::wstring& name : listSubdirectories(firefox))
            locations.push_back({firefox + L"\\" + name + L"\\cache2", CleanCategory::BrowserCache, false});
    }
    std::wstring windows = windowsDirectory();
    if (!windows.empty()) locations.push_back({windows + L"\\Temp", CleanCategory::Temp, true});
    return locations;
}

std::vector<std::wstring> listSubdirectories(const std::wstring& folder) {
    std::vector<std::wstring> names;
    PinnedDirectoryChain chain;
    if (!openDirectoryChain(chain, folder, ChainEnd::FinalPath)) return names;
    WIN32_FIND_DATAW data{};
    FindHolder find(FindFirstFileExW(toLongPath(joinPath(chain.finalPath, L"*")).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, 0));
    if (!find.valid()) return names;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if ((data.dwFileAttributes & kDirectoryOrReparseMask) == FILE_ATTRIBUTE_DIRECTORY)
            names.push_back(std::move(name));
    } while (FindNextFileW(find.get(), &data));
    return names;
}

}  // namespace pm
