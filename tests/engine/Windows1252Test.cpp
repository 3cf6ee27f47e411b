// Text that is not UTF-8 is searched as it is shown: a byte outside any
// valid UTF-8 sequence is the Windows-1252 character it stands for, so a
// pattern's non-ASCII letters match it, with case folded under -i. Counts,
// listed lines and match spans agree, with large buffers and with buffers
// so small that regions and windows cut through the text.
#include "engine/MemoryMatches.h"
#include "engine/Searcher.h"

#include <gtest/gtest.h>

namespace ferrolux::engine {
namespace {

GrepLimits smallBuffers() {
    GrepLimits limits;
    limits.chunkSize = 16;
    limits.maxLineBuffer = 64;
    limits.longLineOverlap = 24;
    return limits;
}

// The listed lines, each with its matches in brackets.
std::vector<std::string> listed(Searcher& searcher, const PatternHandle& pattern,
                                const std::string& text) {
    std::vector<std::string> out;
    searcher.forEachLine(
        pattern, std::make_unique<MemorySource>(text), nullptr, [&](const LineMatch& line) {
            const std::string_view bytes = line.text;
            std::string marked;
            MemoryMatches matches(*pattern);
            size_t done = 0;
            for (auto m = matches.next(bytes, 0, bytes.size()); m;
                 m = matches.next(bytes, m->end, bytes.size())) {
                marked += std::string(bytes.substr(done, m->start - done)) + "[" +
                          std::string(bytes.substr(m->start, m->end - m->start)) + "]";
                done = m->end;
            }
            out.push_back(marked + std::string(bytes.substr(done)));
            return true;
        });
    return out;
}

TEST(Windows1252, LettersOfThePatternMatchSingleByteTextAsItIsShown) {
    const struct {
        const char* what;
        std::string text;
        const char* pattern;
        bool caseSensitive;
        std::vector<std::string> lines; // as listed, matches in brackets
    } cases[] = {
        {"a letter", "na\xEFve\nnaive\n", "naïve", true, {"[na\xEFve]"}},
        {"folded", "NA\xCFVE\nna\xEFve\n", "naïve", false, {"[NA\xCFVE]", "[na\xEFve]"}},
        {"not folded", "NA\xCFVE\nna\xEFve\n", "naïve", true, {"[na\xEFve]"}},
        {"a class",
         "caf\xE9 cr\xE8me br\xFBl\xE9\x65\n",
         "[à-ÿ]+",
         true,
         {"caf[\xE9] cr[\xE8]me br[\xFB]l[\xE9]e"}},
        {"letters of 0x80-0x9F, folded", "\x8A\x9A x\n", "š", false, {"[\x8A][\x9A] x"}},
        {"a UTF-8 letter on a line with a lone byte",
         "caf\xC3\xA9 \xFF\n",
         "é",
         true,
         {"caf[\xC3\xA9] \xFF"}},
        {"a lone byte beside UTF-8", "caf\xC3\xA9 \xFF\n", "ÿ", true, {"caf\xC3\xA9 [\xFF]"}},
        {"no match inside a UTF-8 character", "caf\xC3\xA9\n", "©|Ã", true, {}},
        {"no match at the start of a UTF-8 character",
         "\xE9\x9D\x9E \xE9\n",
         "é",
         true,
         {"\xE9\x9D\x9E [\xE9]"}},
        {"whole words",
         "na\xEFvet\xE9 na\xEFve\n",
         "\\<naïve\\>",
         true,
         {"na\xEFvet\xE9 [na\xEFve]"}},
        {"& on a single-byte line", "cr\xE8me caf\xE9\ncr\n", "cr&é", true, {"[cr]\xE8me caf\xE9"}},
        {"& led by the letter", "cr\xE8me caf\xE9\ncr\n", "é&cr", true, {"cr\xE8me caf[\xE9]"}},
        {"among lines without one",
         "abc\nd\xE9\x66\nghi\n\xE9\n",
         "[a-zé]+",
         true,
         {"[abc]", "[d\xE9\x66]", "[ghi]", "[\xE9]"}},
        {"ASCII as before", "caf\xE9\n", "caf.", true, {"[caf\xE9]"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        const PatternHandle pattern = compileForLines(c.pattern, c.caseSensitive, error);
        ASSERT_TRUE(pattern) << error;
        Searcher searcher;
        EXPECT_EQ(listed(searcher, pattern, c.text), c.lines);
        EXPECT_EQ(searcher.countLines(pattern, std::make_unique<MemorySource>(c.text), nullptr),
                  int64_t(c.lines.size()));
        // Regions of a line or two, and lines longer than the buffer.
        Searcher small(smallBuffers());
        const std::string padded = std::string(100, '-') + "\n" + c.text;
        EXPECT_EQ(small.countLines(pattern, std::make_unique<MemorySource>(padded), nullptr),
                  int64_t(c.lines.size()));
        std::string wide = c.text;
        for (size_t at = 0; (at = wide.find('\n', at)) != std::string::npos; at += 101)
            wide.insert(at, std::string(100, ' '));
        EXPECT_EQ(small.countLines(pattern, std::make_unique<MemorySource>(wide), nullptr),
                  int64_t(c.lines.size()))
            << "lines searched in windows";
    }
}

TEST(Windows1252, PatternsWithoutNonAsciiLettersNeverReadByCharacter) {
    const std::string text = "caf\xE9 na\xEFve \xFF\xC3\xA9";
    for (const char* ascii : {"caf.", "[^a-z]", "\\<x\\>", "error", "a&b", "[a-z]*"}) {
        std::string error;
        const PatternHandle pattern = compileForLines(ascii, false, error);
        ASSERT_TRUE(pattern) << error;
        EXPECT_EQ(pattern->nextLoneByte(text, 0, text.size()), npos) << ascii;
    }
}

} // namespace
} // namespace ferrolux::engine
