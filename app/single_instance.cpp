#include "app/single_instance.h"

#include "app/app_messages.h"
#include "app/shell_globals.h"
#include "app/single_instance_internal.h"
#include "engine/process_user.h"
#include "ui/shell_state.h"
#include "ui/tray_icon.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

namespace pm {

namespace {

// A running instance shows itself in milliseconds; these bound a start that meets one still being
// created, one that is ending, or one that hangs.
constexpr DWORD AnswerBudgetMs = 10000;
constexpr UINT ShowTimeoutMs = 5000;
constexpr DWORD RetryPauseMs = 100;

std::unique_ptr<InstanceClaim> runningClaim;

// Memory that a security function handed out with LocalAlloc.
template <typename T>
struct LocalMemory {
    T value = nullptr;
    ~LocalMemory() {
        if (value) LocalFree(value);
    }
};

std::wstring sidText(PSID sid) {
    LocalMemory<wchar_t*> text;
    return ConvertSidToStringSidW(sid, &text.value) ? std::wstring(text.value) : std::wstring();
}

// Whether this user owns the section: only its own instances write what a later start trusts.
bool ownedBy(HANDLE section, PSID user) {
    PSID owner = nullptr;
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    return GetSecurityInfo(section, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                           nullptr, &descriptor.value) == ERROR_SUCCESS &&
           owner && EqualSid(owner, user);
}

// Asks the instance of the record to show its window; true when it says it did.
bool askToShow(InstanceRecord& record) {
    const LONG64 value = InterlockedCompareExchange64(&record.window, 0, 0);
    const auto processId = static_cast<DWORD>(InterlockedCompareExchange(&record.processId, 0, 0));
    HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(value));
    DWORD owner = 0;
    // A handle value may have been reused by someone else's window after the instance ended.
    if (!window || GetWindowThreadProcessId(window, &owner) == 0 || owner != processId) return false;
    AllowSetForegroundWindow(processId);  // this start is what the user just did: let it take the front
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, WM_APP_SHOW_RUNNING, 0, 0, SMTO_ABORTIFHUNG, ShowTimeoutMs, &answer) != 0 &&
           static_cast<LRESULT>(answer) == InstanceShownReply;
}

}  // namespace

InstanceClaim::InstanceClaim(const std::wstring& name) {
    std::vector<BYTE> user;
    if (!readTokenUser(GetCurrentProcess(), user)) return;
    // Owned by this user and open to nobody else, so no other account can rewrite the record.
    const std::wstring sid = sidText(tokenUserSid(user));
    const std::wstring sddl = L"O:" + sid + L"D:P(A;;GA;;;" + sid + L")";
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    if (sid.empty() ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor.value, nullptr)) {
        return;
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.value, FALSE};
    section_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0, sizeof(InstanceRecord),
                                      name.c_str()));
    if (!section_.valid()) return;
    first_ = GetLastError() != ERROR_ALREADY_EXISTS;
    // A section of this name that another account made first is not this user's instance.
    if (!first_ && !ownedBy(section_.get(), tokenUserSid(user))) return;
    record_ = static_cast<InstanceRecord*>(
        MapViewOfFile(section_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(InstanceRecord)));
    if (!record_) {
        first_ = false;
        return;
    }
    if (first_) InterlockedExchange(&record_->processId, static_cast<LONG>(GetCurrentProcessId()));
}

InstanceClaim::~InstanceClaim() {
    if (record_) UnmapViewOfFile(record_);
}

std::wstring instanceName() {
    std::vector<BYTE> user;
    return L"Local\\Pelmirt.Instance." + (readTokenUser(GetCurrentProcess(), user) ? sidText(tokenUserSid(user)) : L"");
}

StartOutcome claimOrShowRunning(const std::wstring& name, std::unique_ptr<InstanceClaim>& held, DWORD budgetMs) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        auto claim = std::make_unique<InstanceClaim>(name);
        // Without a section of this user's nothing can be shared: run, as a lone instance would.
        if (!claim->valid()) return StartOutcome::Run;
        if (claim->first()) {
            held = std::move(claim);
            return StartOutcome::Run;
        }
        if (askToShow(claim->record())) return StartOutcome::Shown;
        // Let go of the section, so that it goes away with an instance that is ending.
        claim.reset();
        if (GetTickCount64() - start >= budgetMs) return StartOutcome::NoAnswer;
        Sleep(RetryPauseMs);
    }
}

bool becomeRunningInstance() {
    return claimOrShowRunning(instanceName(), runningClaim, AnswerBudgetMs) == StartOutcome::Run;
}

bool acceptLaterStarts(HWND window) {
    return ChangeWindowMessageFilterEx(window, WM_APP_SHOW_RUNNING, MSGFLT_ALLOW, nullptr) != FALSE;
}

void publishMainWindow(HWND window) {
    if (!runningClaim) return;
    InterlockedExchange64(&runningClaim->record().window, static_cast<LONG64>(reinterpret_cast<INT_PTR>(window)));
}

LRESULT onAnotherStart() {
    // Ending, or about to once the cancelled operation has reported: the later start waits and runs itself,
    // rather than leave the user with a window that closes a moment later.
    if (!ui::mainWindow || ui::destroying || exitAfterOperation) return 0;
    ui::restoreMainWindow();
    return InstanceShownReply;
}

}  // namespace pm
