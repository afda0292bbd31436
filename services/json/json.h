// JSON value and its strict reader, the accessors the stored files use, and the string quoter for writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pm {

enum class JsonKind : std::uint32_t {
    Null = 0,
    Bool = 1,
    Number = 2,
    String = 3,
    Object = 4,
    Array = 5,
};

// One JSON value. A number keeps its literal text until asked for as an integer; object members are
// unique and ordered byte-wise by key (unsigned, shorter prefix first), never in the order of the text.
struct JsonValue {
    JsonKind kind = JsonKind::Null;
    bool boolValue = false;                       // true only for the literal true
    std::string text;                             // string bytes (UTF-8, may hold zeros) or number literal
    std::map<std::string, JsonValue> members;     // object members
    std::vector<JsonValue> items;                 // array elements, in text order

    // Member under key; "missing JSON field" when this is not an object or has no such member.
    const JsonValue& at(const std::string& key) const;
    // Copy of the string bytes; "JSON string expected" for any other kind.
    std::string asString() const;
    // Integer value of a number without fraction or exponent ("JSON integer expected" otherwise).
    // Out of range: std::out_of_range("stoll"); no digits: std::invalid_argument("stoll");
    // not consumed whole: "JSON integer".
    std::int64_t asInt64() const;
};

// Reader position: the text and the index of the next byte. The index only moves forward.
struct JsonCursor {
    const std::string* text = nullptr;
    std::size_t index = 0;
};

// Exactly one value with optional whitespace around it, in at most 131072 bytes, no value deeper than 32.
// Throws "JSON too large", "invalid JSON" or "JSON trailing data"; the caller never gets a partial value.
JsonValue parseJson(const std::string& text);
// One value at the cursor (leading whitespace allowed); leaves the cursor on the byte after it.
JsonValue parseJsonValue(JsonCursor& cursor, int depth);
// A string literal whose opening quote is at the cursor; leaves the cursor after the closing quote.
std::string parseJsonString(JsonCursor& cursor);
// Throws "invalid JSON"; every syntax error of the reader goes through here.
[[noreturn]] void throwInvalidJson();

// The member's bool when object holds key with a bool value, else fallback. Never throws.
bool jsonGetBool(const JsonValue& object, const char* key, bool fallback) noexcept;
// The member's string when object holds key with a string value, else the fallback's bytes
// (empty for a null fallback). Catches every failure of the lookup itself.
std::string jsonGetString(const JsonValue& object, const char* key, const char* fallback);

// The JSON string literal of bytes, quotes included, for writers that compose their own object text.
std::string jsonQuote(const std::string& bytes);

}  // namespace pm
