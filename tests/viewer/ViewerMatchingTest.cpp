#include "viewer/ViewerMatching.h"

#include "viewer/ViewerMatchTable.h"

#include <gtest/gtest.h>
#include <memory>

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

std::vector<FoundMatch> textMatches(const MatchingLineSource& lines, int32_t maxMatches) {
    std::vector<FoundMatch> found;
    collectTextMatches(lines, maxMatches, [&](const FoundMatch& m) { found.push_back(m); });
    return found;
}

// Every occurrence of a literal word starting in [from, limit], as the
// engine's in-memory search reports it.
WindowMatchFinder occurrencesOf(std::string word) {
    return [word](std::string_view text, size_t from, size_t limit,
                  bool) -> std::optional<std::pair<size_t, size_t>> {
        const size_t pos = text.find(word, from);
        if (pos == std::string_view::npos || pos > limit) return std::nullopt;
        return std::pair(pos, pos + word.size());
    };
}

std::vector<FoundMatch> binaryMatches(const std::string& text, const WindowMatchFinder& find,
                                      int32_t maxMatches, int32_t maxMatchLen,
                                      const BinaryScanWindow& window = {}) {
    engine::MemorySource source(text);
    std::vector<FoundMatch> found;
    const int32_t count = collectBinaryMatches(
        source, find, maxMatches, maxMatchLen, [&](const FoundMatch& m) { found.push_back(m); },
        window);
    EXPECT_EQ(count, int32_t(found.size()));
    return found;
}

TEST(TextMatches, HandOnTheZeroBasedLineOfEachMatchingLine) {
    EXPECT_EQ(textMatches(linesNumbered({2, 4}), 500), (std::vector<FoundMatch>{{1, 0}, {3, 0}}));
}

TEST(TextMatches, StopAtMaxMatchesAndNeverPastTheTable) {
    std::vector<int> all(6000);
    for (int i = 0; i < 6000; ++i)
        all[size_t(i)] = i + 1;
    EXPECT_EQ(textMatches(linesNumbered(all), 3).size(), 3u);
    // A stored limit above the table's capacity is held to the capacity.
    const auto capped = textMatches(linesNumbered(all), 9000);
    ASSERT_EQ(capped.size(), size_t(ViewerMatchTable::Capacity));
    EXPECT_EQ(capped.back().position, 4999);
    EXPECT_TRUE(textMatches(linesNumbered(all), -1).empty());
}

TEST(TextMatches, SkipLinesWithoutALineNumber) {
    const std::vector<std::string> lines = {"text\r\n", "x:1\r\n", "0:zero\r\n", "7:ok\r\n"};
    size_t next = 0;
    const MatchingLineSource source = [&]() -> std::optional<std::string_view> {
        if (next >= lines.size()) return std::nullopt;
        return std::string_view(lines[next++]);
    };
    EXPECT_EQ(textMatches(source, 500), (std::vector<FoundMatch>{{6, 0}}));
}

TEST(MatchTableSteps, NextAndPreviousStopAtTheEndsWithoutWrapping) {
    ViewerMatchTable table;
    table.count = 3;
    table.positions[0] = 2;
    table.positions[1] = 5;
    table.positions[2] = int64_t(3) << 32; // past 4 GiB
    table.positions[3] = 50;               // stale entry past count
    EXPECT_EQ(table.nextAfter(0), 0);
    EXPECT_EQ(table.nextAfter(2), 1); // from a match to the next one
    EXPECT_EQ(table.nextAfter(6), 2);
    EXPECT_EQ(table.nextAfter(int64_t(3) << 32), std::nullopt);
    EXPECT_EQ(table.previousBefore(int64_t(3) << 32), 1);
    EXPECT_EQ(table.previousBefore(int64_t(4) << 32), 2);
    EXPECT_EQ(table.previousBefore(2), std::nullopt);
}

TEST(BinaryMatches, AreExactlyTheMatchedCharacters) {
    EXPECT_EQ(binaryMatches("xx cat yy cat", occurrencesOf("cat"), 500, 300),
              (std::vector<FoundMatch>{{3, 3}, {10, 3}}));
}

