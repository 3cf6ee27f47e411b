// Counting and listing the matches of binary files, in one piece and in
// overlapping windows.
#include "search/BinaryScan.h"

#include "TempDir.h"
#include "engine/Searcher.h"
#include "search/GrepEngine.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux {
namespace {

using test::TempDir;

// The count over the whole text in memory, the way a single pass sees it.
int32_t wholeTextCount(const std::string& pattern, std::string text, int32_t maxMatchLen) {
    for (char& c : text)
        if (c == '\0') c = 1;
    GrepEngine engine;
    RGrepState state;
    EXPECT_EQ(engine.CompileRGrep(pattern, GrepTrue, state), 0);
    int32_t count = 0;
    const char* from = text.data();
    while (engine.RGrep(text, from, state)) {
        count += state.matchEnd - state.matchStart <= maxMatchLen;
        from = state.matchEnd;
    }
    return count;
}

TEST(BinaryScan, WindowsFindEveryShortMatchExactlyOnce) {
    TempDir dir;
    const std::string alphabet = std::string("ab x\n\r\0\x01\x80\xC3\xA9", 11);
    const char* patterns[] = {"ab", "a.b",  "\\<ab", "b\\>",     "^a",           "b$",
                              "x*", "a-b+", "[ab]+", "\xC3\xA9", "a&b",          "[^ab]",
                              "^$", "$",    "x-$",   "a[^x]*b",  "\\<[ab ]+\\>", "b&x&a"};
    BinaryScanLimits small;
    small.windowSize = 1; // raised to the smallest window the overlap allows
    GrepEngine engine;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        std::mt19937 random(seed);
        std::string text(8000, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        const auto path = dir.write("data.bin", text);
        const int32_t maxMatchLen = seed % 2 ? 8 : 1;
        for (const char* pattern : patterns) {
            const int32_t expected = wholeTextCount(pattern, text, maxMatchLen);
            EXPECT_EQ(
                countBinaryMatches(engine, path, pattern, GrepTrue, maxMatchLen, nullptr, small),
                expected)
                << pattern << " seed " << seed;
            EXPECT_EQ(countBinaryMatches(engine, path, pattern, GrepTrue, maxMatchLen, nullptr),
                      expected)
                << pattern << " seed " << seed;
        }
    }
}

// The end of a file that ends in a line break starts no line: a pattern
// that matches there (an empty line, a starred item alone) counts nothing
// there, in one window or many.
TEST(BinaryScan, NothingMatchesAfterAFinalLineBreak) {
    TempDir dir;
    GrepEngine engine;
    BinaryScanLimits small;
    small.windowSize = 1;
    const std::string ctl = "\x01"; // makes the file binary
    const std::string body = std::string(1500, 'y') + ctl + "\n\n";
    const struct {
        const char* pattern;
        std::string text;
        int32_t expected;
    } cases[] = {
        {"^$", ctl + "a\n\n", 1},  {"^$", ctl + "a\n\nb", 1}, {"z*", ctl + "a\n\n", 4},
        {"z*", ctl + "a\n\nb", 6}, {"a-$", ctl + "a\n", 2},   {"$", ctl + "\r\n", 2},
        {"^$", body, 1},           {"y-$", body, 2},
    };
    for (const auto& c : cases) {
        const auto path = dir.write("end.bin", c.text);
        EXPECT_EQ(countBinaryMatches(engine, path, c.pattern, GrepTrue, 300, nullptr), c.expected)
            << c.pattern << " over " << c.text.size() << " bytes";
        EXPECT_EQ(countBinaryMatches(engine, path, c.pattern, GrepTrue, 300, nullptr, small),
                  c.expected)
            << c.pattern << " over " << c.text.size() << " bytes, small windows";
    }
}

// Where each match lies in the whole text, window by window as in one go.
TEST(BinaryScan, MatchesAreReportedWhereTheyLieInTheText) {
    std::string text;
    for (int i = 0; i < 4000; ++i)
        text += i % 13 == 0 ? "key " : "filler ";
    std::string error;
    const engine::PatternHandle pattern = engine::compileForMemory("\\<key\\>", true, error);
    ASSERT_TRUE(pattern) << error;
    const auto offsets = [&](size_t windowSize) {
        engine::MemorySource source(text);
        engine::ReadBuffer buffer;
        std::vector<int64_t> found;
        EXPECT_TRUE(scanBinaryText(*pattern, source, 300, buffer, {windowSize}, nullptr,
                                   [&](const BinaryMatch& m) {
                                       EXPECT_EQ(m.window.substr(m.start, m.end - m.start), "key");
                                       found.push_back(m.windowOffset + int64_t(m.start));
                                       return true;
                                   }));
        return found;
    };
    std::vector<int64_t> expected;
    for (size_t at = text.find("key"); at != std::string::npos; at = text.find("key", at + 1))
        expected.push_back(int64_t(at));
    EXPECT_EQ(offsets(1 << 20), expected);
    EXPECT_EQ(offsets(1), expected); // the smallest window the overlap allows
}

TEST(BinaryScan, NulIsReadAsByteOne) {
    TempDir dir;
    GrepEngine engine;
    const auto path = dir.write("nul.bin", std::string("a\0b a\x01"
                                                       "b",
                                                       7));
    EXPECT_EQ(countBinaryMatches(engine, path,
                                 "a\x01"
                                 "b",
                                 GrepTrue, 300, nullptr),
              2);
    EXPECT_EQ(countBinaryMatches(engine, path, "a.b", GrepTrue, 300, nullptr), 2);
    EXPECT_EQ(countBinaryMatches(engine, path, "a[^ ]b", GrepTrue, 300, nullptr), 2);
}

TEST(BinaryScan, WordPerfectBytesReadAsBlanks) {
    TempDir dir;
    GrepEngine engine;
    const std::string body = "x\x80y x\xCFy";
    const auto wp = dir.write("doc.wpd", "\xFFWPC" + body);
    const auto plain = dir.write("doc.bin", "\xFFWPD" + body);
    EXPECT_EQ(countBinaryMatches(engine, wp, "x y", GrepTrue, 300, nullptr), 2);
    EXPECT_EQ(countBinaryMatches(engine, plain, "x y", GrepTrue, 300, nullptr), 0);
    const auto rows = listBinaryMatches(engine, wp, 100, "x y", GrepTrue, 500, 300);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].Text, std::string("\xFFWPCx y x y"));
}

