#include "engine/large/large_search.h"
#include "engine/large/recycle.h"
#include "engine/large/recycle_internal.h"
#include "engine/large/strict_paths.h"

#include "tests/engine/link_probe.h"
#include "tests/support/test_files.h"
#include "tests/support/transfer_source_stand_in.h"

#include <gtest/gtest.h>

#include <sherrors.h>
#include <shlobj.h>

#include <algorithm>
#include <new>
#include <thread>

namespace pm::large {
namespace {

using test::Behaviour;
using test::TempFolder;
using test::TestTransferSource;

constexpr std::uint32_t hrCode(HRESULT hr) { return static_cast<std::uint32_t>(hr); }

struct Row {
    std::uint64_t index;
    RecycleStatus status;
    std::uint32_t error;
    bool operator==(const Row&) const = default;
};

std::vector<Row> rows(const RecycleResult& r) {
    std::vector<Row> out;
    for (const RecycleOutcome& o : r.outcomes) out.push_back({o.index, o.status, o.error});
    return out;
}

void PrintTo(const Row& row, std::ostream* os) {
    *os << "(" << row.index << ", " << static_cast<unsigned>(row.status) << ", 0x" << std::hex << row.error << ")";
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A folder of files f0, f1, ... of 10 + i bytes, searched with minimum 1.
struct Searched {
    TempFolder folder;
    LargeSearchResult result;
    explicit Searched(int files) {
        for (int i = 0; i < files; ++i) test::writeFile(path(i), std::string(10 + i, 'x'));
        std::atomic<bool> cancel{false};
        result = searchLargeFiles({folder.path(), 1, 100}, cancel, {});
    }
    std::wstring path(int i) const { return folder / (L"f" + std::to_wstring(i)); }
    // The index of file fi in the search result.
    std::uint64_t indexOf(int i) const {
        for (std::size_t k = 0; k < result.files.size(); ++k)
            if (samePathStrict(result.files[k].path, path(i))) return k;
        return ~0ULL;
    }
};

RecycleResult recycleWithShell(const LargeSearchResult& search, const std::vector<std::uint64_t>& indices) {
    std::atomic<bool> cancel{false};
    return recycleLargeFiles(search, indices, cancel, {});
}

// What binding the Shell's transfer source gives on this system, for the file's folder.
HRESULT shellBindResult(const std::wstring& folder) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellItem* item = nullptr;
    HRESULT hr = SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_IShellItem, reinterpret_cast<void**>(&item));
    ITransferSource* source = nullptr;
    if (SUCCEEDED(hr)) hr = bindShellTransferSource(item, &source);
    if (source) source->Release();
    if (item) item->Release();
    CoUninitialize();
    return hr;
}

RecycleResult recycleThrough(TestTransferSource& source, const LargeSearchResult& search,
                             const std::vector<std::uint64_t>& indices, std::atomic<bool>& cancel,
                             const ProgressCallback& progress = {}) {
    return recycleLargeFilesWith(search, indices, cancel, progress, [&](IShellItem* parent, ITransferSource** out) {
        EXPECT_NE(parent, nullptr);
        source.AddRef();
        *out = &source;
        return S_OK;
    });
}

TEST(LargeRecycle, ChecksBeforeTheShellRunForReal) {
    Searched s(5);
    ASSERT_EQ(s.result.files.size(), 5u);
    HANDLE holder = CreateFileW(s.path(0).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(DeleteFileW(s.path(1).c_str()));
    test::writeFile(s.path(2), "rewritten, with another size");
    ASSERT_TRUE(CreateHardLinkW((s.folder / L"second-name").c_str(), s.path(3).c_str(), nullptr));
    HRESULT bind = shellBindResult(s.folder.path());

    RecycleResult r = recycleWithShell(s.result, {s.indexOf(0), s.indexOf(1), s.indexOf(2), s.indexOf(3), s.indexOf(4)});
    CloseHandle(holder);
    ASSERT_EQ(r.outcomes.size(), 5u);
    EXPECT_EQ(rows(r)[0], (Row{s.indexOf(0), RecycleStatus::Locked, 32}));
    EXPECT_EQ(rows(r)[1], (Row{s.indexOf(1), RecycleStatus::Skipped, 2}));
    EXPECT_EQ(rows(r)[2], (Row{s.indexOf(2), RecycleStatus::Skipped, 1006}));
    EXPECT_EQ(rows(r)[3], (Row{s.indexOf(3), RecycleStatus::Skipped, 1006}));
    if (SUCCEEDED(bind)) {
        EXPECT_EQ(rows(r)[4], (Row{s.indexOf(4), RecycleStatus::Recycled, 0}));
        EXPECT_FALSE(exists(s.path(4)));
    } else {
        // Wine 8 cannot bind the Shell's transfer source: the file stays where it was, failed with that HRESULT.
        RecycleStatus status = bind == E_NOINTERFACE ? RecycleStatus::NotSupported : RecycleStatus::Failed;
        EXPECT_EQ(rows(r)[4], (Row{s.indexOf(4), status, hrCode(bind)}));
        EXPECT_TRUE(exists(s.path(4)));
    }
    EXPECT_EQ(r.skipped, 4u);
}

TEST(LargeRecycle, SearchedFolderRecreatedSinceTheSearch) {
    Searched s(2);
    std::wstring moved = s.folder.path() + L"-old";
    ASSERT_TRUE(MoveFileW(s.folder.path().c_str(), moved.c_str()));
    test::makeDirectories(s.folder.path());  // the old folder still exists, so its identity cannot be reused
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(MoveFileW((moved + L"\\f" + std::to_wstring(i)).c_str(), s.path(i).c_str()));
    RecycleResult r = recycleWithShell(s.result, {0, 1});
    test::removeTree(moved);
    EXPECT_EQ(rows(r), (std::vector<Row>{{0, RecycleStatus::Skipped, 1006}, {1, RecycleStatus::Skipped, 1006}}));
    EXPECT_TRUE(exists(s.path(0)) && exists(s.path(1)));
}

TEST(LargeRecycle, SearchedFolderOnAnotherVolumeSerialMovesNothing) {
    Searched s(2);
    s.result.rootVolumeSerial ^= 1;
    RecycleResult r = recycleWithShell(s.result, {0, 1});
    EXPECT_EQ(rows(r), (std::vector<Row>{{0, RecycleStatus::Skipped, 1006}, {1, RecycleStatus::Skipped, 1006}}));
    EXPECT_TRUE(exists(s.path(0)) && exists(s.path(1)));
}

// A file whose folder was replaced by a link to another folder inside the searched folder, where the listed
// file now lies: the folder's chain ends elsewhere than asked and is refused before the file is opened (Wine
// follows the link to another final path: 123; a link the platform shows is a reparse point: 4393).
TEST(LargeRecycle, AFolderReplacedByALinkInsideTheSearchedFolderIsRefusedByItsChain) {
    const std::wstring links = test::privateLinkFixturesPath(L"recycle-folder-link");
    if (links.empty()) GTEST_SKIP() << "link fixtures are laid out only by the test runner in the private prefix";
    std::atomic<bool> cancel{false};
    LargeSearchResult search = searchLargeFiles({links + L"\\scanned", 1, 100}, cancel, {});
    const auto deep = std::find_if(search.files.begin(), search.files.end(), [&](const LargeFileEntry& e) {
        return samePathStrict(e.path, links + L"\\scanned\\inner\\deep.bin");
    });
    ASSERT_NE(deep, search.files.end());
    deep->path = links + L"\\scanned\\inner-link\\deep.bin";  // listed there before its folder was replaced
    const std::uint64_t index = static_cast<std::uint64_t>(deep - search.files.begin());
    const DWORD refusal = test::openFollowsLink(links + L"\\scanned\\inner-link") ? ERROR_INVALID_NAME : 4393;
    RecycleResult r = recycleWithShell(search, {index});
    EXPECT_EQ(rows(r), (std::vector<Row>{{index, RecycleStatus::Skipped, refusal}}));
    EXPECT_TRUE(exists(links + L"\\scanned\\inner\\deep.bin"));
}

// A stand-in transfer source that moves into a folder of its own below C:\$Recycle.Bin.
struct BinSource {
    TempFolder bin{L"C:\\$Recycle.Bin"};
    TestTransferSource source;
    explicit BinSource(Behaviour behaviour = Behaviour::MoveBelowBin) {
        source.behaviour = behaviour;
        source.binFolder = bin.path();
    }
};

TEST(LargeRecycle, AFileSavedOverTheListedOneInTheLastInstantIsNamedAsMovedInstead) {
    PM_REQUIRE_TEST_PREFIX();
    Searched s(2);
    BinSource replaced(Behaviour::ReplaceThenMove);
    TestTransferSource& source = replaced.source;
    std::atomic<bool> cancel{false};
    RecycleResult r = recycleThrough(source, s.result, {s.indexOf(0)}, cancel);
    ASSERT_EQ(rows(r), (std::vector<Row>{{s.indexOf(0), RecycleStatus::Failed, 1006}}));
    EXPECT_EQ(r.failed, 1u);
    EXPECT_EQ(r.outcomes[0].movedInstead, s.result.files[s.indexOf(0)].path);
    EXPECT_TRUE(exists(source.arrivedPath)) << "the new document is in the bin";
    EXPECT_TRUE(exists(s.path(0) + L"~listed")) << "the listed file was not moved";

    // A move that verifies carries no such name.
    BinSource plain;
    RecycleResult moved = recycleThrough(plain.source, s.result, {s.indexOf(1)}, cancel);
    ASSERT_EQ(rows(moved), (std::vector<Row>{{s.indexOf(1), RecycleStatus::Recycled, 0}}));
    EXPECT_TRUE(moved.outcomes[0].movedInstead.empty());
}

// The window's progress post allocates and may throw: the move's apartment is still left.
TEST(LargeRecycle, AThrowingProgressCallbackStillLeavesCom) {
    PM_REQUIRE_TEST_PREFIX();
    Searched s(3);
    BinSource bin;
    TestTransferSource& source = bin.source;
    std::thread([&] {
        std::atomic<bool> cancel{false};
        int calls = 0;
        EXPECT_THROW(recycleThrough(source, s.result, {0, 1, 2}, cancel,
                                    [&](const std::wstring&, std::uint64_t, std::uint64_t) {
                                        if (++calls == 3) throw std::bad_alloc();
                                    }),
                     std::bad_alloc);
        // Still in the move's single-threaded apartment, this would answer RPC_E_CHANGED_MODE.
        HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        EXPECT_EQ(hr, S_OK);
        if (SUCCEEDED(hr)) CoUninitialize();
    }).join();
    EXPECT_EQ(source.advised, source.unadvised);
    EXPECT_EQ(source.refs.load(), 1u);
}

TEST(LargeRecycle, SelectionOutOfRangeFirstAndDuplicatesOnce) {
    PM_REQUIRE_TEST_PREFIX();
    Searched s(5);
    TempFolder bin(L"C:\\$Recycle.Bin");
    TestTransferSource source;
    source.binFolder = bin.path();
    std::atomic<bool> cancel{false};
    std::vector<std::tuple<std::wstring, std::uint64_t, std::uint64_t>> progress;
    RecycleResult r = recycleThrough(source, s.result, {3, 3, 7}, cancel, [&](const std::wstring& l, std::uint64_t d, std::uint64_t t) {
        progress.emplace_back(l, d, t);
    });
    const LargeFileEntry& e = s.result.files[3];
    EXPECT_EQ(rows(r), (std::vector<Row>{{7, RecycleStatus::Failed, 87}, {3, RecycleStatus::Recycled, 0}}));
    EXPECT_EQ(r.failed, 1u);
    EXPECT_EQ(r.recycled, 1u);
    EXPECT_EQ(r.bytesRecycled, e.size);
    EXPECT_FALSE(exists(e.path));
    EXPECT_TRUE(exists(source.arrivedPath));
    EXPECT_EQ(source.advised, 1);
    EXPECT_EQ(source.unadvised, 1);
    EXPECT_EQ(source.refs.load(), 1u);  // every reference the move took was given back
    EXPECT_EQ(progress, (std::vector<std::tuple<std::wstring, std::uint64_t, std::uint64_t>>{{e.path, 0, 1}, {e.path, 1, 1}}));
}

TEST(LargeRecycle, TransferSourceAnswersAndArrivals) {
    PM_REQUIRE_TEST_PREFIX();
    struct Case {
        Behaviour behaviour;
        HRESULT answer;
        RecycleStatus status;
        std::uint32_t error;
        bool stays;  // the file is still where the search found it
    } cases[] = {
        {Behaviour::MoveBelowBin, S_OK, RecycleStatus::Recycled, 0, false},
        {Behaviour::MoveDirectlyIntoBin, S_OK, RecycleStatus::Failed, 123, false},
        {Behaviour::CopyBelowBin, S_OK, RecycleStatus::Failed, 1006, true},
        {Behaviour::AnswerOkWithoutItem, S_OK, RecycleStatus::Failed, hrCode(E_UNEXPECTED), true},
        {Behaviour::Answer, S_FALSE, RecycleStatus::Failed, 1, true},
        {Behaviour::Answer, E_FAIL, RecycleStatus::Failed, hrCode(E_FAIL), true},
        {Behaviour::Answer, E_NOTIMPL, RecycleStatus::NotSupported, hrCode(E_NOTIMPL), true},
        {Behaviour::Answer, E_NOINTERFACE, RecycleStatus::NotSupported, hrCode(E_NOINTERFACE), true},
        {Behaviour::Answer, HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED), RecycleStatus::NotSupported, 0x80070032, true},
        {Behaviour::Answer, E_ABORT, RecycleStatus::Cancelled, hrCode(E_ABORT), true},
        {Behaviour::Answer, HRESULT_FROM_WIN32(ERROR_CANCELLED), RecycleStatus::Cancelled, 0x800704C7, true},
        {Behaviour::Answer, COPYENGINE_E_USER_CANCELLED, RecycleStatus::Cancelled, 0x80270000, true},
        {Behaviour::RefuseAdvise, S_OK, RecycleStatus::Failed, hrCode(E_OUTOFMEMORY), true},
        {Behaviour::CancelOnAdvise, S_OK, RecycleStatus::Cancelled, ERROR_CANCELLED, true},
    };
    Searched s(static_cast<int>(std::size(cases)));
    TempFolder bin(L"C:\\$Recycle.Bin");
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        TestTransferSource source;
        source.behaviour = c.behaviour;
        source.answer = c.answer;
        source.binFolder = bin.path();
        std::atomic<bool> cancel{false};
        source.cancel = &cancel;
        std::uint64_t index = s.indexOf(static_cast<int>(i));
        RecycleResult r = recycleThrough(source, s.result, {index}, cancel);
        EXPECT_EQ(rows(r), (std::vector<Row>{{index, c.status, c.error}})) << "case " << i;
        EXPECT_EQ(r.cancelled, c.status == RecycleStatus::Cancelled) << "case " << i;
        EXPECT_EQ(exists(s.path(static_cast<int>(i))), c.stays) << "case " << i;
        EXPECT_EQ(source.advised, source.unadvised) << "case " << i;
        EXPECT_EQ(source.refs.load(), 1u) << "case " << i;
        if (c.behaviour == Behaviour::MoveDirectlyIntoBin) DeleteFileW(source.arrivedPath.c_str());
    }
}

