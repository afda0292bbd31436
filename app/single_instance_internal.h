// The pieces of the single-instance rule, with the section's name as an input, for tests.
#pragma once

#include "engine/handle_holder.h"

#include <windows.h>

#include <memory>
#include <string>

namespace pm {

// What the running instance shares with later starts, at the start of a named section of the session.
struct InstanceRecord {
    volatile LONG64 window;     // the main window's handle value, 0 until it exists
    volatile LONG processId;    // the running instance
};

// The section of one name, created by the first process that asks for it and opened by every later one;
// it lives while any process holds it. Only this user's account owns and opens it: a section of the name
// that another account made is not valid.
class InstanceClaim {
public:
    explicit InstanceClaim(const std::wstring& name);
    ~InstanceClaim();
    InstanceClaim(const InstanceClaim&) = delete;
    InstanceClaim& operator=(const InstanceClaim&) = delete;

    bool valid() const { return record_ != nullptr; }
    bool first() const { return first_; }   // this process made the section: it is the running instance
    InstanceRecord& record() { return *record_; }

private:
    HandleHolder section_;
    InstanceRecord* record_ = nullptr;
    bool first_ = false;
};

// "Local\Pelmirt.Instance." and the user's SID: one name per user in each session.
std::wstring instanceName();

enum class StartOutcome {
    Run,        // first (or no section could be made): this process runs the program
    Shown,      // the running instance showed its window
    NoAnswer,   // it runs but did not show itself within the time given
};

// Claims the name or asks the instance that holds it to show itself, retrying while that instance is
// still starting or already ending, for at most budgetMs. When this process is first the claim is
// moved into `held`, which keeps it.
StartOutcome claimOrShowRunning(const std::wstring& name, std::unique_ptr<InstanceClaim>& held, DWORD budgetMs);

// What onAnotherStart answers when it showed the window.
inline constexpr LRESULT InstanceShownReply = 0x50454C4D;

}  // namespace pm
