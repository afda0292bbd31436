// Damaged documents: deterministic mutations of valid texts must each read or be refused with one of
// the reader's three phrases, never another exception and never a crash.
#include "services/json/json.h"
#include "tests/services/json/json_test_util.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pm {
namespace {

// Small deterministic generator (xorshift64*), identical on every platform.
class Generator {
public:
    explicit Generator(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1DULL;
    }
    std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(next() % n); }

private:
    std::uint64_t state_;
};

std::vector<std::string> seedDocuments() {
    std::string deep;
    for (int i = 0; i < 32; ++i) deep += "[";
    deep += "0";
    for (int i = 0; i < 32; ++i) deep += "]";
    return {
        R"({"ok":true,"n":123,"s":"\u0414\uD83D\uDE00","a":[null,false]})",
        R"({"close_browsers":false,"theme":"dark","palette":"emerald","language":"system","widget_enabled":true,)"
        R"("widget_opacity":100,"widget_position_saved":true,"widget_x":-1200,"widget_y":40,"skip_locked":true})",
        R"({"kind":1,"files":12,"bytes":9223372036854775807,"text":"C:\\Temp\\\"x\"\t\u00e9","detail":""})",
        R"([0,-0,0.5,-12.5e+3,1E-5,1e5,"\b\f\n\r\t\/\\",{"":{}},[[],[{}]],true,false,null])",
        " \t\r\n{ \"a\" : [ 1 , 2 ] , \"b\" : { \"c\" : \"\xC3\xA9\xFF\" } } \r\n",
        deep,
    };
}

// Bytes the mutations insert or write: the grammar's own punctuation is likelier to reach deep paths.
char mutationByte(Generator& g) {
    static const std::string interesting = "{}[]:,\"\\/ubfnrt0123456789-+.eEaAdDxX \t\r\n\f\v";
    if (g.below(3) == 0) return static_cast<char>(g.below(256));
    return interesting[g.below(interesting.size())];
}

std::string mutate(const std::string& seed, Generator& g) {
    std::string text = seed;
    const std::size_t steps = 1 + g.below(4);
    for (std::size_t step = 0; step < steps; ++step) {
        const std::size_t at = g.below(text.size() + 1);
        switch (g.below(6)) {
            case 0: text.resize(at); break;                                             // truncation
            case 1: if (at < text.size()) text[at] = mutationByte(g); break;             // byte change
            case 2: if (at < text.size()) text[at] ^= static_cast<char>(1u << g.below(8)); break;  // bit flip
            case 3: text.insert(at, 1, mutationByte(g)); break;                          // insertion
            case 4: if (at < text.size()) text.erase(at, 1 + g.below(3)); break;         // deletion
            default: {                                                                   // duplicated slice
                const std::size_t length = g.below(12);
                text.insert(at, text.substr(g.below(text.size() + 1), length));
                break;
            }
        }
    }
    return text;
}

TEST(JsonFuzzTest, MutatedDocumentsReadOrFailCleanly) {
    Generator g(0x9E3779B97F4A7C15ULL);
    const std::vector<std::string> seeds = seedDocuments();
    int read = 0;
    int refused = 0;
    for (int i = 0; i < 6000; ++i) {
        const std::string text = mutate(seeds[g.below(seeds.size())], g);
        const std::string verdict = test::readerVerdict(text);
        if (verdict.empty()) {
            ++read;
        } else {
            ++refused;
            EXPECT_TRUE(verdict == "invalid JSON" || verdict == "JSON trailing data" || verdict == "JSON too large")
                << verdict << " for " << test::printable(text);
        }
        if (HasFailure()) return;
    }
    // Both outcomes must occur, or the mutations are not exercising the reader.
    EXPECT_GT(read, 100);
    EXPECT_GT(refused, 1000);
}

TEST(JsonFuzzTest, SeedsRead) {
    for (const auto& seed : seedDocuments()) {
        EXPECT_EQ(test::readerVerdict(seed), "") << test::printable(seed);
    }
}

}  // namespace
}  // namespace pm
