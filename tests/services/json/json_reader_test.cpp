// Reader grammar: numbers, literals, strings and escapes, whitespace, nesting depth, size, objects.
#include "services/json/json.h"
#include "tests/services/json/json_test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pm {
namespace {

using test::printable;
using test::readerVerdict;

struct VerdictCase {
    std::string text;
    std::string verdict;  // "" = reads
};

void expectVerdicts(const std::vector<VerdictCase>& cases) {
    for (const auto& c : cases) {
        EXPECT_EQ(readerVerdict(c.text), c.verdict) << "text: " << printable(c.text);
    }
}

std::string nested(int depth, const std::string& open, const std::string& inner, const std::string& close) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += open;
    text += inner;
    for (int i = 0; i < depth; ++i) text += close;
    return text;
}

const char* const kInvalid = "invalid JSON";
const char* const kTrailing = "JSON trailing data";
const char* const kTooLarge = "JSON too large";

TEST(JsonReaderTest, SelfTestTextReads) {
    const JsonValue v = parseJson(R"({"ok":true,"n":123,"s":"\u0414\uD83D\uDE00","a":[null,false]})");
    ASSERT_EQ(v.kind, JsonKind::Object);
    EXPECT_EQ(v.members.size(), 4u);
    EXPECT_EQ(v.at("ok").kind, JsonKind::Bool);
    EXPECT_TRUE(v.at("ok").boolValue);
    EXPECT_EQ(v.at("n").asInt64(), 123);
    EXPECT_EQ(v.at("s").asString(), "\xD0\x94\xF0\x9F\x98\x80");
    const JsonValue& a = v.at("a");
    ASSERT_EQ(a.kind, JsonKind::Array);
    ASSERT_EQ(a.items.size(), 2u);
    EXPECT_EQ(a.items[0].kind, JsonKind::Null);
    EXPECT_EQ(a.items[1].kind, JsonKind::Bool);
    EXPECT_FALSE(a.items[1].boolValue);
}

TEST(JsonReaderTest, NumbersKeepTheirLiteral) {
    const std::vector<std::string> literals = {
        "0", "-0", "7", "123", "0.5", "-0.0", "1e5", "1E-5", "-12.5e+3", "0e0", "1.25E10",
        "9223372036854775808", "-99999999999999999999999", "3.14159265358979323846264338327950288"};
    for (const auto& literal : literals) {
        SCOPED_TRACE(literal);
        const JsonValue v = parseJson(" \t" + literal + "\r\n");
        EXPECT_EQ(v.kind, JsonKind::Number);
        EXPECT_EQ(v.text, literal);
        EXPECT_FALSE(v.boolValue);
    }
    const JsonValue array = parseJson("[1,-2.5e3,0]");
    ASSERT_EQ(array.items.size(), 3u);
    EXPECT_EQ(array.items[0].text, "1");
    EXPECT_EQ(array.items[1].text, "-2.5e3");
    EXPECT_EQ(array.items[2].text, "0");
}

TEST(JsonReaderTest, NumberGrammarIsStrict) {
    expectVerdicts({
        {"-", kInvalid}, {"1.", kInvalid}, {".5", kInvalid}, {"+1", kInvalid}, {"1e", kInvalid},
        {"1e+", kInvalid}, {"1E-", kInvalid}, {"1.e5", kInvalid}, {"--1", kInvalid}, {"-a", kInvalid},
        {"- 1", kInvalid}, {"NaN", kInvalid}, {"Infinity", kInvalid}, {"-Infinity", kInvalid},
        {"[1.]", kInvalid}, {"[-]", kInvalid}, {"[1e]", kInvalid},
        // A leading zero ends the number: what follows is refused by whoever continues.
        {"01", kTrailing}, {"-01", kTrailing}, {"00", kTrailing}, {"0x10", kTrailing},
        {"1.5.2", kTrailing}, {"1e5e5", kTrailing}, {"1 2", kTrailing},
        {"[01]", kInvalid}, {R"({"x":01})", kInvalid}, {"[1 2]", kInvalid},
    });
}

TEST(JsonReaderTest, Literals) {
    const JsonValue t = parseJson("true");
    EXPECT_EQ(t.kind, JsonKind::Bool);
    EXPECT_TRUE(t.boolValue);
    const JsonValue f = parseJson("false");
    EXPECT_EQ(f.kind, JsonKind::Bool);
    EXPECT_FALSE(f.boolValue);
    const JsonValue n = parseJson("null");
    EXPECT_EQ(n.kind, JsonKind::Null);
    EXPECT_FALSE(n.boolValue);
    EXPECT_TRUE(n.text.empty());

    expectVerdicts({
        {"tru", kInvalid}, {"t", kInvalid}, {"fals", kInvalid}, {"nul", kInvalid}, {"True", kInvalid},
        {"trUe", kInvalid}, {"NULL", kInvalid}, {"[tru]", kInvalid}, {"nan", kInvalid},
        // The byte after a literal is judged by whoever continues.
        {"truex", kTrailing}, {"nullnull", kTrailing}, {"[truex]", kInvalid}, {"[false0]", kInvalid},
        {"[true,false,null]", ""}, {"[true ]", ""},
    });
}

