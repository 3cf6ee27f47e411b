// The typed engine: numbered lines, counts, stopping early and cancelling.
#include "engine/Searcher.h"

#include <cstring>
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

// A head read by the caller is searched in place and the rest read after it:
// the same count wherever the head ends, for lines of every length.
TEST(Searcher, CountsAHeadInPlaceThenTheRest) {
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += std::string(size_t(i % 37), i % 3 ? 'x' : 'b') + (i % 5 ? "\n" : "\r\n");
    bytes += std::string(5000, 'b'); // a last line longer than the buffer, without LF
    GrepLimits limits;
    limits.chunkSize = 64;
    limits.maxLineBuffer = 256;
    limits.longLineOverlap = 16;
    Searcher searcher(limits);
    for (const char* pattern : {"b", "^x", "b\\r\\n", "x$", "^$"}) {
        SCOPED_TRACE(pattern);
        const auto expected = searcher.countLines(lines(pattern), text(bytes), nullptr);
        ASSERT_TRUE(expected);
        for (size_t headSize :
             {size_t(0), size_t(1), size_t(37), size_t(1000), bytes.size() - 1, bytes.size()}) {
            const std::string_view head(bytes.data(), headSize);
            auto rest = headSize == bytes.size()
                            ? nullptr
                            : std::make_unique<MemorySource>(bytes.substr(headSize));
            EXPECT_EQ(searcher.countLines(lines(pattern), head, std::move(rest), nullptr), expected)
                << "head of " << headSize;
        }
    }
}

// More matching lines than a 32-bit count holds, without a file of that
// size: a source of line breaks made up as they are read.
class LineBreaks : public ByteSource {
public:
    explicit LineBreaks(int64_t count) : left_(count) {}
    size_t read(char* into, size_t size) override {
        const size_t n = size_t(std::min<int64_t>(left_, int64_t(size)));
        std::memset(into, '\n', n);
        left_ -= int64_t(n);
        return n;
    }

private:
    int64_t left_;
};

TEST(Searcher, CountsOfMoreThanTwoToThe31LinesDoNotWrap) {
    const int64_t count = (int64_t(1) << 31) + 3;
    Searcher searcher;
    for (const char* pattern : {"z*", "x-$"}) {
        SCOPED_TRACE(pattern);
        EXPECT_EQ(searcher.countLines(lines(pattern), std::make_unique<LineBreaks>(count), nullptr),
                  count);
    }
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

// A line longer than what one RE2 call may read is searched over growing
// prefixes: a match is found wherever it lies, at the first prefix's end,
// across the later ones' ends or at the line's end, and only it.
TEST(Searcher, FindsTheOneMatchOfALongLineWhereverItLies) {
    const size_t size = size_t(3) << 20;
    const char* patterns[] = {"[xz][0-9]+y", "[xz][0-9][0-9][0-9][yw]"};
    const size_t places[] = {0, 1000, (size_t(1) << 18) - 2, 700001, size - 5};
    for (const char* source : patterns) {
        std::string error;
        const auto memory = compileForMemory(source, true, error);
        ASSERT_TRUE(memory) << error;
        for (const size_t place : places) {
            SCOPED_TRACE(std::string(source) + " at " + std::to_string(place));
            std::string line(size, 'a');
            line.replace(place, 5, "x123y");
            const auto span = Searcher::findIn(*memory, line, 0, line.size());
            ASSERT_TRUE(span);
            EXPECT_EQ(span->start, place);
            EXPECT_EQ(span->end, place + 5);
            EXPECT_FALSE(Searcher::findIn(*memory, line, place + 1, line.size()));
            Searcher searcher;
            EXPECT_EQ(searcher.countLines(lines(source), text(line + "\n" + line), nullptr), 2);
        }
        Searcher searcher;
        EXPECT_EQ(searcher.countLines(lines(source), text(std::string(size, 'a')), nullptr), 0);
    }
}

} // namespace
} // namespace ferrolux::engine
