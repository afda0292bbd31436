// Strict recursive-descent reader. The stored files it reads may be damaged or hand-edited, so it takes
// one exact grammar, bounds size and depth, and reports every fault with one of three fixed phrases.
#include "services/json/json.h"

#include <stdexcept>
#include <string_view>
#include <utility>

namespace pm {
namespace {

constexpr std::size_t kMaxTextBytes = 131072;
// A value at a deeper level is refused before anything is read, which bounds the recursion.
constexpr int kMaxDepth = 32;

bool atEnd(const JsonCursor& cursor) {
    return cursor.index >= cursor.text->size();
}

unsigned char peek(const JsonCursor& cursor) {
    return static_cast<unsigned char>((*cursor.text)[cursor.index]);
}

// Exactly space, tab, line feed and carriage return: a form feed or a vertical tab is not whitespace.
bool isWhitespace(unsigned char byte) {
    return byte == 0x20 || byte == 0x09 || byte == 0x0A || byte == 0x0D;
}

bool isDigit(unsigned char byte) {
    return byte >= '0' && byte <= '9';
}

void skipWhitespace(JsonCursor& cursor) {
    while (!atEnd(cursor) && isWhitespace(peek(cursor))) ++cursor.index;
}

bool nextIsDigit(const JsonCursor& cursor) {
    return !atEnd(cursor) && isDigit(peek(cursor));
}

void skipDigits(JsonCursor& cursor) {
    while (nextIsDigit(cursor)) ++cursor.index;
}

int hexValue(unsigned char byte) {
    if (byte >= '0' && byte <= '9') return byte - '0';
    if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
    if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
    return -1;
}

// Four hexadecimal digits, most significant first.
unsigned readCodeUnit(JsonCursor& cursor) {
    unsigned unit = 0;
    for (int i = 0; i < 4; ++i) {
        if (atEnd(cursor)) throwInvalidJson();
        const int digit = hexValue(peek(cursor));
        if (digit < 0) throwInvalidJson();
        unit = unit * 16 + static_cast<unsigned>(digit);
        ++cursor.index;
    }
    return unit;
}

void appendUtf8(std::string& out, unsigned codePoint) {
    if (codePoint <= 0x7F) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint <= 0x7FF) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint <= 0xFFFF) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// The cursor stands after "\u". A lone low surrogate, or a high one without its low half, is refused.
void readUnicodeEscape(JsonCursor& cursor, std::string& out) {
    const unsigned unit = readCodeUnit(cursor);
    if (unit >= 0xDC00 && unit <= 0xDFFF) throwInvalidJson();
    if (unit < 0xD800 || unit > 0xDBFF) {
        appendUtf8(out, unit);
        return;
    }
    if (atEnd(cursor) || peek(cursor) != '\\') throwInvalidJson();
    ++cursor.index;
    if (atEnd(cursor) || peek(cursor) != 'u') throwInvalidJson();
    ++cursor.index;
    const unsigned low = readCodeUnit(cursor);
    if (low < 0xDC00 || low > 0xDFFF) throwInvalidJson();
    appendUtf8(out, 0x10000 + (unit - 0xD800) * 0x400 + (low - 0xDC00));
}

// The cursor stands after the backslash.
void readEscape(JsonCursor& cursor, std::string& out) {
    if (atEnd(cursor)) throwInvalidJson();
    const unsigned char byte = peek(cursor);
    ++cursor.index;
    switch (byte) {
        case '"': out.push_back('"'); break;
        case '\\': out.push_back('\\'); break;
        case '/': out.push_back('/'); break;
        case 'b': out.push_back('\x08'); break;
        case 'f': out.push_back('\x0C'); break;
        case 'n': out.push_back('\x0A'); break;
        case 'r': out.push_back('\x0D'); break;
        case 't': out.push_back('\x09'); break;
        case 'u': readUnicodeEscape(cursor, out); break;
        default: throwInvalidJson();
    }
}

// Literal true, false or null, whole; the byte after it is left to whoever continues.
void readLiteral(JsonCursor& cursor, std::string_view literal) {
    if (cursor.text->compare(cursor.index, literal.size(), literal) != 0) throwInvalidJson();
    cursor.index += literal.size();
}

// -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)? kept as scanned. After a leading 0 any digit ends the
// number, so the caller refuses what follows.
std::string readNumber(JsonCursor& cursor) {
    const std::size_t start = cursor.index;
    if (peek(cursor) == '-') ++cursor.index;
    if (!nextIsDigit(cursor)) throwInvalidJson();
    if (peek(cursor) == '0') {
        ++cursor.index;
    } else {
        skipDigits(cursor);
    }
    if (!atEnd(cursor) && peek(cursor) == '.') {
        ++cursor.index;
        if (!nextIsDigit(cursor)) throwInvalidJson();
        skipDigits(cursor);
    }
    if (!atEnd(cursor) && (peek(cursor) == 'e' || peek(cursor) == 'E')) {
        ++cursor.index;
        if (!atEnd(cursor) && (peek(cursor) == '+' || peek(cursor) == '-')) ++cursor.index;
        if (!nextIsDigit(cursor)) throwInvalidJson();
        skipDigits(cursor);
    }
    return cursor.text->substr(start, cursor.index - start);
}

// After an element: the closer ends the container (true), a comma continues it (false).
bool readSeparator(JsonCursor& cursor, char closer) {
    skipWhitespace(cursor);
    if (atEnd(cursor)) throwInvalidJson();
    const unsigned char byte = peek(cursor);
    ++cursor.index;
    if (byte == static_cast<unsigned char>(closer)) return true;
    if (byte != ',') throwInvalidJson();
    return false;
}

void readArrayItems(JsonCursor& cursor, int depth, JsonValue& array) {
    do {
        array.items.push_back(parseJsonValue(cursor, depth + 1));
    } while (!readSeparator(cursor, ']'));
}

void readObjectMembers(JsonCursor& cursor, int depth, JsonValue& object) {
    do {
        skipWhitespace(cursor);
        std::string key = parseJsonString(cursor);
        skipWhitespace(cursor);
        if (atEnd(cursor) || peek(cursor) != ':') throwInvalidJson();
        ++cursor.index;
        JsonValue value = parseJsonValue(cursor, depth + 1);
        // A duplicate is refused outright rather than letting either occurrence win silently.
        if (object.members.find(key) != object.members.end()) throwInvalidJson();
        object.members.emplace(std::move(key), std::move(value));
    } while (!readSeparator(cursor, '}'));
}

}  // namespace