TEST(BinaryScan, MatchesLongerThanMaxMatchLenAreSkippedNotCounted) {
    TempDir dir;
    GrepEngine engine;
    const auto path = dir.write("len.bin", "a1234b ab\x01");
    EXPECT_EQ(countBinaryMatches(engine, path, "a[^ ]*b", GrepTrue, 5, nullptr), 1);
    EXPECT_EQ(countBinaryMatches(engine, path, "a[^ ]*b", GrepTrue, 6, nullptr), 2);
    EXPECT_EQ(listBinaryMatches(engine, path, 100, "a[^ ]*b", GrepTrue, 500, 5).size(), 1u);
}

TEST(BinaryScan, ListingGivesSnippetsOfStrippedText) {
    TempDir dir;
    GrepEngine engine;
    const std::string before(40, 'x');
    const std::string after(40, 'y');
    const auto path = dir.write("s.bin", "head MATCH " + before + "MATCH" + after);
    const auto rows = listBinaryMatches(engine, path, 1000, "MATCH", GrepTrue, 500, 300);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].LineNumber, "");
    EXPECT_EQ(rows[0].Text, "head MATCH " + std::string(29, 'x')); // clipped at the start
    EXPECT_EQ(rows[1].Text, std::string(30, 'x') + "MATCH" + std::string(30, 'y'));

    // Control characters are deleted before listing, so "ab" is listed here
    // while "a.b" is counted but not listed.
    const auto ctl = dir.write("ctl.bin", "a\x01"
                                          "b\x0C");
    EXPECT_EQ(countBinaryMatches(engine, ctl, "a.b", GrepTrue, 300, nullptr), 1);
    EXPECT_TRUE(listBinaryMatches(engine, ctl, 100, "a.b", GrepTrue, 500, 300).empty());
    EXPECT_EQ(countBinaryMatches(engine, ctl, "ab", GrepTrue, 300, nullptr), 0);
    const auto listed = listBinaryMatches(engine, ctl, 100, "ab", GrepTrue, 500, 300);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].Text, "ab\x0C"); // form feed is kept
}

std::string times(std::string_view piece, int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += piece;
    return out;
}

std::string joined(std::initializer_list<std::string_view> pieces) {
    std::string out;
    for (std::string_view piece : pieces)
        out += piece;
    return out;
}

TEST(BinaryScan, SnippetsReachThirtyCharactersNeverPartOfOne) {
    TempDir dir;
    GrepEngine engine;
    const std::string e = "\xC3\xA9";            // é, two bytes
    const std::string euro = "\xE2\x82\xAC";     // €, three bytes
    const std::string clef = "\xF0\x9D\x84\x9E"; // a four-byte character
    const std::string latin1 = "\xE9";           // é in Windows-1252: one byte, one character
    const auto path =
        dir.write("u.bin", joined({"\x02", times(e, 40), "hit", times(euro, 40), "\x02",
                                   times(latin1, 20), "hit", times(clef, 31)}));
    const auto rows = listBinaryMatches(engine, path, 10000, "hit", GrepTrue, 500, 300);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Text, joined({times(e, 30), "hit", times(euro, 30)}));
    EXPECT_EQ(rows[1].Text, joined({times(euro, 10), times(latin1, 20), "hit", times(clef, 30)}));
    // Clipped at the ends of the text, still whole characters.
    const auto edges = dir.write("v.bin", joined({times(clef, 3), "hit\x01", times(e, 2)}));
    const auto clipped = listBinaryMatches(engine, edges, 10000, "hit", GrepTrue, 500, 300);
    ASSERT_EQ(clipped.size(), 1u);
    EXPECT_EQ(clipped[0].Text, joined({times(clef, 3), "hit", times(e, 2)}));
}