TEST(LargeRecycle, FileGainingALinkWhileAdvisedIsLeftAlone) {
    Searched s(1);
    TestTransferSource source;
    source.linkOnAdvise = s.path(0);
    std::atomic<bool> cancel{false};
    RecycleResult r = recycleThrough(source, s.result, {0}, cancel);
    if (!source.linked) GTEST_SKIP() << "the platform refuses a hard link to a file opened without sharing";
    EXPECT_EQ(rows(r), (std::vector<Row>{{0, RecycleStatus::Skipped, 1006}}));
    EXPECT_EQ(source.unadvised, 1);
}

TEST(LargeRecycle, CancelDuringTheMoveStopsTheRun) {
    PM_REQUIRE_TEST_PREFIX();
    Searched s(3);
    TempFolder bin(L"C:\\$Recycle.Bin");
    TestTransferSource source;
    source.behaviour = Behaviour::CancelDuringMove;
    source.binFolder = bin.path();
    std::atomic<bool> cancel{false};
    source.cancel = &cancel;
    RecycleResult r = recycleThrough(source, s.result, {0, 1, 2}, cancel);
    EXPECT_EQ(source.sinkAnswer, COPYENGINE_E_USER_CANCELLED);
    EXPECT_EQ(rows(r), (std::vector<Row>{{0, RecycleStatus::Cancelled, 0x80270000}}));
    EXPECT_TRUE(r.cancelled);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(exists(s.path(i)));
}

