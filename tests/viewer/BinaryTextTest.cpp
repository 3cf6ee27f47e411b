#include "viewer/BinaryText.h"

#include "viewer/ViewerDocument.h"

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

TEST(ControlOffsets, GiveLongRowsABreakOfTheirOwn) {
    const size_t row = size_t(MaxRowCharacters);
    // One run of 2.5 rows, a line break, then a run of exactly one row.
    const std::string shown = std::string(2 * row + row / 2, 'a') + "\r\n" + std::string(row, 'b');
    const ControlOffsets offsets(shown);
    const QString control = offsets.controlText(shown);
    EXPECT_EQ(control.size(), qsizetype(shown.size() + 2));
    EXPECT_EQ(control.at(qsizetype(row)), QLatin1Char('\n'));
    EXPECT_EQ(control.at(qsizetype(2 * row + 1)), QLatin1Char('\n'));
    EXPECT_EQ(offsets.at(row - 1), int32_t(row - 1));
    EXPECT_EQ(offsets.at(row), int32_t(row + 1)); // first character of the second row
    const size_t b = 2 * row + row / 2 + 2;       // first "b", after the CR LF
    // Two breaks of our own before it; the control takes the CR LF as one.
    EXPECT_EQ(offsets.at(b), int32_t(b + 2 - 1));
    EXPECT_EQ(control.mid(qsizetype(b + 2), 3), QStringLiteral("bbb"));
    EXPECT_EQ(control.count(QLatin1Char('\n')), 3); // no break of our own after the last run
}

} // namespace
} // namespace ferrolux
