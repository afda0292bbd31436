// String quoting byte for byte, and round trips of object texts composed the way the writers do.
#include "services/json/json.h"
#include "tests/services/json/json_test_util.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace pm {
namespace {

using test::printable;

TEST(JsonQuoteTest, SelfTestBytes) {
    const std::string quoted = jsonQuote(std::string("a\x01\x22/\x7F", 5));
    EXPECT_EQ(quoted.size(), 13u);
    EXPECT_EQ(printable(quoted), printable(std::string("\"a\\u0001\\\"/\x7F\"")));
}

TEST(JsonQuoteTest, EveryByte) {
    EXPECT_EQ(jsonQuote(""), "\"\"");
    for (unsigned byte = 0; byte < 256; ++byte) {
        std::string expected;
        switch (byte) {
            case 0x09: expected = "\\t"; break;
            case 0x0A: expected = "\\n"; break;
            case 0x0D: expected = "\\r"; break;
            case 0x22: expected = "\\\""; break;
            case 0x5C: expected = "\\\\"; break;
            default:
                if (byte < 0x20) {
                    static const char hex[] = "0123456789abcdef";
                    expected = std::string("\\u00") + hex[byte >> 4] + hex[byte & 15];
                } else {
                    expected = std::string(1, static_cast<char>(byte));
                }
        }
        EXPECT_EQ(printable(jsonQuote(std::string(1, static_cast<char>(byte)))), printable("\"" + expected + "\""))
            << "byte " << byte;
    }
    // No short escapes for backspace and form feed, and the solidus stays bare.
    EXPECT_EQ(jsonQuote("\x08\x0C\x1F/"), "\"\\u0008\\u000c\\u001f/\"");
}

TEST(JsonQuoteTest, EveryByteStringReadsBack) {
    std::string all;
    for (unsigned byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
    EXPECT_EQ(printable(parseJson(jsonQuote(all)).asString()), printable(all));
}

// A member as a writer composes it, and what it must read back as.
struct Member {
    std::string key;
    JsonKind kind;
    std::string text;        // string bytes
    std::int64_t integer = 0;
    bool flag = false;
};

std::string compose(const std::vector<Member>& members) {
    std::string out = "{";
    for (std::size_t i = 0; i < members.size(); ++i) {
        const Member& m = members[i];
        if (i > 0) out += ',';
        out += jsonQuote(m.key) + ':';
        switch (m.kind) {
            case JsonKind::String: out += jsonQuote(m.text); break;
            case JsonKind::Number: out += std::to_string(m.integer); break;
            default: out += m.flag ? "true" : "false"; break;
        }
    }
    return out + "}";
}

void expectReadsBack(const std::vector<Member>& members) {
    const std::string text = compose(members);
    SCOPED_TRACE(printable(text));
    const JsonValue v = parseJson(text);
    ASSERT_EQ(v.kind, JsonKind::Object);
    ASSERT_EQ(v.members.size(), members.size());
    for (const Member& m : members) {
        const JsonValue& got = v.at(m.key);
        ASSERT_EQ(got.kind, m.kind) << printable(m.key);
        switch (m.kind) {
            case JsonKind::String:
                EXPECT_EQ(printable(got.asString()), printable(m.text));
                // The helpers take zero-terminated keys, so only keys without a zero byte reach them.
                if (m.key.find('\0') == std::string::npos) {
                    EXPECT_EQ(printable(jsonGetString(v, m.key.c_str(), "?")), printable(m.text));
                }
                break;
            case JsonKind::Number: EXPECT_EQ(got.asInt64(), m.integer); break;
            default:
                EXPECT_EQ(got.boolValue, m.flag);
                if (m.key.find('\0') == std::string::npos) {
                    EXPECT_EQ(jsonGetBool(v, m.key.c_str(), !m.flag), m.flag);
                }
                break;
        }
    }
}

TEST(JsonRoundTripTest, StateAndHistoryShapedObjects) {
    expectReadsBack({
        {"close_browsers", JsonKind::Bool, "", 0, false}, {"theme", JsonKind::String, "dark"},
        {"palette", JsonKind::String, "emerald"}, {"language", JsonKind::String, "system"},
        {"widget_enabled", JsonKind::Bool, "", 0, true}, {"widget_opacity", JsonKind::Number, "", 100},
        {"widget_position_saved", JsonKind::Bool, "", 0, true}, {"widget_x", JsonKind::Number, "", -100000},
        {"widget_y", JsonKind::Number, "", 0}, {"skip_locked", JsonKind::Bool, "", 0, true},
    });
    expectReadsBack({
        {"kind", JsonKind::Number, "", 1},
        {"bytes", JsonKind::Number, "", std::numeric_limits<std::int64_t>::max()},
        {"delta", JsonKind::Number, "", std::numeric_limits<std::int64_t>::min()},
        {"text", JsonKind::String, "C:\\Users\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\\\"q\"\t\r\n\x01\x7F"},
        {"detail", JsonKind::String, ""},
    });
    expectReadsBack({});
}

TEST(JsonRoundTripTest, RandomComposedObjects) {
    std::mt19937 random(20240521u);
    auto below = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    auto bytes = [&](unsigned maxLength) {
        std::string s(below(maxLength + 1), '\0');
        for (char& c : s) c = static_cast<char>(below(256));
        return s;
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<Member> members;
        std::set<std::string> keys;
        const unsigned count = below(16);
        while (members.size() < count) {
            Member m;
            m.key = bytes(8);
            if (!keys.insert(m.key).second) continue;
            switch (below(3)) {
                case 0:
                    m.kind = JsonKind::String;
                    m.text = bytes(40);
                    break;
                case 1:
                    m.kind = JsonKind::Number;
                    m.integer = static_cast<std::int64_t>((std::uint64_t{random()} << 32) | random());
                    if (below(2) == 0) m.integer >>= below(64);
                    break;
                default:
                    m.kind = JsonKind::Bool;
                    m.flag = below(2) == 0;
                    break;
            }
            members.push_back(m);
        }
        expectReadsBack(members);
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace pm