TEST(LargeRecycle, ComLeftAloneForAnEmptySelectionAndItsFailureReportedPerFile) {
    Searched s(2);
    // On a thread already in the multithreaded apartment the move's own apartment-threaded start fails.
    std::thread([&] {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        std::atomic<bool> cancel{true};
        RecycleResult none = recycleLargeFiles(s.result, {9, 9}, cancel, {});
        EXPECT_EQ(rows(none), (std::vector<Row>{{9, RecycleStatus::Failed, 87}}));
        EXPECT_TRUE(none.cancelled);
        cancel = false;
        RecycleResult r = recycleLargeFiles(s.result, {1, 0}, cancel, {});
        EXPECT_EQ(rows(r), (std::vector<Row>{{1, RecycleStatus::Failed, hrCode(RPC_E_CHANGED_MODE)},
                                             {0, RecycleStatus::Failed, hrCode(RPC_E_CHANGED_MODE)}}));
        EXPECT_EQ(r.failed, 2u);
        CoUninitialize();
    }).join();
}

TEST(TransferSink, InterfacesAndReferenceCount) {
    std::atomic<bool> cancel{false};
    ITransferAdviseSink* sink = newTransferSink(&cancel);
    EXPECT_EQ(sink->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(sink->QueryInterface(IID_IShellItem, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(sink->QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(out, static_cast<void*>(sink));
    EXPECT_EQ(sink->QueryInterface(IID_ITransferAdviseSink, &out), S_OK);
    EXPECT_EQ(sink->AddRef(), 4u);
    EXPECT_EQ(sink->Release(), 3u);
    EXPECT_EQ(sink->Release(), 2u);
    EXPECT_EQ(sink->Release(), 1u);
    EXPECT_EQ(sink->Release(), 0u);  // frees itself
}

TEST(TransferSink, AnswersWithTheCancelFlagClearAndSet) {
    std::atomic<bool> cancel{false};
    ITransferAdviseSink* sink = newTransferSink(&cancel);
    for (bool cancelled : {false, true}) {
        cancel = cancelled;
        HRESULT going = cancelled ? COPYENGINE_E_USER_CANCELLED : S_OK;
        EXPECT_EQ(sink->UpdateProgress(1, 2, 1, 2, 0, 0), going);
        EXPECT_EQ(sink->UpdateTransferState(TS_PERFORMING), going);
        EXPECT_EQ(sink->ConfirmOverwrite(nullptr, nullptr, L"x"), HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
        EXPECT_EQ(sink->ConfirmEncryptionLoss(nullptr), E_ACCESSDENIED);
        HRESULT denied = cancelled ? COPYENGINE_E_USER_CANCELLED : E_ACCESSDENIED;
        HRESULT unknown = cancelled ? COPYENGINE_E_USER_CANCELLED : E_FAIL;
        EXPECT_EQ(sink->FileFailure(nullptr, L"x", E_ACCESSDENIED, nullptr, 0), denied);
        EXPECT_EQ(sink->FileFailure(nullptr, L"x", S_FALSE, nullptr, 0), unknown);
        EXPECT_EQ(sink->SubStreamFailure(nullptr, L"s", E_ACCESSDENIED), denied);
        EXPECT_EQ(sink->SubStreamFailure(nullptr, L"s", S_OK), unknown);
        EXPECT_EQ(sink->PropertyFailure(nullptr, nullptr, E_ACCESSDENIED), denied);
        EXPECT_EQ(sink->PropertyFailure(nullptr, nullptr, S_OK), unknown);
    }
    EXPECT_EQ(sink->Release(), 0u);
}

}  // namespace
}  // namespace pm::large
