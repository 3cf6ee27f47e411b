// Patterns that could exhaust the machine: each compiles within a fixed
// memory budget or is refused with the real reason.
#include "search/GrepEngine.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>

namespace ferrolux {
namespace {

std::string repeated(const std::string& piece, int times, const std::string& separator = "") {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += (i ? separator : "") + piece;
    return out;
}

// w00000|w00001|... : no alternative is the start of another.
std::string alternatives(int count) {
    std::string out;
    char word[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(word, sizeof word, "%sw%05d", i ? "|" : "", i);
        out += word;
    }
    return out;
}

// The most memory the process has held at once, in KiB.
long peakKiB() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int firstMatchEnd(const std::string& pattern, int caseFlag, const std::string& text) {
    GrepEngine engine;
    RGrepState state;
    EXPECT_EQ(engine.CompileRGrep(pattern, caseFlag, state), 0) << state.error;
    if (!engine.RGrep(text, text.data(), state)) return -1;
    return static_cast<int>(state.matchEnd - text.data());
}

TEST(PatternLimits, WideClassesRepeatedCompileSmall) {
    // A class of all of Unicode (U+0001 to U+10FFFF), 200 times: 1.6 KB.
    const std::string pattern = repeated("[\x01-\xF4\x8F\xBF\xBF]", 200);
    const long peakBefore = peakKiB();
    GrepEngine engine;
    RGrepState state;
    ASSERT_EQ(engine.CompileRGrep(pattern, GrepFalse, state), 0) << state.error;
    EXPECT_LT(peakKiB() - peakBefore, 256 * 1024) << "KiB more at the peak";
    const std::string text = repeated("x", 1) + repeated("\xC3\xA9", 100) + repeated("a", 100);
    ASSERT_EQ(engine.RGrep(text, text.data(), state), 1);
    EXPECT_EQ(state.matchStart, text.data());
    EXPECT_EQ(state.matchEnd - text.data(), 1 + 200 + 99); // 200 characters
}

TEST(PatternLimits, ATranslationTooLargeIsRefusedAsTooLarge) {
    GrepEngine engine;
    RGrepState state;
    EXPECT_NE(engine.CompileRGrep(repeated("[^a]", 6000), GrepFalse, state), 0);
    EXPECT_EQ(state.error, "The pattern is too large");
    EXPECT_NE(engine.SCompileRGrep(repeated("x", 600000), GrepTrue), 0);
    EXPECT_EQ(engine.lastError(), "The pattern is too large");
}

TEST(PatternLimits, ManyAlternativesNeedNoWordBoundaries) {
    const std::string many = alternatives(10000);
    EXPECT_EQ(firstMatchEnd(many, GrepTrue, "a w09999 b"), 8);
    GrepEngine engine;
    RGrepState state;
    EXPECT_NE(engine.CompileRGrep("\\<" + many + "\\>", GrepTrue, state), 0);
    EXPECT_EQ(state.error, "The pattern is too complex around \\< or \\>");
}

TEST(PatternLimits, StarredItemsBetweenWordBoundariesAreMatchedExactly) {
    std::string items;
    for (char c = 'a'; c <= 'z'; ++c)
        items += std::string(1, c) + "*";
    const std::string pattern = "\\<" + items + "\\>";
    // One long word in order, then one with a letter out of order.
    const std::string inOrder = "abcdefghijklmnopqrstuvwxyz";
    EXPECT_EQ(firstMatchEnd(pattern, GrepTrue, repeated("a", 50000) + inOrder + " "), 50000 + 26);
    EXPECT_EQ(firstMatchEnd(pattern, GrepTrue, repeated("ab", 50000) + " "), -1);
    GrepEngine engine;
    engine.SCompileRGrep(pattern, GrepTrue);
    EXPECT_TRUE(engine.lastError().empty()) << engine.lastError();
    // So many optional items that the matcher walks its program rather than
    // keep the lists of what each step reaches.
    const std::string optional = "\\<" + repeated("a-", 800) + "\\>";
    EXPECT_EQ(firstMatchEnd(optional, GrepTrue, repeated("a", 900)), -1);
    EXPECT_EQ(firstMatchEnd(optional, GrepTrue, "b " + repeated("a", 500) + " "), 502);
}

} // namespace
} // namespace ferrolux
