// The literal prefilter against a plain search: every start and end of many
// random texts, for one to four literals, with letters of either case.
#include "engine/LiteralPrefilter.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace ferrolux::engine {
namespace {

RequiredLiteral literalOf(const std::string& bytes, bool folded) {
    RequiredLiteral literal;
    for (char c : bytes) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        literal.bytes += folded && letter ? static_cast<char>(c | 0x20) : c;
        literal.folded.push_back(folded && letter);
    }
    return literal;
}

bool occursAt(const std::string& text, size_t at, const RequiredLiteral& literal) {
    if (at + literal.bytes.size() > text.size()) return false;
    for (size_t i = 0; i < literal.bytes.size(); ++i) {
        const char c = literal.folded[i] ? static_cast<char>(text[at + i] | 0x20) : text[at + i];
        if (c != literal.bytes[i]) return false;
    }
    return true;
}

size_t plainFind(const std::string& text, size_t from, size_t end,
                 const std::vector<RequiredLiteral>& literals) {
    for (size_t at = from; at < end; ++at)
        for (const RequiredLiteral& literal : literals)
            if (at + literal.bytes.size() <= end && occursAt(text, at, literal)) return at;
    return LiteralPrefilter::npos;
}

TEST(LiteralPrefilter, FindsWhatAPlainSearchFinds) {
    std::mt19937 random(7);
    const std::string alphabet = "abAB xZ\n\xC3\xA9";
    for (int round = 0; round < 400; ++round) {
        const bool folded = round % 3 == 0;
        std::vector<RequiredLiteral> literals;
        const size_t count = 1 + random() % 4;
        for (size_t i = 0; i < count; ++i) {
            std::string bytes(1 + random() % 5, ' ');
            for (char& c : bytes)
                c = alphabet[random() % alphabet.size()];
            literals.push_back(literalOf(bytes, folded));
        }
        std::string text(random() % 300, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        const auto filter = LiteralPrefilter::build(literals);
        ASSERT_TRUE(filter);
        for (size_t from = 0; from <= text.size(); from += 1 + random() % 7) {
            for (size_t end = from; end <= text.size(); end += 1 + random() % 40) {
                ASSERT_EQ(filter->find(text.data(), from, end),
                          plainFind(text, from, end, literals))
                    << "round " << round << " from " << from << " end " << end;
            }
        }
    }
}

// A rare byte that is not rare in this text (as in binary data): many false
// hits close together, and a literal right after any of them.
TEST(LiteralPrefilter, DenseFalseHitsOfTheRareByteLoseNoStart) {
    const std::vector<RequiredLiteral> literals = {literalOf("Zq", false)};
    const auto filter = LiteralPrefilter::build(literals);
    ASSERT_TRUE(filter);
    for (size_t falseHits = 0; falseHits < 40; ++falseHits) {
        std::string text;
        for (size_t i = 0; i < falseHits; ++i)
            text += "Zx";
        text += "ZZq"; // one more false hit, then the literal
        text += std::string(100, '.');
        EXPECT_EQ(filter->find(text.data(), 0, text.size()), 2 * falseHits + 1) << falseHits;
    }
}

} // namespace
} // namespace ferrolux::engine