TEST(JsonReaderTest, StringEscapesDecode) {
    struct Case {
        std::string text;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {R"("")", ""},
        {R"("plain text")", "plain text"},
        {R"("\"\\\/\b\f\n\r\t")", "\"\\/\x08\x0C\x0A\x0D\x09"},
        {R"("\/")", "/"},
        {R"("\u0041")", "A"},
        {R"("\u0000")", std::string(1, '\0')},
        {R"("a\u0000b")", std::string("a\0b", 3)},
        {R"("\u007f")", "\x7F"},
        {R"("\u0080")", "\xC2\x80"},
        {R"("\u00e9")", "\xC3\xA9"},
        {R"("\u00E9")", "\xC3\xA9"},
        {R"("\u07FF")", "\xDF\xBF"},
        {R"("\u0800")", "\xE0\xA0\x80"},
        {R"("\u0414")", "\xD0\x94"},
        {R"("\uD7FF")", "\xED\x9F\xBF"},
        {R"("\uE000")", "\xEE\x80\x80"},
        {R"("\uFFFF")", "\xEF\xBF\xBF"},
        {R"("\uD800\uDC00")", "\xF0\x90\x80\x80"},
        {R"("\uD83D\uDE00")", "\xF0\x9F\x98\x80"},
        {R"("\ud83d\ude00")", "\xF0\x9F\x98\x80"},
        {R"("\uDBFF\uDFFF")", "\xF4\x8F\xBF\xBF"},
        // Raw bytes from 0x7F up pass unchanged and are not checked as UTF-8.
        {"\"\x7F\xC3\xA9\xFF\xC0\x80\"", "\x7F\xC3\xA9\xFF\xC0\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const JsonValue v = parseJson(c.text);
        EXPECT_EQ(v.kind, JsonKind::String);
        EXPECT_EQ(printable(v.text), printable(c.bytes));
    }
}

