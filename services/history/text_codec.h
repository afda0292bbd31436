// Conversions between the UTF-16 texts shown and the UTF-8 bytes of the history log. They never fail:
// whatever is invalid, and every control character but TAB, LF and CR (and DEL), becomes U+FFFD.
#pragma once

#include <cstdint>
#include <string>

namespace pm {

// Appends one code point (0..0x10FFFF): a forbidden control as U+FFFD, above U+FFFF as a surrogate pair,
// anything else (lone surrogate values included) as one unit.
void appendCodePoint(std::wstring& out, std::uint32_t codePoint);

// UTF-8 to UTF-16; each byte that starts no valid sequence gives one U+FFFD.
std::wstring utf8ToWideSanitized(const std::string& bytes);

// UTF-16 to UTF-8; a lone surrogate or a forbidden control gives U+FFFD.
std::string encodeUtf8(const std::wstring& text);

// The text with every LF not preceded by CR made CR LF, and forbidden controls as U+FFFD.
std::wstring toCrLf(const std::wstring& text);

}  // namespace pm
