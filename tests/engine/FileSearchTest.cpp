// The line-oriented file interface: counting, numbering, line ends, chunk and
// window boundaries, and files that must not be read.
#include "EngineProbes.h"
#include "ReferenceMatcher.h"
#include "TempDir.h"
#include "search/GrepEngine.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux {
namespace {

using test::countLines;
using test::TempDir;

std::vector<std::string> listLines(GrepEngine& engine, const std::string& path,
                                   const std::string& pattern, size_t limit = 1000) {
    engine.SCompileRGrep(pattern, GrepTrue);
    engine.SFileOpen(path);
    std::vector<std::string> lines;
    for (;;) {
        engine.SFileSetFlags(0, 0, -1, 0, 0, -1);
        const auto line = engine.SFileRGrep();
        if (!line || lines.size() == limit) break;
        lines.emplace_back(*line);
    }
    engine.SFileClose();
    return lines;
}

TEST(FileSearch, CountsMatchingLinesNotMatches) {
    TempDir dir;
    GrepEngine engine;
    const auto path = dir.write("a.txt", "aaa\nb\na a\n");
    EXPECT_EQ(countLines(engine, path, "a"), 2);
    EXPECT_EQ(countLines(engine, path, "x"), 0);
    EXPECT_EQ(countLines(engine, path, "A", GrepFalse), 2);
    EXPECT_EQ(countLines(engine, path, "A", GrepTrue), 0);
}

TEST(FileSearch, LinesCarryNumberTextAndCrLf) {
    TempDir dir;
    GrepEngine engine;
    const auto crlf = dir.write("crlf.txt", "one\r\ntwo\r\n\r\nthree: 3\r\nlast");
    EXPECT_EQ(listLines(engine, crlf, "t"),
              (std::vector<std::string>{"2:two\r\n", "4:three: 3\r\n", "5:last\r\n"}));
    EXPECT_EQ(listLines(engine, crlf, "^$"), (std::vector<std::string>{"3:\r\n"}));
    const auto lf = dir.write("lf.txt", "one\ntwo\n\nthree: 3\nlast\n");
    EXPECT_EQ(listLines(engine, lf, "t"),
              (std::vector<std::string>{"2:two\r\n", "4:three: 3\r\n", "5:last\r\n"}));
    // A CR that does not precede an LF belongs to the text.
    const auto loneCr = dir.write("cr.txt", "a\rb\nc\r");
    EXPECT_EQ(listLines(engine, loneCr, "."),
              (std::vector<std::string>{"1:a\rb\r\n", "2:c\r\r\n"}));
}

TEST(FileSearch, LineEndPatternsWorkForLfAndCrLfFiles) {
    TempDir dir;
    GrepEngine engine;
    for (const char* eol : {"\n", "\r\n"}) {
        const std::string text =
            std::string("end") + eol + "ending" + eol + "the end" + eol + "end";
        const auto path = dir.write("e.txt", text);
        SCOPED_TRACE(eol[0] == '\r' ? "CR LF" : "LF");
        EXPECT_EQ(countLines(engine, path, "end\\r\\n"), 3);
        EXPECT_EQ(countLines(engine, path, "\\<end\\r\\n\\>"), 3);
        EXPECT_EQ(countLines(engine, path, "^end\\r\\n"), 2);
        EXPECT_EQ(countLines(engine, path, "d$"), 3);
        EXPECT_EQ(countLines(engine, path, "end\\n"), 0); // a lone LF is never inside a line
        EXPECT_EQ(countLines(engine, path, "d\\ne"), 0);  // no match spans a line end
        EXPECT_EQ(countLines(engine, path, "^end&the"), 0);
        EXPECT_EQ(countLines(engine, path, "end&^the"), 1);
    }
}

TEST(FileSearch, EmptyFilesAndMissingFinalLineEnd) {
    TempDir dir;
    GrepEngine engine;
    EXPECT_EQ(countLines(engine, dir.write("empty.txt", ""), "x*"), 0);
    EXPECT_EQ(countLines(engine, dir.write("nl.txt", "\n"), "x*"), 1);
    EXPECT_EQ(countLines(engine, dir.write("two.txt", "\n\n"), "^$"), 2);
    EXPECT_EQ(listLines(engine, dir.write("nofinal.txt", "a\nbc"), "c$"),
              (std::vector<std::string>{"2:bc\r\n"}));
}

// Many chunk sizes put matches, CR LF pairs and long lines on every kind of
// chunk boundary; the result must not change.
TEST(FileSearch, ChunkBoundariesDoNotChangeResults) {
    TempDir dir;
    std::mt19937 random(7);
    std::string text;
    const char* words[] = {"alpha", "beta", "error code 42", "TODO", "x", "", "\r", "deprecated"};
    for (int line = 0; line < 400; ++line) {
        const int count = static_cast<int>(random() % 6);
        for (int w = 0; w < count; ++w)
            text += std::string(words[random() % 8]) + " ";
        if (line % 97 == 0) text += std::string(300, 'z') + "beta"; // longer than small chunks
        text += random() % 3 == 0 ? "\r\n" : "\n";
    }
    const auto path = dir.write("chunks.txt", text);
    const char* patterns[] = {
        "beta",       "err[a-z]+ code [0-9]+", "\\<x\\>", "TODO|deprecated", "a$", "^$", "z+beta",
        "alpha&beta", "\\<[a-z]+\\>"};
    for (const char* pattern : patterns) {
        GrepEngine reference;
        const auto expected = listLines(reference, path, pattern, 100000);
        test::ReferenceMatcher ref(pattern, true, true);
        size_t refCount = 0, start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            refCount += ref.lineMatches(std::string_view(text).substr(start, end - start));
            start = end + 1;
        }
        EXPECT_EQ(expected.size(), refCount) << pattern;
        for (size_t chunk : {16, 17, 31, 64, 100, 257, 4096}) {
            GrepEngine engine;
            GrepLimits limits;
            limits.chunkSize = chunk;
            engine.setLimits(limits);
            EXPECT_EQ(listLines(engine, path, pattern, 100000), expected)
                << pattern << " chunk " << chunk;
            EXPECT_EQ(countLines(engine, path, pattern), static_cast<int>(expected.size()))
                << pattern << " chunk " << chunk;
        }
    }
}