TEST(JsonReaderTest, StringFaultsAreInvalid) {
    std::vector<VerdictCase> cases = {
        {"\"a\tb\"", kInvalid}, {"\"a\nb\"", kInvalid}, {"\"a\rb\"", kInvalid},
        {std::string("\"a\0b\"", 5), kInvalid}, {"\"\x1F\"", kInvalid},
        {R"("\a")", kInvalid}, {R"("\U0041")", kInvalid}, {R"("\x41")", kInvalid}, {R"("\')", kInvalid},
        {R"("\u12")", kInvalid}, {R"("\u00g0")", kInvalid}, {R"("\u 041")", kInvalid},
        {"\"\\u", kInvalid}, {"\"\\u00", kInvalid}, {"\"\\", kInvalid}, {"\"abc", kInvalid}, {"\"", kInvalid},
        {"'a'", kInvalid}, {"[\"a]", kInvalid},
    };
    for (unsigned byte = 0; byte < 0x20; ++byte) {
        std::string text(3, '"');
        text[1] = static_cast<char>(byte);
        cases.push_back({text, kInvalid});
    }
    expectVerdicts(cases);
}

TEST(JsonReaderTest, SurrogatesMustPair) {
    expectVerdicts({
        {R"("\uDC00")", kInvalid}, {R"("\uDFFF")", kInvalid}, {R"("\uDE00\uD83D")", kInvalid},
        {R"("\uD800")", kInvalid}, {R"("\uD800x")", kInvalid}, {R"("\uD800\u0041")", kInvalid},
        {R"("\uD800\uD800")", kInvalid}, {R"("\uD800\uE000")", kInvalid}, {R"("\uD800\n")", kInvalid},
        {R"("\uD800\UDC00")", kInvalid}, {R"("\uD800\uDC0")", kInvalid}, {"\"\\uD800\\", kInvalid},
        {"\"\\uD800\\u", kInvalid}, {"\"\\uDBFF", kInvalid}, {R"({"x":"\ud800"})", kInvalid},
        {R"("\uD800\uDC00")", ""},
    });
}

TEST(JsonReaderTest, OnlyFourBytesAreWhitespace) {
    const JsonValue v = parseJson(" \t\r\n{ \t\r\n\"a\" \t\r\n: \t\r\n[ \t\r\n1 \t\r\n, \t\r\n{ } \t\r\n] \t\r\n} \t\r\n");
    ASSERT_EQ(v.kind, JsonKind::Object);
    EXPECT_EQ(v.at("a").items.size(), 2u);
    expectVerdicts({
        {"", kInvalid}, {" \t\r\n", kInvalid}, {"\f1", kInvalid}, {"\v1", kInvalid},
        {"1\f", kTrailing}, {"1\v", kTrailing}, {"[1,\f2]", kInvalid}, {"[1\v]", kInvalid}, {"[\f]", kInvalid},
        {"{\"a\"\f:1}", kInvalid}, {"{\f}", kInvalid}, {"\xC2\xA0" "1", kInvalid}, {"1\xC2\xA0", kTrailing},
        {std::string("1\0", 2), kTrailing}, {"{} trailing", kTrailing},
    });
}

TEST(JsonReaderTest, ContainerPunctuation) {
    expectVerdicts({
        {"[", kInvalid}, {"{", kInvalid}, {"[1", kInvalid}, {"[1,", kInvalid}, {"{\"a\":1", kInvalid},
        {"{\"a\"", kInvalid}, {"{\"a\":", kInvalid}, {"]", kInvalid}, {"}", kInvalid}, {":", kInvalid},
        {"[1,]", kInvalid}, {"[,1]", kInvalid}, {"[,]", kInvalid}, {"[1;2]", kInvalid}, {"[1}", kInvalid},
        {"{\"a\":1]", kInvalid}, {"{\"a\":1,}", kInvalid}, {"{,}", kInvalid}, {"{a:1}", kInvalid},
        {"{1:1}", kInvalid}, {"{\"a\" 1}", kInvalid}, {"{\"a\":}", kInvalid}, {"{\"a\"}", kInvalid},
        {"{\"a\"=1}", kInvalid}, {"{'a':1}", kInvalid}, {"[]]", kTrailing}, {"{}}", kTrailing},
        {"[] []", kTrailing}, {"[[],{},[[]],{\"\":{}}]", ""},
    });
}

TEST(JsonReaderTest, DepthLimitAroundScalars) {
    const JsonValue deep = parseJson(nested(32, "[", "7", "]"));
    const JsonValue* at = &deep;
    for (int level = 0; level < 32; ++level) {
        ASSERT_EQ(at->kind, JsonKind::Array);
        ASSERT_EQ(at->items.size(), 1u);
        at = &at->items[0];
    }
    EXPECT_EQ(at->text, "7");

    expectVerdicts({
        {nested(33, "[", "7", "]"), kInvalid},
        {nested(33, "[", "\"s\"", "]"), kInvalid},
        {nested(32, "{\"k\":", "null", "}"), ""},
        {nested(33, "{\"k\":", "null", "}"), kInvalid},
        {nested(16, "[{\"k\":", "true", "}]"), ""},
        {nested(16, "[{\"k\":", "[true]", "}]"), kInvalid},
    });
}

TEST(JsonReaderTest, DepthLimitAroundEmptyContainers) {
    expectVerdicts({
        {nested(33, "[", "", "]"), ""},
        {nested(34, "[", "", "]"), kInvalid},
        {nested(32, "[", "{}", "]"), ""},
        {nested(33, "[", "{}", "]"), kInvalid},
        {nested(32, "{\"k\":", "[]", "}"), ""},
        {nested(33, "{\"k\":", "[]", "}"), kInvalid},
        // Far past the limit, within the size limit: refused without deep recursion.
        {std::string(131072, '['), kInvalid},
        {nested(65536, "[", "", "]"), kInvalid},
    });
}

TEST(JsonReaderTest, DepthArgumentOfValueReader) {
    const std::string scalar = "1";
    const std::string empty = "[]";
    const std::string one = "[1]";
    JsonCursor cursor{&scalar, 0};
    EXPECT_EQ(parseJsonValue(cursor, 32).text, "1");
    cursor = {&scalar, 0};
    EXPECT_THROW(parseJsonValue(cursor, 33), std::runtime_error);
    cursor = {&empty, 0};
    EXPECT_EQ(parseJsonValue(cursor, 32).kind, JsonKind::Array);
    cursor = {&one, 0};
    EXPECT_THROW(parseJsonValue(cursor, 32), std::runtime_error);
    // A negative depth would lift the bound, so it is refused.
    cursor = {&scalar, 0};
    EXPECT_THROW(parseJsonValue(cursor, -1), std::runtime_error);
}

TEST(JsonReaderTest, SizeLimit) {
    const std::string limit = "\"" + std::string(131070, 'a') + "\"";
    ASSERT_EQ(limit.size(), 131072u);
    EXPECT_EQ(parseJson(limit).text.size(), 131070u);
    EXPECT_EQ(parseJson("1" + std::string(131071, ' ')).text, "1");

    expectVerdicts({
        {"\"" + std::string(131071, 'a') + "\"", kTooLarge},
        {std::string(131073, ' '), kTooLarge},
        {"1" + std::string(131072, ' '), kTooLarge},
        {std::string(131073, '['), kTooLarge},
        {std::string(131072, ' '), kInvalid},
    });
}

TEST(JsonReaderTest, DuplicateKeysAreRefused) {
    expectVerdicts({
        {R"({"x":1,"x":2})", kInvalid},
        {R"({"x":1,"x":1})", kInvalid},
        {R"({"":1,"":2})", kInvalid},
        {R"({"a":1,"\u0061":2})", kInvalid},
        {R"({"x":1,"y":2,"x":{"z":3}})", kInvalid},
        {R"([{"x":{"x":{"x":1}}},{"x":2}])", ""},
        {R"({"x":1,"X":2})", ""},
        {R"({"a\u0000":1,"a":2})", ""},
    });
    const JsonValue v = parseJson(R"({"a\u0000b":1,"a":2})");
    ASSERT_EQ(v.members.size(), 2u);
    EXPECT_EQ(v.members.begin()->first, "a");
    EXPECT_EQ(std::next(v.members.begin())->first, std::string("a\0b", 3));
}

std::vector<std::string> keysInOrder(const JsonValue& object) {
    std::vector<std::string> keys;
    for (const auto& member : object.members) keys.push_back(member.first);
    return keys;
}

TEST(JsonReaderTest, MembersIterateInUnsignedByteOrder) {
    EXPECT_EQ(keysInOrder(parseJson(R"({"b":1,"a":2,"B":3})")), (std::vector<std::string>{"B", "a", "b"}));
    EXPECT_EQ(keysInOrder(parseJson(R"({"abc":1,"a":2,"ab":3,"":4})")),
              (std::vector<std::string>{"", "a", "ab", "abc"}));
    // Bytes from 0x80 sort after ASCII: a signed comparison would put them first.
    EXPECT_EQ(keysInOrder(parseJson("{\"\xC3\xA9\":1,\"z\":2,\"\x7F\":3,\"\xFF\":4,\"\x80\":5}")),
              (std::vector<std::string>{"z", "\x7F", "\x80", "\xC3\xA9", "\xFF"}));
    EXPECT_EQ(keysInOrder(parseJson(R"({"\u00e9":1,"\u0001":2,"e":3})")),
              (std::vector<std::string>{"\x01", "e", "\xC3\xA9"}));
}

TEST(JsonReaderTest, CursorStopsAfterTheValue) {
    struct Case {
        std::string text;
        std::size_t end;
    };
    const std::vector<Case> cases = {
        {"  12,x", 4}, {"true]", 4}, {"null null", 4}, {"01", 1}, {"-0.5e+7}", 7},
        {"\"ab\"cd", 4}, {"[1, 2] 3", 6}, {"{\"a\":[]}{}", 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        JsonCursor cursor{&c.text, 0};
        (void)parseJsonValue(cursor, 0);
        EXPECT_EQ(cursor.index, c.end);
    }

    const std::string text = "x\"a\\u00e9\"y";
    JsonCursor cursor{&text, 1};
    EXPECT_EQ(parseJsonString(cursor), "a\xC3\xA9");
    EXPECT_EQ(cursor.index, 10u);
}

TEST(JsonReaderTest, StringReaderNeedsTheQuoteAtTheCursor) {
    const std::string spaced = " \"a\"";
    const std::string bare = "abc";
    JsonCursor cursor{&spaced, 0};
    EXPECT_THROW(parseJsonString(cursor), std::runtime_error);
    cursor = {&bare, 0};
    EXPECT_THROW(parseJsonString(cursor), std::runtime_error);
    cursor = {&spaced, spaced.size()};
    EXPECT_THROW(parseJsonString(cursor), std::runtime_error);
    // A cursor past the end or without a text reads as the end, never out of bounds.
    cursor = {&bare, 99};
    EXPECT_THROW(parseJsonValue(cursor, 0), std::runtime_error);
    cursor = {nullptr, 0};
    EXPECT_THROW(parseJsonValue(cursor, 0), std::runtime_error);
    EXPECT_THROW(parseJsonString(cursor), std::runtime_error);
}

TEST(JsonReaderTest, InvalidJsonHelperThrowsTheFixedPhrase) {
    try {
        throwInvalidJson();
        FAIL() << "returned";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "invalid JSON");
    }
}

}  // namespace
}  // namespace pm
