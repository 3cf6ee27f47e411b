// Whole words and the word boundaries \< and \> beside non-ASCII text: word
// characters are letters, digits and combining marks (and '_'), read as
// UTF-8 where the bytes are valid UTF-8 and as Windows-1252 where not.
#include "EngineProbes.h"
#include "TempDir.h"
#include "search/GrepEngine.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ferrolux {
namespace {

using test::Matches;

Matches inMemory(const std::string& pattern, const std::string& text) {
    return test::matchesOf(pattern, text);
}

int linesMatching(const std::string& pattern, const std::string& text) {
    test::TempDir dir;
    GrepEngine engine;
    return test::countLines(engine, dir.write("t.txt", text), pattern);
}

// "int" as a whole word, with `before` and `after` around it.
struct Neighbours {
    const char* name;
    std::string before;
    std::string after;
    bool word; // whether "int" is a whole word there
};

const std::vector<Neighbours>& neighbours() {
    static const std::vector<Neighbours> rows = {
        {"guillemets", "\xC2\xAB", "\xC2\xBB", true},
        {"curly apostrophe", "l\xE2\x80\x99", "\xE2\x80\x99s", true},
        {"curly quotes", "\xE2\x80\x9C", "\xE2\x80\x9D", true},
        {"no-break spaces", "\xC2\xA0", "\xC2\xA0", true},
        {"em dashes", "\xE2\x80\x94", "\xE2\x80\x94", true},
        {"CJK punctuation", "\xE3\x80\x8C", "\xE3\x80\x82", true},
        {"Windows-1252 quotes", "\x93", "\x94", true},
        {"Windows-1252 guillemets", "\xAB", "\xBB", true},
        {"Windows-1252 no-break space", "\xA0", "\xA0", true},
        {"accented letters", "\xC3\xA9", "\xC3\xA9", false},
        {"Windows-1252 accented letters", "\xE9", "\xE8", false},
        {"CJK ideographs", "\xE4\xB8\xAD", "\xE6\x96\x87", false},
        {"a combining mark after", " ", "\xCC\x81", false},
        {"Arabic-Indic digits", "\xD9\xA3", "\xD9\xA4", false},
        {"Windows-1252 superscript two", "\xB2", " ", false},
    };
    return rows;
}

TEST(WordCharacters, WholeWordsBesideNonAsciiCharacters) {
    for (const Neighbours& n : neighbours()) {
        SCOPED_TRACE(n.name);
        const std::string text = "x " + n.before + "int" + n.after + " y";
        const size_t start = 2 + n.before.size();
        const Matches expected = n.word ? Matches{{start, start + 3}} : Matches{};
        EXPECT_EQ(inMemory("\\<int\\>", text), expected);
        EXPECT_EQ(linesMatching("\\<int\\>", text + "\n"), n.word ? 1 : 0);
        // The same through a pattern that is not a plain literal.
        EXPECT_EQ(inMemory("\\<i[nN]t\\>", text), expected);
        EXPECT_EQ(linesMatching("\\<[a-z]+\\>&\\<int\\>", "x" + n.before + "int" + n.after + "\n"),
                  n.word ? 1 : 0);
    }
}

TEST(WordCharacters, BoundariesInsideAPatternSeeWholeCharacters) {
    // The character before a match is read whole: the last byte of "é"
    // (0xA9) is not a lone Windows-1252 character.
    EXPECT_EQ(inMemory("\\<n", "\xC3\xA9n \xC2\xA9n"), (Matches{{6, 7}}));
    EXPECT_EQ(inMemory("n\\>", "n\xC3\xA9 n\xE2\x80\x94"), (Matches{{4, 5}}));
    // A class that takes any character stops before punctuation.
    EXPECT_EQ(inMemory("\\<[^ ]+\\>", "\xC2\xABint\xC2\xBB"), (Matches{{2, 5}}));
    EXPECT_EQ(inMemory("\\<.", "\xC2\xAB\xC3\xA9"), (Matches{{2, 4}}));
    // Bytes that are not UTF-8 are Windows-1252 characters: 0xC2 alone is a
    // letter, 0xAB alone a guillemet.
    EXPECT_EQ(inMemory("\\<a", "\xC2"
                               "a \xAB"
                               "a"),
              (Matches{{4, 5}}));
}

} // namespace
} // namespace ferrolux
