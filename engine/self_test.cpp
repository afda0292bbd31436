#include "engine/self_test.h"

#include "engine/clean_types.h"
#include "engine/delete_entry.h"
#include "engine/file_info.h"
#include "engine/handle_holder.h"
#include "engine/path_rules.h"
#include "engine/pinned_chain.h"
#include "engine/scan.h"
#include "engine/self_test_fixtures.h"

#include <windows.h>
#include <objbase.h>

#include <atomic>

namespace pm {

namespace {

constexpr DWORD kTempPathBuffer = 32768;
constexpr int kGuidTextBuffer = 64;
constexpr std::uint64_t kFortyEightHours = 1'728'000'000'000ULL;

// The fixture tree below the pinned temporary folder.
struct Fixture {
    std::wstring root, scan, outside, moved;
    std::wstring old, fresh, outsideOld, link, hard, alias;
};

Fixture fixtureAt(const std::wstring& root) {
    Fixture f;
    f.root = root;
    f.scan = root + L"\\scan";
    f.outside = root + L"\\outside";
    f.moved = root + L"\\moved";
    f.old = f.scan + L"\\old.tmp";
    f.fresh = f.scan + L"\\fresh.tmp";
    f.outsideOld = f.outside + L"\\old.tmp";
    f.link = f.scan + L"\\link";
    f.hard = f.scan + L"\\hard.tmp";
    f.alias = f.outside + L"\\alias.tmp";
    return f;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(toLongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
bool makeFolder(const std::wstring& path) { return CreateDirectoryW(toLongPath(path).c_str(), nullptr) != FALSE; }
bool hardLink(const std::wstring& link, const std::wstring& existing) {
    return CreateHardLinkW(toLongPath(link).c_str(), toLongPath(existing).c_str(), nullptr) != FALSE;
}
bool move(const std::wstring& from, const std::wstring& to) {
    return MoveFileW(toLongPath(from).c_str(), toLongPath(to).c_str()) != FALSE;
}

bool containmentHolds() {
    return isPathInsideFolded(L"\\\\?\\C:\\safe\\nested\\file.tmp", L"c:\\safe") &&
           !isPathInsideFolded(L"C:\\safeOther\\file.tmp", L"C:\\safe") &&
           !isPathInsideFolded(L"C:\\safe\\..\\outside\\file.tmp", L"C:\\safe") &&
           !isPathInsideFolded(L"C:\\safe\\file.tmp:stream", L"C:\\safe");
}

bool temporaryFolder(std::wstring& path) {
    std::wstring buffer(kTempPathBuffer, L'\0');
    DWORD n = GetTempPathW(kTempPathBuffer, buffer.data());
    if (n < 1 || n >= kTempPathBuffer) return false;
    buffer.resize(n);
    while (buffer.size() > 3 && buffer.back() == L'\\') buffer.pop_back();
    path = std::move(buffer);
    return true;
}

bool newGuidText(std::wstring& text) {
    GUID guid{};
    if (FAILED(CoCreateGuid(&guid))) return false;
    wchar_t buffer[kGuidTextBuffer] = {};
    int n = StringFromGUID2(guid, buffer, kGuidTextBuffer);
    if (n <= 0) return false;
    text = buffer;
    return true;
}

bool ageFile(const std::wstring& path) {
    HandleHolder file(CreateFileW(toLongPath(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) return false;
    const FILETIME lastWrite = fileTimeOf(currentFileTime() - kFortyEightHours);
    return SetFileTime(file.get(), nullptr, nullptr, &lastWrite) != FALSE;
}

// deleteEntry on entry 0 and root 0 of the latest report, with a fresh result and the age filter on.
CleanResult deleteFirst(const ScanReport& report, std::atomic<bool>& cancel, bool skipLocked) {
    CleanResult result;
    deleteEntry(report.entries[0], report.roots[0], true, cancel, result, CleanOptions{skipLocked});
    return result;
}

// The steps that work in the fixture tree; the message of the first that fails, or nullptr.
const wchar_t* runFixtureSteps(const Fixture& f) {
    std::atomic<bool> cancel{false};
    if (!makeFolder(f.scan) || !makeFolder(f.outside) || !writeFixtureFile(f.old, true) ||
        !writeFixtureFile(f.fresh, false) || !writeFixtureFile(f.outsideOld, true))
        return L"Cannot write isolated test files.";
    if (!createJunction(f.link, f.outside)) return L"Filesystem does not support junction test fixtures.";
    if (!hardLink(f.hard, f.outsideOld)) return L"Filesystem does not support hard-link test fixtures.";

    ScanReport report = scanFolder(f.scan, cancel);
    if (report.entries.size() != 1 || !samePath(report.entries[0].path, f.old) || report.skipped < 3)
        return L"Scan did not enforce age cutoff, reparse exclusion and hard-link exclusion.";

    if (!writeFixtureFile(f.old, false)) return L"Cannot update stale-preview fixture.";
    CleanResult result = deleteFirst(report, cancel, true);
    if (result.filesDeleted != 0 || !exists(f.old)) return L"Changed file was not protected from stale-preview deletion.";

    if (!ageFile(f.old)) return L"Cannot age fixture file.";
    report = scanFolder(f.scan, cancel);
    if (report.entries.size() != 1) return L"Cannot rescan aged fixture.";

    if (!hardLink(f.alias, f.old)) return L"Cannot create changed-hard-link fixture.";
    result = deleteFirst(report, cancel, true);
    if (result.filesDeleted != 0) return L"A new hard link was not protected.";
    if (!DeleteFileW(toLongPath(f.alias).c_str())) return L"Cannot remove fixture hard link.";

    {
        HandleHolder holder(CreateFileW(toLongPath(f.old).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
        if (!holder.valid()) return L"Cannot hold locked-file fixture.";
        result = deleteFirst(report, cancel, true);
        if (result.lockedSkipped != 1 || result.filesDeleted != 0 || result.failed != 0 || result.lockRetries != 0)
            return L"Default policy did not immediately skip the locked file safely.";
        result = deleteFirst(report, cancel, false);
        if (result.lockedFailed != 1 || result.failed != 1 || result.filesDeleted != 0 || result.skipped != 0 ||
            result.lockRetries != 2 || !exists(f.old))
            return L"Retry policy did not preserve and report a persistently locked file.";
    }

    if (!RemoveDirectoryW(toLongPath(f.link).c_str()) || !move(f.scan, f.moved) || !createJunction(f.scan, f.outside))
        return L"Cannot create replaced-root test fixture.";
    result = deleteFirst(report, cancel, true);
    if (result.filesDeleted != 0 || !exists(f.outsideOld)) return L"Replaced-root junction protection failed.";
    if (!RemoveDirectoryW(toLongPath(f.scan).c_str()) || !move(f.moved, f.scan))
        return L"Cannot restore fixture root.";

    cancel.store(true);
    result = deleteFirst(report, cancel, true);
    if (!result.cancelled || result.filesDeleted != 0) return L"Cancellation protection failed.";

    cancel.store(false);
    result = deleteFirst(report, cancel, true);
    if (result.filesDeleted != 1 || result.bytesFreed != report.entries[0].size || exists(f.old) ||
        !exists(f.fresh) || !exists(f.outsideOld))
        return L"Safe fixture deletion or preservation check failed.";
    return nullptr;
}

bool fail(std::wstring& message, const wchar_t* text) {
    message = text;
    return false;
}

}  // namespace

bool runSelfTest(std::wstring& message) {
    message.clear();
    if (!containmentHolds()) return fail(message, L"Path-containment policy failed.");
    std::wstring temp;
    if (!temporaryFolder(temp)) return fail(message, L"Cannot locate fixture temp directory.");
    // Held until the very end: the temporary folder cannot be moved or replaced while the test works in it.
    PinnedDirectoryChain base;
    if (!openDirectoryChain(base, temp)) return fail(message, L"Fixture parent must be a plain local directory.");
    std::wstring guid;
    if (!newGuidText(guid)) return fail(message, L"Cannot create unique fixture identity.");
    const Fixture fixture = fixtureAt(base.finalPath + L"\\PelmirtSelfTest-" + guid);
    if (!makeFolder(fixture.root)) return fail(message, L"Cannot create isolated fixture.");
    const wchar_t* failure = runFixtureSteps(fixture);
    removeFixtureTree({fixture.scan, fixture.outside, fixture.moved, fixture.root});
    if (failure != nullptr) return fail(message, failure);
    return true;
}

}  // namespace pm
