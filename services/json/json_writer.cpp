// String quoting for writers that compose their own compact object text.
#include "services/json/json.h"

namespace pm {

std::string jsonQuote(const std::string& bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() + 2);
    out.push_back('"');
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
            case 0x09: out += "\\t"; break;
            case 0x0A: out += "\\n"; break;
            case 0x0D: out += "\\r"; break;
            case 0x22: out += "\\\""; break;
            case 0x5C: out += "\\\\"; break;
            default:
                if (byte < 0x20) {
                    // No short escapes for 0x08 and 0x0C: one form for every other control byte.
                    out += "\\u00";
                    out.push_back(kHex[byte >> 4]);
                    out.push_back(kHex[byte & 0x0F]);
                } else {
                    out.push_back(c);  // 0x7F and bytes from 0x80 pass unchanged, unvalidated
                }
                break;
        }
    }
    out.push_back('"');
    return out;
}

}  // namespace pm
