#include "viewer/ViewerMatching.h"

#include <gtest/gtest.h>

namespace ferrolux {
namespace {

// Engine lines for the given 1-based line numbers, delivered in order.
MatchingLineSource linesNumbered(std::vector<int> numbers) {
    auto delivered = std::make_shared<std::vector<std::string>>();
    for (int n : numbers)
        delivered->push_back(std::to_string(n) + ":text\r\n");
    auto next = std::make_shared<size_t>(0);
    return [delivered, next]() -> std::optional<std::string_view> {
        if (*next >= delivered->size()) return std::nullopt;
        return std::string_view((*delivered)[(*next)++]);
    };
}

// Every occurrence of a literal word, as an engine would report it.
MatchSource occurrencesOf(std::string_view text, std::string word) {
    return [text, word](size_t from) -> std::optional<std::pair<size_t, size_t>> {
        const size_t pos = text.find(word, from);
        if (pos == std::string_view::npos) return std::nullopt;
        return std::pair(pos, pos + word.size());
    };
}

std::vector<int32_t> positions(const ViewerMatchTable& table) {
    return {table.positions.begin(), table.positions.begin() + table.count};
}

TEST(TextMatches, RecordLinesAndColourThemWhole) {
    const TextModeDocument doc = textModeDocument("zero\none hit\ntwo\nthree hit\n");
    ViewerMatchTable table;
    const auto ranges = fillTextMatches(doc, linesNumbered({2, 4}), 500, table);
    EXPECT_FALSE(table.binaryMode);
    EXPECT_EQ(positions(table), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(table.lineStarts[0], 5);
    EXPECT_EQ(table.lineStarts[1], 17);
    EXPECT_EQ(ranges, (std::vector<ColourRange>{{5, 7}, {17, 9}}));
}

TEST(TextMatches, StopAtMaxMatchesAndNeverOverrunTheTable) {
    const TextModeDocument doc = textModeDocument(std::string(6000, '\n'));
    std::vector<int> all(6000);
    for (int i = 0; i < 6000; ++i)
        all[size_t(i)] = i + 1;
    ViewerMatchTable table;
    EXPECT_EQ(fillTextMatches(doc, linesNumbered(all), 3, table).size(), 3u);
    EXPECT_EQ(table.count, 3);
    // A stored limit above the table's capacity is held to the capacity.
    fillTextMatches(doc, linesNumbered(all), 9000, table);
    EXPECT_EQ(table.count, ViewerMatchTable::Capacity);
    EXPECT_EQ(table.positions[ViewerMatchTable::Capacity - 1], 4999);
    fillTextMatches(doc, linesNumbered(all), -1, table);
    EXPECT_EQ(table.count, 0);
}

TEST(TextMatches, SkipLinesTheDocumentDoesNotHave) {
    const TextModeDocument doc = textModeDocument("a\nb");
    ViewerMatchTable table;
    fillTextMatches(doc, linesNumbered({2, 3, 9}), 500, table);
    EXPECT_EQ(positions(table), (std::vector<int32_t>{1}));
}

TEST(MatchTableSteps, NextAndPreviousStopAtTheEndsWithoutWrapping) {
    ViewerMatchTable table;
    table.count = 3;
    table.positions[0] = 2;
    table.positions[1] = 5;
    table.positions[2] = 9;
    table.positions[3] = 50; // stale entry past count
    EXPECT_EQ(table.nextAfter(0), 0);
    EXPECT_EQ(table.nextAfter(2), 1); // from a match to the next one
    EXPECT_EQ(table.nextAfter(6), 2);
    EXPECT_EQ(table.nextAfter(9), std::nullopt);
    EXPECT_EQ(table.previousBefore(9), 1);
    EXPECT_EQ(table.previousBefore(100), 2);
    EXPECT_EQ(table.previousBefore(2), std::nullopt);
}

TEST(BinaryMatches, ColourExactlyTheMatchedCharacters) {
    const std::string text = "xx cat yy cat";
    ViewerMatchTable table;
    const auto ranges = fillBinaryMatches(text, occurrencesOf(text, "cat"), 500, 300, table);
    EXPECT_TRUE(table.binaryMode);
    EXPECT_EQ(positions(table), (std::vector<int32_t>{3, 10}));
    EXPECT_EQ(ranges, (std::vector<ColourRange>{{3, 3}, {10, 3}}));
}

TEST(BinaryMatches, MaxMatchLenBoundsWhatIsColouredButNotTheScan) {
    const std::string text = "abcd abc abcd ab";
    const MatchSource words = [&](size_t from) -> std::optional<std::pair<size_t, size_t>> {
        size_t start = text.find_first_not_of(' ', from);
        if (start == std::string::npos) return std::nullopt;
        size_t end = text.find(' ', start);
        return std::pair(start, end == std::string::npos ? text.size() : end);
    };
    ViewerMatchTable table;
    const auto ranges = fillBinaryMatches(text, words, 500, 3, table);
    // Three characters is the limit: "abc" and "ab" are coloured, the two
    // "abcd" are neither coloured nor counted.
    EXPECT_EQ(ranges, (std::vector<ColourRange>{{5, 3}, {14, 2}}));
    EXPECT_EQ(positions(table), (std::vector<int32_t>{5, 14}));
}

TEST(BinaryMatches, StopAtMaxMatches) {
    const std::string text = "a a a a a";
    ViewerMatchTable table;
    EXPECT_EQ(fillBinaryMatches(text, occurrencesOf(text, "a"), 2, 300, table).size(), 2u);
    EXPECT_EQ(table.count, 2);
}

TEST(BinaryMatches, MatchedTextWithAQuestionMarkIsLocatedByTheWildcardComparison) {
    // The match is the literal "a?c" at 7; located again with "?" standing
    // for any character, the first place from the search start is "abc" at 3.
    const std::string text = "xx abc a?c";
    ViewerMatchTable table;
    const auto ranges = fillBinaryMatches(text, occurrencesOf(text, "a?c"), 500, 300, table);
    EXPECT_EQ(ranges, (std::vector<ColourRange>{{3, 3}}));
}

TEST(BinaryMatches, OffsetsAreThoseOfTheTextControl) {
    // Each CR LF before a match is one character in the control.
    const std::string text = "a\r\nb\r\n\r\ncat";
    ViewerMatchTable table;
    const auto ranges = fillBinaryMatches(text, occurrencesOf(text, "cat"), 500, 300, table);
    EXPECT_EQ(ranges, (std::vector<ColourRange>{{5, 3}}));
    const auto breaks = fillBinaryMatches(text, occurrencesOf(text, "\r\n"), 500, 300, table);
    EXPECT_EQ(breaks.front(), (ColourRange{1, 1}));
}

TEST(BinaryMatches, AMatchSourceThatDoesNotMoveOnEndsTheScan) {
    const std::string text = "aaaa";
    int calls = 0;
    const MatchSource stuck = [&](size_t) -> std::optional<std::pair<size_t, size_t>> {
        ++calls;
        return std::pair(size_t(0), size_t(1));
    };
    ViewerMatchTable table;
    fillBinaryMatches(text, stuck, 500, 300, table);
    EXPECT_EQ(table.count, 1);
    EXPECT_EQ(calls, 2);
}

} // namespace
} // namespace ferrolux