TEST(BinaryMatches, MaxMatchLenBoundsWhatIsColouredButNotTheScan) {
    const WindowMatchFinder words = [](std::string_view text, size_t from, size_t limit,
                                       bool) -> std::optional<std::pair<size_t, size_t>> {
        const size_t start = text.find_first_not_of(' ', from);
        if (start == std::string_view::npos || start > limit) return std::nullopt;
        const size_t end = text.find(' ', start);
        return std::pair(start, end == std::string_view::npos ? text.size() : end);
    };
    // Three characters is the limit: "abc" and "ab" are coloured, the two
    // "abcd" are neither coloured nor counted.
    EXPECT_EQ(binaryMatches("abcd abc abcd ab", words, 500, 3),
              (std::vector<FoundMatch>{{5, 3}, {14, 2}}));
}

TEST(BinaryMatches, StopAtMaxMatches) {
    EXPECT_EQ(binaryMatches("a a a a a", occurrencesOf("a"), 2, 300).size(), 2u);
}

TEST(BinaryMatches, MatchedTextWithAQuestionMarkIsLocatedByTheWildcardComparison) {
    // The match is the literal "a?c" at 7; located again with "?" standing
    // for any character, the first place from the search start is "abc" at 3.
    EXPECT_EQ(binaryMatches("xx abc a?c", occurrencesOf("a?c"), 500, 300),
              (std::vector<FoundMatch>{{3, 3}}));
}

TEST(BinaryMatches, AFinderThatDoesNotMoveOnEndsTheScan) {
    int calls = 0;
    const WindowMatchFinder stuck = [&](std::string_view, size_t, size_t,
                                        bool) -> std::optional<std::pair<size_t, size_t>> {
        ++calls;
        return std::pair(size_t(0), size_t(1));
    };
    EXPECT_EQ(binaryMatches("aaaa", stuck, 500, 300).size(), 1u);
    EXPECT_EQ(calls, 2);
    // An empty match found again where it was found is stepped over.
    int empties = 0;
    const WindowMatchFinder empty = [&](std::string_view text, size_t from, size_t,
                                        bool) -> std::optional<std::pair<size_t, size_t>> {
        if (from >= text.size() || ++empties > 100) return std::nullopt;
        return std::pair(from, from);
    };
    EXPECT_EQ(binaryMatches("abc", empty, 500, 300).size(), 3u);
}

TEST(BinaryMatches, WindowByWindowTheyAreThoseFoundInOneGo) {
    std::string text;
    for (int i = 0; i < 4000; ++i)
        text += i % 13 == 0 ? "key " : "filler ";
    const BinaryScanWindow small{1024, 64, 32};
    const auto inOneGo = binaryMatches(text, occurrencesOf("key"), 5000, 300);
    ASSERT_GT(inOneGo.size(), 200u);
    EXPECT_EQ(binaryMatches(text, occurrencesOf("key"), 5000, 300, small), inOneGo);
}

TEST(BinaryMatches, AMatchRunningPastTheWindowIsNotColoured) {
    // 200 "x" from offset 10: longer than the lookahead, so it may go on
    // past what the window holds; the scan goes on after it.
    const std::string text = std::string(10, '.') + std::string(200, 'x') + "..key";
    const WindowMatchFinder runs = [](std::string_view t, size_t from, size_t limit,
                                      bool) -> std::optional<std::pair<size_t, size_t>> {
        const size_t start = t.find_first_of("xk", from);
        if (start == std::string_view::npos || start > limit) return std::nullopt;
        size_t end = start + 1;
        while (end < t.size() && t[end] == t[start])
            ++end;
        return std::pair(start, t[start] == 'k' ? start + 3 : end);
    };
    const BinaryScanWindow small{128, 32, 16};
    EXPECT_EQ(binaryMatches(text, runs, 500, 2000, small), (std::vector<FoundMatch>{{212, 3}}));
}

} // namespace
} // namespace ferrolux
