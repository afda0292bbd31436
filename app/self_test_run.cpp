#include "app/self_test_run.h"

#include "app/history_note.h"
#include "app/self_test_run_internal.h"
#include "engine/self_test.h"
#include "services/json/json.h"

#include <stdexcept>

namespace pm {

namespace {

// 61 bytes; the backslash sequences are JSON escapes in the text ("\ud83d\ude00" is one surrogate pair).
constexpr char SelfTestDocument[] = "{\"ok\":true,\"n\":123,\"s\":\"\\u0414\\ud83d\\ude00\",\"a\":[null,false]}";
static_assert(sizeof(SelfTestDocument) - 1 == 61);

bool readerRejects(const std::string& text) {
    try {
        parseJson(text);
    } catch (...) {
        return true;
    }
    return false;
}

}  // namespace

const SelfTestTexts& selfTestTexts() {
    static const SelfTestTexts texts{
        SelfTestDocument,
        {
            "{\"x\":1,\"x\":2}",       // duplicate key
            "{\"x\":01}",              // leading zero
            "{\"x\":\"\\ud800\"}",     // lone high surrogate
            "[1,]",                    // trailing comma
            "{} trailing",             // trailing data
        },
    };
    return texts;
}

bool jsonChecksPass(const SelfTestTexts& texts) {
    const JsonValue document = parseJson(texts.document);
    const JsonValue& ok = document.at("ok");
    if (ok.kind != JsonKind::Bool) throw std::runtime_error("JSON bool expected");
    if (!ok.boolValue) return false;
    if (document.at("n").asInt64() != 123) return false;
    if (document.at("s").asString().empty()) return false;
    for (const std::string& text : texts.invalidTexts) {
        if (!readerRejects(text)) return false;
    }
    return true;
}

int runSelfTestWith(const SelfTestTexts& texts, EngineSelfTest engineSelfTest) {
    bool passed = false;
    std::wstring engineMessage;
    try {
        passed = jsonChecksPass(texts) && engineSelfTest(engineMessage);
    } catch (...) {
        passed = false;
    }
    recordHistoryNote(passed ? L"Самопроверка пройдена." : L"Самопроверка не пройдена.", engineMessage);
    return passed ? 0 : ExitSelfTestFailed;
}

int runSelfTestMode() { return runSelfTestWith(selfTestTexts(), &runSelfTest); }

}  // namespace pm
