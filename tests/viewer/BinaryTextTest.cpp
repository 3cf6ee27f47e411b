#include "viewer/BinaryText.h"

#include <gtest/gtest.h>

namespace ferrolux {
namespace {

std::string allBytes() {
    std::string bytes;
    for (int c = 0; c < 256; ++c)
        bytes += char(c);
    return bytes;
}

TEST(ViewerStripSet, HoldsTheControlCodesThen127To255InOrder) {
    std::string expected;
    for (int c = 0; c < 32; ++c)
        if (c != 9 && c != 10 && c != 12 && c != 13) expected += char(c);
    for (int c = 127; c < 256; ++c)
        expected += char(c);
    EXPECT_EQ(ViewerStripSet().size(), 157u);
    EXPECT_EQ(ViewerStripSet(), expected);
}

TEST(BinaryShownText, KeepsOnlyTabLineBreaksFormFeedAndPrintableAscii) {
    std::string expected = "\t\n\f\r";
    for (int c = 32; c < 127; ++c)
        expected += char(c);
    EXPECT_EQ(binaryShownText(allBytes()), expected);
}

TEST(BinaryShownText, WordPerfectHeaderGivesBlanksAndLineBreaks) {
    const std::string bytes = std::string("\xFFWPC") + "a\x80"
                                                       "b\xCF"
                                                       "c\xCC\xCC"
                                                       "d\xCC\xCC\xCC"
                                                       "e\xE9";
    // 80 and CF become blanks, each CC CC pair a line break, a lone CC and
    // the other high bytes disappear.
    EXPECT_EQ(binaryShownText(bytes), "WPCa b c\r\nd\r\ne");
}

TEST(BinaryShownText, WordPerfectPairsAreTakenFromTheStart) {
    EXPECT_EQ(binaryShownText(std::string("\xFFWPC\xCC\xCC\xCC\xCC\xCC")), "WPC\r\n\r\n");
}

TEST(BinaryShownText, D0CFHeaderGivesEveryCarriageReturnALineFeed) {
    const std::string bytes = std::string("\xD0\xCF") + "a\rb\r\nc";
    EXPECT_EQ(binaryShownText(bytes), "a\r\nb\r\n\nc");
}

TEST(BinaryShownText, WithoutAHeaderNothingIsConverted) {
    EXPECT_EQ(binaryShownText(std::string("x\x80y\xCC\xCCz\r")), "xyz\r");
    EXPECT_EQ(binaryShownText(std::string("\xFFWP\xCC\xCC")), "WP");
    EXPECT_EQ(binaryShownText(""), "");
}

TEST(FindWithWildcards, QuestionMarkStandsForAnyCharacter) {
    const std::string text = "xx abc a?c";
    EXPECT_EQ(findWithWildcards(text, "a?c", 0), 3u);
    EXPECT_EQ(findWithWildcards(text, "a?c", 4), 7u);
    EXPECT_EQ(findWithWildcards(text, "abc", 0), 3u);
    EXPECT_EQ(findWithWildcards(text, "ABC", 0), std::nullopt); // case-sensitive
    EXPECT_EQ(findWithWildcards(text, "a?c", 8), std::nullopt);
    EXPECT_EQ(findWithWildcards(text, "c", 11), std::nullopt);
    EXPECT_EQ(findWithWildcards(text, "", 10), 10u);
}

TEST(ControlOffsets, CountACarriageReturnLineFeedPairAsOneCharacter) {
    const ControlOffsets offsets("ab\r\ncd\r\n\r\nx\ry");
    EXPECT_EQ(offsets.at(0), 0);
    EXPECT_EQ(offsets.at(2), 2);  // the CR: the line break itself
    EXPECT_EQ(offsets.at(3), 2);  // the LF of the same pair
    EXPECT_EQ(offsets.at(4), 3);  // "c"
    EXPECT_EQ(offsets.at(10), 7); // "x", after three pairs
    EXPECT_EQ(offsets.at(12), 9); // a lone CR counts as one
}

} // namespace
} // namespace ferrolux
