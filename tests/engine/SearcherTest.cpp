// The typed engine: numbered lines, counts, stopping early and cancelling.
#include "engine/Searcher.h"

#include <gtest/gtest.h>

namespace ferrolux::engine {
namespace {

std::unique_ptr<ByteSource> text(std::string bytes) {
    return std::make_unique<MemorySource>(std::move(bytes));
}

PatternHandle lines(std::string_view pattern) {
    std::string error;
    auto compiled = compileForLines(pattern, true, error);
    EXPECT_TRUE(compiled) << error;
    return compiled;
}

TEST(Searcher, VisitsMatchingLinesWithNumbersAndText) {
    Searcher searcher;
    std::vector<std::pair<int64_t, std::string>> seen;
    const bool whole = searcher.forEachLine(lines("o"), text("one\r\ntwo\nthree\nfour"), nullptr,
                                            [&](const LineMatch& line) {
                                                seen.emplace_back(line.number, line.text);
                                                return true;
                                            });
    EXPECT_TRUE(whole);
    EXPECT_EQ(seen,
              (std::vector<std::pair<int64_t, std::string>>{{1, "one"}, {2, "two"}, {4, "four"}}));
}

TEST(Searcher, AVisitorThatSaysStopEndsTheSearchNotWhole) {
    Searcher searcher;
    int visits = 0;
    EXPECT_FALSE(searcher.forEachLine(lines("a"), text("a\na\na\n"), nullptr,
                                      [&](const LineMatch&) { return ++visits < 2; }));
    EXPECT_EQ(visits, 2);
}

TEST(Searcher, CountsLinesAndReportsACancelledCountAsNothing) {
    Searcher searcher;
    EXPECT_EQ(searcher.countLines(lines("b"), text("ab\nb b\nc\n"), nullptr), 2);
    const std::atomic<bool> cancel{true};
    EXPECT_EQ(searcher.countLines(lines("b"), text("ab\nb b\nc\n"), &cancel), std::nullopt);
}

TEST(Searcher, FindsSpansInMemoryAndRefusesBadPatterns) {
    std::string error;
    const auto pattern = compileForMemory("b+", true, error);
    ASSERT_TRUE(pattern);
    const auto span = Searcher::findIn(*pattern, "aabbbc", 0, 6);
    ASSERT_TRUE(span);
    EXPECT_EQ(span->start, 2u);
    EXPECT_EQ(span->end, 5u);
    EXPECT_FALSE(compileForMemory("[a", true, error));
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace ferrolux::engine