void throwInvalidJson() {
    throw std::runtime_error("invalid JSON");
}

std::string parseJsonString(JsonCursor& cursor) {
    if (cursor.text == nullptr || atEnd(cursor) || peek(cursor) != '"') throwInvalidJson();
    ++cursor.index;
    std::string result;
    const std::string& text = *cursor.text;
    for (;;) {
        // Copy each run of plain bytes at once; raw bytes are not checked as UTF-8 here.
        const std::size_t runStart = cursor.index;
        while (!atEnd(cursor)) {
            const unsigned char byte = peek(cursor);
            if (byte == '"' || byte == '\\' || byte < 0x20) break;
            ++cursor.index;
        }
        result.append(text, runStart, cursor.index - runStart);
        if (atEnd(cursor)) throwInvalidJson();  // unterminated
        const unsigned char byte = peek(cursor);
        ++cursor.index;
        if (byte == '"') return result;
        if (byte < 0x20) throwInvalidJson();  // control bytes must be escaped
        readEscape(cursor, result);
    }
}

JsonValue parseJsonValue(JsonCursor& cursor, int depth) {
    // A negative depth would lift the bound on recursion, so it is refused like an excessive one.
    if (cursor.text == nullptr || depth < 0 || depth > kMaxDepth) throwInvalidJson();
    skipWhitespace(cursor);
    if (atEnd(cursor)) throwInvalidJson();
    JsonValue value;
    switch (peek(cursor)) {
        case '"':
            value.kind = JsonKind::String;
            value.text = parseJsonString(cursor);
            break;
        case 't':
            readLiteral(cursor, "true");
            value.kind = JsonKind::Bool;
            value.boolValue = true;
            break;
        case 'f':
            readLiteral(cursor, "false");
            value.kind = JsonKind::Bool;
            break;
        case 'n':
            readLiteral(cursor, "null");
            break;
        case '{':
        case '[': {
            const bool isObject = peek(cursor) == '{';
            value.kind = isObject ? JsonKind::Object : JsonKind::Array;
            ++cursor.index;
            skipWhitespace(cursor);
            if (!atEnd(cursor) && peek(cursor) == (isObject ? '}' : ']')) {
                ++cursor.index;
                break;
            }
            if (isObject) {
                readObjectMembers(cursor, depth, value);
            } else {
                readArrayItems(cursor, depth, value);
            }
            break;
        }
        default:
            value.kind = JsonKind::Number;
            value.text = readNumber(cursor);
            break;
    }
    return value;
}

JsonValue parseJson(const std::string& text) {
    if (text.size() > kMaxTextBytes) throw std::runtime_error("JSON too large");
    JsonCursor cursor{&text, 0};
    JsonValue value = parseJsonValue(cursor, 0);
    skipWhitespace(cursor);
    if (!atEnd(cursor)) throw std::runtime_error("JSON trailing data");
    return value;
}

}  // namespace pm
