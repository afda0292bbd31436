// Accessors: member lookup, string and integer conversion, and the fallback readers.
#include "services/json/json.h"
#include "tests/services/json/json_test_util.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

namespace pm {
namespace {

JsonValue number(const std::string& text) {
    JsonValue v;
    v.kind = JsonKind::Number;
    v.text = text;
    return v;
}

// "" when asInt64 succeeds, else the exception's type and message, e.g. "out_of_range:stoll".
std::string int64Failure(const JsonValue& v) {
    try {
        (void)v.asInt64();
        return "";
    } catch (const std::out_of_range& e) {
        return std::string("out_of_range:") + e.what();
    } catch (const std::invalid_argument& e) {
        return std::string("invalid_argument:") + e.what();
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(typeid(e), typeid(std::runtime_error));
        return std::string("runtime_error:") + e.what();
    }
}

TEST(JsonValueTest, DefaultIsAnEmptyNull) {
    const JsonValue v;
    EXPECT_EQ(v.kind, JsonKind::Null);
    EXPECT_FALSE(v.boolValue);
    EXPECT_TRUE(v.text.empty());
    EXPECT_TRUE(v.members.empty());
    EXPECT_TRUE(v.items.empty());
    EXPECT_EQ(static_cast<std::uint32_t>(JsonKind::Array), 5u);
    EXPECT_EQ(static_cast<std::uint32_t>(JsonKind::Object), 4u);
    EXPECT_EQ(sizeof(JsonKind), 4u);
}

TEST(JsonValueTest, CopyIsDeep) {
    JsonValue original = parseJson(R"({"a":[1,{"b":"x"}],"c":"y"})");
    const JsonValue copy = original;
    original.members["a"].items[1].members["b"].text = "changed";
    original.members.erase("c");
    EXPECT_EQ(copy.at("a").items[1].at("b").asString(), "x");
    EXPECT_EQ(copy.at("c").asString(), "y");
}

TEST(JsonValueTest, IntegersWithinSignedRange) {
    struct Case {
        std::string text;
        std::int64_t value;
    };
    const std::vector<Case> cases = {
        {"0", 0}, {"-0", 0}, {"123", 123}, {"-42", -42},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseJson(c.text).asInt64(), c.value);
    }
}

TEST(JsonValueTest, IntegerFailures) {
    struct Case {
        std::string text;  // read through parseJson
        std::string failure;
    };
    const std::vector<Case> cases = {
        {"9223372036854775808", "out_of_range:stoll"},
        {"-9223372036854775809", "out_of_range:stoll"},
        {"99999999999999999999999999", "out_of_range:stoll"},
        {"1.0", "runtime_error:JSON integer expected"},
        {"1e2", "runtime_error:JSON integer expected"},
        {"1E2", "runtime_error:JSON integer expected"},
        {"-0.0", "runtime_error:JSON integer expected"},
        {"\"5\"", "runtime_error:JSON integer expected"},
        {"true", "runtime_error:JSON integer expected"},
        {"null", "runtime_error:JSON integer expected"},
        {"[5]", "runtime_error:JSON integer expected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(int64Failure(parseJson(c.text)), c.failure);
    }
}

TEST(JsonValueTest, HandBuiltNumberTextsOutsideTheGrammar) {
    // The reader never yields these; a value built in code must still not pass them as integers.
    struct Case {
        std::string text;
        std::string failure;
    };
    const std::vector<Case> cases = {
        {"", "invalid_argument:stoll"},
        {"abc", "invalid_argument:stoll"},
        {"-", "invalid_argument:stoll"},
        {"12x", "runtime_error:JSON integer"},
        {"0x10", "runtime_error:JSON integer"},
        {"1 ", "runtime_error:JSON integer"},
        {" 12", "runtime_error:JSON integer"},
        {"\t12", "runtime_error:JSON integer"},
        {"+12", "runtime_error:JSON integer"},
        {std::string("1\0", 2), "runtime_error:JSON integer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(test::printable(c.text));
        EXPECT_EQ(int64Failure(number(c.text)), c.failure);
    }
}

TEST(JsonValueTest, MemberLookup) {
    const JsonValue v = parseJson(R"({"a":"x","n":5})");
    EXPECT_EQ(&v.at("a"), &v.members.at("a"));
    EXPECT_EQ(v.at("a").asString(), "x");
    const std::vector<JsonValue> notHolding = {v, parseJson(R"(["a"])"), parseJson("\"a\""), JsonValue{}};
    for (const auto& value : notHolding) {
        try {
            (void)value.at(value.kind == JsonKind::Object ? "missing" : "a");
            ADD_FAILURE() << "found";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "missing JSON field");
        }
    }
}

TEST(JsonValueTest, AsStringOnlyForStrings) {
    EXPECT_EQ(parseJson(R"("a\u0000b")").asString(), std::string("a\0b", 3));
    for (const char* text : {"5", "true", "null", "[]", "{}"}) {
        SCOPED_TRACE(text);
        try {
            (void)parseJson(text).asString();
            ADD_FAILURE() << "converted";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "JSON string expected");
        }
    }
}

TEST(JsonValueTest, GetBoolFallsBack) {
    const JsonValue object = parseJson(R"({"t":true,"f":false,"one":1,"s":"true","z":null,"o":{}})");
    for (const bool fallback : {false, true}) {
        SCOPED_TRACE(fallback);
        EXPECT_TRUE(jsonGetBool(object, "t", fallback));
        EXPECT_FALSE(jsonGetBool(object, "f", fallback));
        for (const char* key : {"one", "s", "z", "o", "missing", ""}) {
            EXPECT_EQ(jsonGetBool(object, key, fallback), fallback) << key;
        }
        EXPECT_EQ(jsonGetBool(parseJson(R"([true])"), "0", fallback), fallback);
        EXPECT_EQ(jsonGetBool(parseJson("true"), "t", fallback), fallback);
        EXPECT_EQ(jsonGetBool(JsonValue{}, "t", fallback), fallback);
        EXPECT_EQ(jsonGetBool(object, nullptr, fallback), fallback);
    }
}

TEST(JsonValueTest, GetStringFallsBack) {
    const JsonValue object = parseJson(R"({"s":"dark","e":"","zero":"a\u0000b","n":5,"b":true,"z":null})");
    EXPECT_EQ(jsonGetString(object, "s", "system"), "dark");
    EXPECT_EQ(jsonGetString(object, "e", "system"), "");
    EXPECT_EQ(jsonGetString(object, "zero", "system"), std::string("a\0b", 3));
    for (const char* key : {"n", "b", "z", "missing"}) {
        EXPECT_EQ(jsonGetString(object, key, "system"), "system") << key;
    }
    EXPECT_EQ(jsonGetString(parseJson(R"(["s"])"), "s", "fb"), "fb");
    EXPECT_EQ(jsonGetString(parseJson(R"("s")"), "s", "fb"), "fb");
    EXPECT_EQ(jsonGetString(object, nullptr, "fb"), "fb");
    EXPECT_EQ(jsonGetString(object, "n", nullptr), "");
}

}  // namespace
}  // namespace pm
