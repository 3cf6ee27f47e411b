#include "TempDir.h"
#include "viewer/ViewerFile.h"
#include "viewer/ViewerMatchTable.h"

#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace ferrolux {

void PrintTo(const FoundMatch& match, std::ostream* out) {
    *out << "{" << match.position << ", " << match.length << "}";
}

namespace {

using test::TempDir;

// A file opened for viewing, loaded to the end.
struct Viewed {
    std::unique_ptr<ViewerFile> file;
    std::vector<FoundMatch> matches;

    explicit Viewed(const ViewerJob& job) {
        int error = -1;
        file = ViewerFile::open(
            job, [] {}, error);
        EXPECT_EQ(error, 0);
        if (!file) return;
        for (int waited = 0; waited < 60000; ++waited) {
            ViewerFile::Progress progress = file->takeProgress();
            matches.insert(matches.end(), progress.matches.begin(), progress.matches.end());
            if (progress.finished) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ADD_FAILURE() << "the file did not finish loading";
    }

    std::vector<int64_t> positions() const {
        std::vector<int64_t> found;
        for (const FoundMatch& m : matches)
            found.push_back(m.position);
        return found;
    }

    // The text of the first row of each matched line.
    std::vector<std::string> matchedLineTexts() const {
        std::vector<std::string> texts;
        for (const FoundMatch& m : matches) {
            const auto row = file->reader()->firstRowOfLine(m.position);
            texts.push_back(row ? file->reader()->bytes(row->span.start, row->span.end) : "?");
        }
        return texts;
    }
};

ViewerJob textJob(const std::string& path, const std::string& pattern) {
    ViewerJob job;
    job.path = path;
    job.pattern = pattern;
    return job;
}

// The engine's line numbers must fall on the lines the viewer shows.
TEST(EngineMatching, TextLinesAgreeWithTheEngineWhateverTheLineEnds) {
    TempDir dir;
    for (const std::string lineBreak : {"\n", "\r\n"}) {
        const std::string path =
            dir.write("lines.txt", "alpha" + lineBreak + lineBreak + "needle one" + lineBreak +
                                       "\tbeta" + lineBreak + "x needle y" + lineBreak + "needle");
        const Viewed viewed(textJob(path, "needle"));
        EXPECT_EQ(viewed.positions(), (std::vector<int64_t>{2, 4, 5})) << lineBreak.size();
        EXPECT_EQ(viewed.matchedLineTexts(),
                  (std::vector<std::string>{"needle one", "x needle y", "needle"}));
    }
    // A lone CR ends a row but not a line, for the engine as for the rows.
    const std::string path = dir.write("mixed.txt", "old\rmac\r\nneedle\rhere\nx\r\nneedle\n");
    const Viewed mixed(textJob(path, "needle"));
    EXPECT_EQ(mixed.positions(), (std::vector<int64_t>{1, 3}));
    EXPECT_EQ(mixed.matchedLineTexts(), (std::vector<std::string>{"needle", "needle"}));
    const auto second = mixed.file->reader()->firstRowOfLine(1);
    ASSERT_TRUE(second);
    EXPECT_EQ(mixed.file->reader()->row(second->number + 1)->line, 1); // "here"
}

TEST(EngineMatching, TheCaseFlagDecidesWhichLinesMatch) {
    TempDir dir;
    const std::string path = dir.write("case.txt", "Needle\nneedle\n");
    ViewerJob job = textJob(path, "needle");
    EXPECT_EQ(Viewed(job).positions(), (std::vector<int64_t>{0, 1}));
    job.caseSensitive = true;
    EXPECT_EQ(Viewed(job).positions(), (std::vector<int64_t>{1}));
}

TEST(EngineMatching, MaxMatchesBoundsTheMatchingLines) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "a needle\n";
    ViewerJob job = textJob(dir.write("many.txt", text), "needle");
    job.maxMatches = 7;
    EXPECT_EQ(Viewed(job).matches.size(), 7u);
}

TEST(EngineMatching, MatchesStopAtMaxMatchesAndNeverPastTheTable) {
    TempDir dir;
    std::string lines;
    for (int i = 0; i < 6000; ++i)
        lines += "needle\n";
    ViewerJob text = textJob(dir.write("many.txt", lines), "needle");
    text.maxMatches = 9000; // a stored value above the table's capacity
    const Viewed capped(text);
    ASSERT_EQ(capped.matches.size(), size_t(ViewerMatchTable::Capacity));
    EXPECT_EQ(capped.matches.back().position, 4999);
    ViewerJob binary = textJob(dir.write("many.bin", "a a a a a"), "a");
    binary.binary = true;
    binary.size = 9;
    binary.maxMatches = 2;
    EXPECT_EQ(Viewed(binary).matches, (std::vector<FoundMatch>{{0, 1}, {2, 1}}));
}

TEST(EngineMatching, MaxMatchLenBoundsWhatIsColouredButNotTheScan) {
    TempDir dir;
    ViewerJob job = textJob(dir.write("words.bin", "abcd abc abcd ab"), "[a-d]+");
    job.binary = true;
    job.size = 16;
    job.maxMatchLen = 3;
    EXPECT_EQ(Viewed(job).matches, (std::vector<FoundMatch>{{5, 3}, {14, 2}}));
}

TEST(EngineMatching, AFileThatCannotBeOpenedSaysWhy) {
    TempDir dir;
    int error = 0;
    EXPECT_EQ(ViewerFile::open(
                  textJob(dir.file("gone.txt"), "x"), [] {}, error),
              nullptr);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(ViewerFile::open(
                  textJob(dir.mkdir("folder"), "x"), [] {}, error),
              nullptr);
    EXPECT_NE(error, 0);
}

TEST(EngineMatching, BinaryMatchesAreFoundInTheShownText) {
    TempDir dir;
    const std::string bytes("\x01key\x02\r\nxx\xFFKEY\0key", 17);
    ViewerJob job = textJob(dir.write("b.bin", bytes), "key");
    job.binary = true;
    job.size = int64_t(bytes.size());
    // The shown text is "key\r\nxxKEYkey".
    EXPECT_EQ(Viewed(job).matches, (std::vector<FoundMatch>{{0, 3}, {7, 3}, {10, 3}}));
    job.caseSensitive = true;
    const Viewed exact(job);
    EXPECT_EQ(exact.matches, (std::vector<FoundMatch>{{0, 3}, {10, 3}}));
    EXPECT_EQ(exact.file->reader()->bytes(0, 20), "key\r\nxxKEYkey");
}

// The viewer colours the range the engine reports, not the first text
// like it: context decides (word starts and ends, "^", "&"), and a "?" in
// the text is a question mark.
TEST(EngineMatching, BinaryModeColoursTheRangesTheEngineReported) {
    struct Case {
        const char* pattern;
        std::string bytes;
        std::vector<FoundMatch> expected;
    };
    const Case cases[] = {
        {"\\<cat\\>",
         "\x01"
         "concat cat cat",
         {{7, 3}, {11, 3}}},
        {"a?c",
         "\x01"
         "xx abc a?c",
         {{7, 3}}},
        {"^key",
         "\x01"
         "a key\r\nkey",
         {{7, 3}}},
        {"cat&dog",
         "\x01"
         "cat\ncat dog",
         {{4, 3}}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        ViewerJob job = textJob(dir.write("b.bin", c.bytes), c.pattern);
        job.binary = true;
        job.size = int64_t(c.bytes.size());
        EXPECT_EQ(Viewed(job).matches, c.expected) << c.pattern;
    }
}

TEST(EngineMatching, AFileThatShrinksWhileViewedIsReadShortWithoutHarm) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "line " + std::to_string(i) + (i % 100 == 0 ? " needle\n" : "\n");
    const std::string path = dir.write("shrinks.txt", text);
    const Viewed viewed(textJob(path, "needle"));
    ASSERT_EQ(viewed.matches.size(), 200u);
    ASSERT_EQ(::truncate(path.c_str(), 1000), 0);
    const RowReader& rows = *viewed.file->reader();
    // Rows past what is left show nothing; those before it are as they were.
    for (const RowSpan& row : rows.rows(15000, 10))
        EXPECT_EQ(row.start, row.end);
    EXPECT_EQ(rows.bytes(rows.row(2)->start, rows.row(2)->end), "line 2");
    EXPECT_LE(rows.rowAt(999).span.end, 1000);
}

} // namespace
} // namespace ferrolux
