// The meaning of each operator through the in-memory interface, including
// UTF-8 characters, case folding and rejected patterns.
#include "EngineProbes.h"
#include "search/GrepEngine.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ferrolux {
namespace {

using test::Matches;
using test::matchesOf;

struct Row {
    std::string pattern;
    std::string text;
    bool caseSensitive;
    Matches expected;
};

TEST(PatternSemantics, Utf8CharactersAndCaseFolding) {
    const std::vector<Row> rows = {
        {"été", "un ÉTÉ chaud", false, {{3, 8}}},
        {"été", "un ÉTÉ chaud", true, {}},
        {"ÉTÉ", "l'été", false, {{2, 7}}},
        {"été|étage|x", "un étage", true, {{3, 9}}}, // alternatives with a common lead byte
        {"ét|é", "éé", true, {{0, 2}, {2, 4}}},
        {"straße", "STRASSE Straße", false, {{8, 15}}},
        {".", "é", true, {{0, 2}}},    // a UTF-8 character is taken whole
        {".", "\xE9", true, {{0, 1}}}, // a Latin-1 byte on its own
        {"a.b", "a€b", true, {{0, 5}}},
        {"é+", "ÉÉéx", false, {{0, 6}}}, // the quantifier repeats the whole character
        {"é-x", "x", true, {{0, 1}}},
        {"[à-ü]", "aéz", true, {{1, 3}}},
        {"[à-ü]+", "ÀÉ", false, {{0, 4}}},
        {"[^é]", "é", true, {}}, // never a byte inside the excluded character
        {"[^é]", "éx", true, {{2, 3}}},
        {"[^a]", "é", true, {{0, 2}}}, // other characters are matched whole
        {"[^a]", "\r\n", true, {}},    // nor CR or LF
        {"[€]", "5€", true, {{1, 4}}},
        {"\\<été\\>", "un été, bété", true, {{3, 8}}},
        {"\\<int\\>", "print int_x int", true, {{12, 15}}},
        {"\\<x", "éx x", true, {{4, 5}}}, // non-ASCII letters are word characters
    };
    for (const Row& row : rows)
        EXPECT_EQ(matchesOf(row.pattern, row.text, row.caseSensitive), row.expected)
            << row.pattern << " in " << row.text;
}

TEST(PatternSemantics, LoopsStepOverEmptyMatches) {
    EXPECT_EQ(matchesOf("x*", "ab"), (Matches{{0, 0}, {1, 1}, {2, 2}}));
    EXPECT_EQ(matchesOf("x*", "éa"), (Matches{{0, 0}, {2, 2}, {3, 3}}));
    EXPECT_EQ(matchesOf("a*", "baa"), (Matches{{0, 0}, {1, 3}, {3, 3}}));
    EXPECT_EQ(matchesOf("\\<", "ab cd"), (Matches{{0, 0}, {3, 3}}));
}

TEST(PatternSemantics, AndReportsTheFirstConjunctOnALineHoldingTheOthers) {
    EXPECT_EQ(matchesOf("a&b", "a\nb a b"), (Matches{{4, 5}}));
    EXPECT_EQ(matchesOf("a&b", "a\rb"), (Matches{})); // CR ends a line too
    EXPECT_EQ(matchesOf("x|a&b|c", "a b a\nc"), (Matches{{0, 1}, {4, 5}}));
    EXPECT_EQ(matchesOf("a&b&c", "abc ab"), (Matches{{0, 1}, {4, 5}}));
    EXPECT_EQ(matchesOf("a&c", "a a\ra c a"), (Matches{{4, 5}, {8, 9}})); // one line, checked once
}

TEST(PatternSemantics, LineEndsInMemory) {
    EXPECT_EQ(matchesOf("c$", "abc\r\nc"), (Matches{{2, 4}, {5, 6}}));
    EXPECT_EQ(matchesOf("abc\\r\\n", "abc\nabc\r\nabcd"), (Matches{{0, 3}, {4, 8}}));
    EXPECT_EQ(matchesOf("c\\r\\n\\>", "abc\r\n"), (Matches{{2, 4}}));
    EXPECT_EQ(matchesOf("b\\nc", "ab\ncd"), (Matches{{1, 4}}));      // LF spelled in the middle
    EXPECT_EQ(matchesOf("b\\r\\nc", "ab\r\ncd"), (Matches{{1, 5}})); // CR LF not at the end
    EXPECT_EQ(matchesOf("^b", "ab\nb\rb"), (Matches{{3, 4}}));       // lines start after LF only
}

TEST(PatternSemantics, LiteralMeaningsOfOperatorCharacters) {
    EXPECT_EQ(matchesOf("*a", "x*a"), (Matches{{1, 3}})); // nothing to repeat
    EXPECT_EQ(matchesOf("-1", "x-1"), (Matches{{1, 3}}));
    EXPECT_EQ(matchesOf("a+*", "aa*"), (Matches{{0, 3}})); // after another quantifier
    EXPECT_EQ(matchesOf("\\.\\*\\[", "a.*["), (Matches{{1, 4}}));
    EXPECT_EQ(matchesOf("\\t", "t\t"), (Matches{{0, 1}})); // \c is c itself
    EXPECT_EQ(matchesOf("[]a]", "]"), (Matches{{0, 1}}));  // ] first in a class
    EXPECT_EQ(matchesOf("[a-]", "-"), (Matches{{0, 1}}));
    EXPECT_EQ(matchesOf("[\\]x]", "]"), (Matches{{0, 1}}));
    EXPECT_EQ(matchesOf("C:\\temp", "C:temp"), (Matches{{0, 6}}));
}

TEST(PatternSemantics, RejectedPatternsSayWhy) {
    std::vector<std::pair<std::string, std::string>> rows = {
        {"[abc", "Missing ] at the end of a character class"},
        {"[]", "Missing ] at the end of a character class"},
        {"[a\\", "Missing ] at the end of a character class"},
        {"abc\\", "The pattern ends with a \\ that quotes nothing"},
        {"[z-a]", "Invalid range z-a in a character class"},
        {"a|", "Nothing to match on one side of |"},
        {"|a", "Nothing to match on one side of |"},
        {"a||b", "Nothing to match on one side of |"},
        {"a&", "Nothing to match on one side of &"},
        {"&a", "Nothing to match on one side of &"},
        {"", "The pattern is empty"},
    };
    GrepEngine engine;
    for (const auto& [pattern, reason] : rows) {
        RGrepState state;
        EXPECT_NE(engine.CompileRGrep(pattern, GrepFalse, state), 0) << pattern;
        EXPECT_EQ(state.error, reason) << pattern;
        EXPECT_NE(engine.SCompileRGrep(pattern, GrepFalse), 0) << pattern;
        EXPECT_EQ(engine.lastError(), reason) << pattern;
        EXPECT_EQ(engine.RGrep("abc", nullptr, state), 0);
    }
}

TEST(PatternSemantics, SearchStartsAtFromWithTheTextBeforeAsContext) {
    GrepEngine engine;
    RGrepState state;
    ASSERT_EQ(engine.CompileRGrep("\\<b", GrepTrue, state), 0);
    const std::string text = "ab b";
    EXPECT_EQ(engine.RGrep(text, text.data() + 1, state), 1);
    EXPECT_EQ(state.matchStart, text.data() + 3); // "b" at 1 follows a word character
    ASSERT_EQ(engine.CompileRGrep("^b", GrepTrue, state), 0);
    EXPECT_EQ(engine.RGrep(text, text.data() + 1, state), 0);
    EXPECT_EQ(engine.RGrep(text, text.data() + 1, text.data() + 2, state), 0);
    ASSERT_EQ(engine.CompileRGrep("b", GrepTrue, state), 0);
    EXPECT_EQ(engine.RGrep(text, text.data() + 2, text.data() + 2, state), 0); // past the limit
}

} // namespace
} // namespace ferrolux
