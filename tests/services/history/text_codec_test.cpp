// The history codecs: U+FFFD exactly where the input is bad or a forbidden control, and an exact
// round trip for everything well-formed.
#include "services/history/text_codec.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace pm {
namespace {

std::string hex(const std::string& bytes) {
    std::string out;
    char digits[4];
    for (const char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02X ", static_cast<unsigned char>(c));
        out += digits;
    }
    return out;
}

std::string hexUnits(const std::wstring& text) {
    std::string out;
    char digits[6];
    for (const wchar_t c : text) {
        std::snprintf(digits, sizeof digits, "%04X ", static_cast<unsigned>(static_cast<std::uint16_t>(c)));
        out += digits;
    }
    return out;
}

TEST(Utf8ToWideSanitized, BadBytesBecomeOneReplacementEach) {
    const struct {
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"\xC3\x28", L"\xFFFD("},
        {"\xE2\x82", L"\xFFFD\xFFFD"},                      // cut at the end
        {"\xE2\x82x", L"\xFFFD\xFFFDx"},                    // cut before a plain byte
        {"\xED\xA0\x80", L"\xFFFD\xFFFD\xFFFD"},            // a surrogate in UTF-8
        {"\xC0\x80", L"\xFFFD\xFFFD"},                      // overlong NUL
        {"\xE0\x80\xAF", L"\xFFFD\xFFFD\xFFFD"},            // overlong '/'
        {"\xF0\x8F\xBF\xBF", L"\xFFFD\xFFFD\xFFFD\xFFFD"},  // overlong U+FFFF
        {"\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"},  // above U+10FFFF
        {"\xF5\x80", L"\xFFFD\xFFFD"},
        {"\x80\xBFz", L"\xFFFD\xFFFDz"},                    // stray continuation bytes
        {"\xFF", L"\xFFFD"},
        {std::string("a\0b", 3), L"a\xFFFD" L"b"},
        {"\x7F\x01\x1F", L"\xFFFD\xFFFD\xFFFD"},
        {"\t\n\r", L"\t\n\r"},
        {"\xC2\x85", L"\x0085"},                            // C1 controls are kept
        {"\xF0\x9F\x98\x80", L"\xD83D\xDE00"},
        {"\xF4\x8F\xBF\xBF", L"\xDBFF\xDFFF"},              // U+10FFFF
        {"\xEF\xBB\xBF", L"\xFEFF"},
        {"\xD0\x94\xE2\x82\xAC", L"\x0414\x20AC"},
        {"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(hexUnits(utf8ToWideSanitized(c.bytes)), hexUnits(c.text)) << hex(c.bytes);
}

TEST(EncodeUtf8, SurrogatesAndControls) {
    const struct {
        std::wstring text;
        std::string bytes;
    } cases[] = {
        {L"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
        {L"\xD83D", "\xEF\xBF\xBD"},
        {L"\xD83Dx", "\xEF\xBF\xBDx"},
        {L"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {L"\x0085", "\xC2\x85"},
        {std::wstring(1, L'\0'), "\xEF\xBF\xBD"},
        {L"\x7F\x0B", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {L"\t\n\r ~", "\t\n\r ~"},
        {L"\x07FF\x0800\xFFFF", "\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
        {L"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(hex(encodeUtf8(c.text)), hex(c.bytes)) << hexUnits(c.text);
}

TEST(ToCrLf, OnlyBareLineFeedsChange) {
    const struct {
        std::wstring in;
        std::wstring out;
    } cases[] = {
        {L"a\nb", L"a\r\nb"},
        {L"a\r\nb", L"a\r\nb"},
        {L"\n\n", L"\r\n\r\n"},
        {L"\r", L"\r"},
        {L"\r\r\n", L"\r\r\n"},
        {L"\x0B", L"\xFFFD"},
        {L"\xD800", L"\xD800"},  // a lone surrogate passes through
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(hexUnits(toCrLf(c.in)), hexUnits(c.out)) << hexUnits(c.in);
}

// Random code points, mostly from the ranges where the encodings change length.
std::uint32_t randomCodePoint(std::mt19937& random) {
    static const std::uint32_t edges[][2] = {
        {0x09, 0x0A}, {0x0D, 0x0D}, {0x20, 0x7E}, {0x80, 0x7FF}, {0x800, 0xD7FF}, {0xE000, 0xFFFF}, {0x10000, 0x10FFFF},
    };
    const auto& range = edges[random() % 7];
    return range[0] + random() % (range[1] - range[0] + 1);
}

TEST(TextCodecs, WellFormedTextSurvivesTheRoundTripExactly) {
    std::mt19937 random(20261209);
    for (int i = 0; i < 3000; ++i) {
        std::wstring text;
        const int length = static_cast<int>(random() % 24);
        for (int k = 0; k < length; ++k) appendCodePoint(text, randomCodePoint(random));
        const std::string bytes = encodeUtf8(text);
        ASSERT_EQ(hexUnits(utf8ToWideSanitized(bytes)), hexUnits(text));
        ASSERT_EQ(encodeUtf8(utf8ToWideSanitized(bytes)), bytes) << hex(bytes);
    }
}

// The system's strict decoder is the independent judge of well-formed UTF-8 here.
bool strictlyWellFormed(const std::string& bytes) {
    if (bytes.empty()) return true;
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0) ==
        0) {
        return false;
    }
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r') || b == 0x7F) return false;
    }
    return true;
}

TEST(TextCodecs, RandomBytesRoundTripOnlyWhenWellFormed) {
    std::mt19937 random(7);
    const unsigned char pool[] = {0x00, 0x09, 0x0A, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2,
                                  0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
    int wellFormed = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string bytes;
        const int length = 1 + static_cast<int>(random() % 6);
        for (int k = 0; k < length; ++k) bytes.push_back(static_cast<char>(pool[random() % sizeof pool]));
        const bool expected = strictlyWellFormed(bytes);
        wellFormed += expected;
        ASSERT_EQ(encodeUtf8(utf8ToWideSanitized(bytes)) == bytes, expected) << hex(bytes);
    }
    EXPECT_GT(wellFormed, 100);
}

}  // namespace
}  // namespace pm
