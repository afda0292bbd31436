// Shared helpers of the JSON tests.
#pragma once

#include "services/json/json.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <typeinfo>

namespace pm::test {

// What parseJson says about text: "" when it reads, else the message of the std::runtime_error it threw.
// Any other exception type, a subclass of std::runtime_error included, is a test failure.
inline std::string readerVerdict(const std::string& text) {
    try {
        (void)parseJson(text);
        return "";
    } catch (const std::runtime_error& e) {
        if (typeid(e) != typeid(std::runtime_error)) {
            ADD_FAILURE() << "unexpected exception type " << typeid(e).name();
        }
        return e.what();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "unexpected exception " << typeid(e).name() << ": " << e.what();
        return "<other>";
    }
}

// Bytes as escaped text, for messages about binary strings.
inline std::string printable(const std::string& bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out.push_back(c);
        } else {
            out += "\\x";
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0F]);
        }
    }
    return out;
}

}  // namespace pm::test