// Lines longer than the largest buffer are searched in overlapping windows.
TEST(FileSearch, LinesLongerThanTheBufferAreSearchedInWindows) {
    TempDir dir;
    GrepEngine engine;
    GrepLimits limits;
    limits.chunkSize = 16;
    limits.maxLineBuffer = 64;
    limits.longLineOverlap = 16;
    limits.longLineShown = 10;
    engine.setLimits(limits);
    const std::string longLine =
        "start" + std::string(500, '.') + "mid" + std::string(500, '.') + "end";
    const auto path = dir.write("long.txt", "a\n" + longLine + "\nb mid\n" + longLine);
    EXPECT_EQ(countLines(engine, path, "mid"), 3);
    EXPECT_EQ(countLines(engine, path, "^start"), 2);
    EXPECT_EQ(countLines(engine, path, "^\\.+mid"), 0); // ^ only at the real line start
    EXPECT_EQ(countLines(engine, path, "end$"), 2);
    EXPECT_EQ(countLines(engine, path, "\\.$"), 0); // $ only at the real line end
    EXPECT_EQ(countLines(engine, path, "start&end"), 2);
    EXPECT_EQ(countLines(engine, path, "^b"), 1);
    EXPECT_EQ(listLines(engine, path, "mid"),
              (std::vector<std::string>{"2:start.....\r\n", "3:b mid\r\n", "4:start.....\r\n"}));
    // Patterns that match any line count each line once, whether the long
    // last line ends in a line break or not.
    const auto ended = dir.write("ended.txt", "a\n" + longLine + "\nb mid\n" + longLine + "\n");
    for (const std::string& file : {path, ended}) {
        for (const char* pattern : {"z*", "x-$", "q*$"}) {
            EXPECT_EQ(countLines(engine, file, pattern), 4) << pattern;
            EXPECT_EQ(listLines(engine, file, pattern).size(), 4u) << pattern;
        }
    }
}

TEST(FileSearch, OnlyRegularFilesAreRead) {
    TempDir dir;
    GrepEngine engine;
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    engine.SCompileRGrep("x", GrepTrue);
    EXPECT_NE(engine.SFileOpen(fifo), 0); // must not block
    EXPECT_FALSE(engine.SFileRGrep());
    EXPECT_EQ(engine.SFileClose(), 0);
    EXPECT_NE(engine.SFileOpen(dir.path()), 0);
    EXPECT_NE(engine.SFileOpen(dir.file("missing")), 0);
    EXPECT_EQ(engine.SFileClose(), 0);
    // A link to a regular file is searched like the file.
    const auto target = dir.write("target.txt", "x\n");
    ASSERT_EQ(::symlink(target.c_str(), dir.file("link").c_str()), 0);
    EXPECT_EQ(countLines(engine, dir.file("link"), "x"), 1);
}

TEST(FileSearch, DescriptorIsReadFromTheStart) {
    TempDir dir;
    GrepEngine engine;
    const auto path = dir.write("d.txt", "hit\nmiss\nhit\n");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    char head[4];
    ASSERT_EQ(::read(fd, head, sizeof head), 4); // as the classification would
    engine.SCompileRGrep("hit", GrepTrue);
    engine.SFileSetFlags(0, 0, 0, -1, 0, -1);
    EXPECT_EQ(engine.SFileOpenDescriptor(fd), 0);
    EXPECT_FALSE(engine.SFileRGrep());
    EXPECT_EQ(engine.SFileClose(), 2);
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1); // the engine closed it
}

TEST(FileSearch, RejectedPatternFindsNothing) {
    TempDir dir;
    GrepEngine engine;
    EXPECT_EQ(countLines(engine, dir.write("r.txt", "[abc\n"), "[abc"), 0);
}

TEST(FileSearch, CancelStopsBetweenChunks) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "match\n";
    const auto path = dir.write("c.txt", text);
    GrepEngine engine;
    GrepLimits limits;
    limits.chunkSize = 64;
    engine.setLimits(limits);
    std::atomic<bool> canceled{false};
    engine.setCancelFlag(&canceled);
    engine.SCompileRGrep("match", GrepTrue);
    engine.SFileOpen(path);
    engine.SFileSetFlags(0, 0, -1, 0, 0, -1);
    ASSERT_TRUE(engine.SFileRGrep());
    canceled = true;
    int more = 0;
    while (engine.SFileRGrep())
        ++more;
    EXPECT_LT(more, 20); // at most the rest of the chunk in hand
    EXPECT_EQ(engine.SFileClose(), more + 1);
    // A raised flag before counting yields nothing.
    EXPECT_EQ(countLines(engine, path, "match"), 0);
    engine.setCancelFlag(nullptr);
    EXPECT_EQ(countLines(engine, path, "match"), 1000);
}

} // namespace
} // namespace ferrolux
