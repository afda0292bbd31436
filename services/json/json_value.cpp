// Accessors of a read JsonValue, and the fallback readers used for optional members.
#include "services/json/json.h"

#include <stdexcept>

namespace pm {
namespace {

bool startsAsInteger(const std::string& text) {
    return !text.empty() && (text[0] == '-' || (text[0] >= '0' && text[0] <= '9'));
}

}  // namespace

const JsonValue& JsonValue::at(const std::string& key) const {
    if (kind != JsonKind::Object) throw std::runtime_error("missing JSON field");
    const auto found = members.find(key);
    if (found == members.end()) throw std::runtime_error("missing JSON field");
    return found->second;
}

std::string JsonValue::asString() const {
    if (kind != JsonKind::String) throw std::runtime_error("JSON string expected");
    return text;
}

std::int64_t JsonValue::asInt64() const {
    if (kind != JsonKind::Number || text.find_first_of(".eE") != std::string::npos) {
        throw std::runtime_error("JSON integer expected");
    }
    // std::stoll throws std::out_of_range / std::invalid_argument ("stoll") itself.
    std::size_t used = 0;
    const long long value = std::stoll(text, &used, 10);
    // The reader's grammar never yields leading whitespace or '+', which std::stoll would skip; a value
    // built by hand with them is not an integer literal either.
    if (used != text.size() || !startsAsInteger(text)) throw std::runtime_error("JSON integer");
    return static_cast<std::int64_t>(value);
}

bool jsonGetBool(const JsonValue& object, const char* key, bool fallback) noexcept {
    if (key == nullptr) return fallback;
    try {
        const JsonValue& member = object.at(key);
        if (member.kind != JsonKind::Bool) throw std::runtime_error("JSON bool expected");
        return member.boolValue;
    } catch (...) {
        return fallback;
    }
}

std::string jsonGetString(const JsonValue& object, const char* key, const char* fallback) {
    if (key != nullptr) {
        try {
            return object.at(key).asString();
        } catch (...) {
        }
    }
    return fallback != nullptr ? std::string(fallback) : std::string();
}

}  // namespace pm
