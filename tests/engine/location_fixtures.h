// Folders and files laid out where the real clean-up locations are (LocalAppData, the browsers' profiles).
// Only for tests that call PM_REQUIRE_TEST_PREFIX() first.
#pragma once

#include "engine/path_rules.h"

#include "tests/support/test_files.h"

#include <memory>
#include <string>
#include <vector>

namespace pm::test {

// Folders made for one test under a system folder; removes the topmost folder it created.
class MadeFolders {
public:
    explicit MadeFolders(const std::wstring& path) {
        for (std::size_t i = 3; i <= path.size(); ++i) {
            if (i != path.size() && path[i] != L'\\') continue;
            std::wstring part = path.substr(0, i);
            if (GetFileAttributesW(toLongPath(part).c_str()) == INVALID_FILE_ATTRIBUTES) {
                top_ = part;
                break;
            }
        }
        makeDirectories(path);
    }
    ~MadeFolders() {
        if (!top_.empty()) removeTree(top_);
    }
    MadeFolders(const MadeFolders&) = delete;
    MadeFolders& operator=(const MadeFolders&) = delete;

private:
    std::wstring top_;
};

struct BrowserLayout {
    std::wstring appData = localAppDataPath();
    std::wstring chrome = appData + L"\\Google\\Chrome\\User Data";
    std::wstring edge = appData + L"\\Microsoft\\Edge\\User Data";
    std::wstring firefox = appData + L"\\Mozilla\\Firefox\\Profiles";
    std::vector<std::unique_ptr<MadeFolders>> made;

    void folder(const std::wstring& path) { made.push_back(std::make_unique<MadeFolders>(path)); }
    void file(const std::wstring& path) {
        folder(path.substr(0, path.rfind(L'\\')));
        writeFile(path, "cache");
    }
    ~BrowserLayout() {
        while (!made.empty()) made.pop_back();  // the last made first
    }
};

}  // namespace pm::test
