#include "services/history/text_codec.h"

namespace pm {

namespace {

constexpr wchar_t Replacement = 0xFFFD;

bool isForbiddenControl(std::uint32_t codePoint) {
    return (codePoint < 0x20 && codePoint != 0x09 && codePoint != 0x0A && codePoint != 0x0D) || codePoint == 0x7F;
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

void appendUtf8Replacement(std::string& out) {
    out += "\xEF\xBF\xBD";
}

}  // namespace

void appendCodePoint(std::wstring& out, std::uint32_t codePoint) {
    if (isForbiddenControl(codePoint)) {
        out.push_back(Replacement);
    } else if (codePoint > 0xFFFF) {
        out.push_back(static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(codePoint));
    }
}

std::wstring utf8ToWideSanitized(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        std::uint32_t value = 0;
        if (lead < 0x80) {
            length = 1;
            value = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            value = lead & 0x07u;
        } else {
            out.push_back(Replacement);
            ++i;
            continue;
        }
        bool good = size - i >= length;
        for (std::size_t k = 1; good && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if (!isContinuation(next)) {
                good = false;
            } else {
                value = (value << 6) | (next & 0x3Fu);
            }
        }
        if (good) {
            if ((length == 3 && value < 0x800) || (length == 4 && value < 0x10000)) good = false;
            if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) good = false;
        }
        if (!good) {
            // One replacement for the lead only: what follows is read again on its own, so each stray
            // continuation byte gives its own replacement.
            out.push_back(Replacement);
            ++i;
            continue;
        }
        appendCodePoint(out, value);
        i += length;
    }
    return out;
}

std::string encodeUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size; ++i) {
        const auto unit = static_cast<std::uint32_t>(static_cast<std::uint16_t>(text[i]));
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < size) {
            const auto low = static_cast<std::uint32_t>(static_cast<std::uint16_t>(text[i + 1]));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                const std::uint32_t cp = ((unit - 0xD800) << 10) + (low - 0xDC00) + 0x10000;
                out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
                out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
                out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
                out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
                ++i;
                continue;
            }
        }
        if ((unit >= 0xD800 && unit <= 0xDFFF) || isForbiddenControl(unit)) {
            appendUtf8Replacement(out);
        } else if (unit < 0x80) {
            out.push_back(static_cast<char>(unit));
        } else if (unit < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (unit >> 6)));
            out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
            out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        }
    }
    return out;
}

std::wstring toCrLf(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) {
            out += L"\r\n";
        } else {
            appendCodePoint(out, static_cast<std::uint16_t>(text[i]));
        }
    }
    return out;
}

}  // namespace pm
