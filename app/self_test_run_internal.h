// Seams of the self-test run for tests: the JSON texts and the engine check are inputs.
#pragma once

#include <string>
#include <vector>

namespace pm {

struct SelfTestTexts {
    std::string document;                  // must be accepted, with the members the checks read
    std::vector<std::string> invalidTexts; // each must be rejected, in this order
};

// The fixed texts of the program's self-test.
const SelfTestTexts& selfTestTexts();

// True when the document is accepted with its expected members and every invalid text is rejected.
// Exceptions of the reader on the document reach the caller.
bool jsonChecksPass(const SelfTestTexts& texts);

using EngineSelfTest = bool (*)(std::wstring& message);

// The whole run with the given inputs: checks, one history record, the exit code (0 or 11).
int runSelfTestWith(const SelfTestTexts& texts, EngineSelfTest engineSelfTest);

}  // namespace pm