// A huge MaxMatchLen or MaxMatches (stored, or given on the command line) must
// not make the scan hold the file.
TEST(BinaryScan, MemoryStaysBoundedWhateverTheLimits) {
    TempDir dir;
    GrepEngine engine;
    std::string text = "\x01";
    for (int i = 0; i < 20000; ++i)
        text += i % 3 ? "zz " : "ab ";
    const auto path = dir.write("big.bin", text);
    BinaryScanLimits small;
    small.windowSize = 4096;
    const int32_t huge = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(countBinaryMatches(engine, path, "ab", GrepTrue, huge, nullptr, small),
              wholeTextCount("ab", text, huge));
    EXPECT_LE(engine.scanBuffer().size(), size_t(8192));
    EXPECT_EQ(listBinaryMatches(engine, path, 100000, "ab", GrepTrue, huge, huge, small).size(),
              6667u);
    EXPECT_LE(engine.scanBuffer().size(), size_t(8192));

    // Every byte a match, every match listed: the rows stop at a budget.
    const auto dense = dir.write("dense.bin", joined({"\x01", std::string(size_t(2) << 20, 'a')}));
    const auto rows = listBinaryMatches(engine, dense, int64_t(3) << 20, "a", GrepTrue, huge, 300);
    size_t held = 0;
    for (const MatchLine& row : rows)
        held += sizeof row + row.Text.size();
    EXPECT_LT(rows.size(), size_t(2) << 20);
    EXPECT_LE(held, size_t(80) << 20);
}

TEST(BinaryScan, ListingStopsAtMaxMatchesAndReadsOnlySizeBytes) {
    TempDir dir;
    GrepEngine engine;
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "hit\x01";
    const auto path = dir.write("many.bin", text);
    EXPECT_EQ(listBinaryMatches(engine, path, 10000, "hit", GrepTrue, 7, 300).size(), 7u);
    EXPECT_EQ(listBinaryMatches(engine, path, 10, "hit", GrepTrue, 500, 300).size(), 2u);
    EXPECT_TRUE(listBinaryMatches(engine, path, 0, "hit", GrepTrue, 500, 300).empty());
    EXPECT_TRUE(
        listBinaryMatches(engine, dir.file("gone.bin"), 10, "hit", GrepTrue, 500, 300).empty());
    // Windows give the same rows as one pass.
    BinaryScanLimits small;
    small.windowSize = 1;
    std::string big;
    for (int i = 0; i < 3000; ++i)
        big += (i % 7 == 0 ? "hit" : "\x02zz");
    const auto bigPath = dir.write("big.bin", big);
    const auto whole = listBinaryMatches(engine, bigPath, 100000, "hit", GrepTrue, 5000, 10);
    const auto windowed =
        listBinaryMatches(engine, bigPath, 100000, "hit", GrepTrue, 5000, 10, small);
    ASSERT_EQ(whole.size(), 429u);
    ASSERT_EQ(windowed.size(), whole.size());
    for (size_t i = 0; i < whole.size(); ++i)
        EXPECT_EQ(windowed[i].Text, whole[i].Text) << i;
}

TEST(BinaryScan, DescriptorCancelAndFilesThatCannotBeRead) {
    TempDir dir;
    GrepEngine engine;
    const auto path = dir.write("d.bin", "ab\x01"
                                         "ab");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    char head[3];
    ASSERT_EQ(::read(fd, head, sizeof head), 3);
    EXPECT_EQ(countBinaryMatches(engine, fd, "ab", GrepTrue, 300, nullptr), 2);
    EXPECT_GE(::fcntl(fd, F_GETFD), 0); // still open: the caller closes it
    ::close(fd);

    std::atomic<bool> canceled{true};
    EXPECT_EQ(countBinaryMatches(engine, path, "ab", GrepTrue, 300, &canceled), 0);
    EXPECT_EQ(countBinaryMatches(engine, path, "[ab", GrepTrue, 300, nullptr), 0);
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(countBinaryMatches(engine, fifo, "ab", GrepTrue, 300, nullptr), 0);
    EXPECT_TRUE(listBinaryMatches(engine, fifo, 10, "ab", GrepTrue, 500, 300).empty());
    EXPECT_EQ(countBinaryMatches(engine, dir.path(), "ab", GrepTrue, 300, nullptr), 0);
}

} // namespace
} // namespace ferrolux
