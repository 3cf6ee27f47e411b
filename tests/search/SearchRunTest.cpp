#include "TempDir.h"
#include "platform/MessageBoxA.h"
#include "search/BinaryScan.h"
#include "search/GrepEngine.h"
#include "search/MatchListing.h"
#include "search/SearchHost.h"
#include "search/SearchSession.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>

using namespace ferrolux;
using ferrolux::test::TempDir;

namespace {

struct RecordingHost : SearchHost {
    std::vector<FileResult> rows;
    std::vector<QString> statuses;
    std::function<void()> onMessages;
    void appendFileRow(const FileResult& row) override { rows.push_back(row); }
    void tell(const UserMessage& message) override { MessageBoxA(nullptr, message); }
    void setStatus(const QString& text) override { statuses.push_back(text); }
    void processPendingMessages() override {
        if (onMessages) onMessages();
    }
};

struct Search {
    SearchRequest request;
    SearchSession session;
    const SearchState& state = session.state();
    RecordingHost host;

    Search(const std::string& dir, std::string text, std::string specs = "*.*") {
        request.StartDirectory = dir;
        request.SearchText = std::move(text);
        request.FileSpecs = std::move(specs);
    }

    std::vector<std::string> run(const std::vector<FileResult>& listed = {}) {
        host.rows.clear();
        session.appendRows(listed);
        EXPECT_FALSE(session.begin(request));
        session.run(host, MatchLimits().MaxMatchLen, QStringLiteral("yyyy/mm/dd  h:mm"));
        std::vector<std::string> names;
        for (const FileResult& row : host.rows)
            names.push_back(row.FileName + ":" + std::to_string(row.Matches) +
                            row.Type.toStdString());
        return names;
    }
};

using Names = std::vector<std::string>;

} // namespace

TEST(SearchRun, ClassifiesCountsAndFiltersFiles) {
    TempDir dir;
    dir.write("plain.txt", "alpha\nbeta alpha\ngamma\nalpha alpha\n");
    dir.write("formfeed.txt", "alpha\f\n");
    dir.write("nul.dat", std::string("alpha\0alpha alpha", 17));
    dir.write("high.txt", "\xE9\xE8 alpha\n");
    dir.write("empty.txt", "");
    dir.write("late-nul.txt", std::string(150, 'x') + std::string("\0alpha", 6));
    Search s(dir.path(), "alpha");
    EXPECT_EQ(s.run(), (Names{"formfeed.txt:1B", "high.txt:1T", "late-nul.txt:1T", "nul.dat:3B",
                              "plain.txt:3T"}));
    EXPECT_EQ(s.state.FilesSearched, 6) << "the empty file counts as searched";
    EXPECT_EQ(s.state.FilesWithMatches, 5);
    EXPECT_EQ(s.state.TotalMatches, 9);

    s.request.live->BinaryFiles = false;
    EXPECT_EQ(s.run(), (Names{"high.txt:1T", "late-nul.txt:1T", "plain.txt:3T"}));
    EXPECT_EQ(s.state.FilesSearched, 4);
    s.request.live->BinaryFiles = true;
    s.request.live->TextFiles = false;
    EXPECT_EQ(s.run(), (Names{"formfeed.txt:1B", "nul.dat:3B"}));
    s.request.live->BinaryFiles = false;
    EXPECT_EQ(s.run(), Names{});
    EXPECT_EQ(s.state.FilesSearched, 0) << "all excluded: no files found";
}

TEST(SearchRun, RowFieldsAndStatus) {
    TempDir dir;
    const std::string path = dir.write("sub/Notes.TXT", "one match here\n");
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1772892300, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    Search s(dir.path(), "MATCH", "*.txt");
    s.request.live->IncludeSubdirectories = true;
    ASSERT_EQ(s.run(), Names{"Notes.TXT:1T"});
    const FileResult& row = s.host.rows[0];
    EXPECT_EQ(row.Directory, dir.file("sub/"));
    EXPECT_EQ(row.Size, 15);
    EXPECT_EQ(row.ModifiedTime, 1772892300);
    EXPECT_FALSE(row.DateTime.isEmpty());
    EXPECT_TRUE(row.ExtractedPath.empty());
    EXPECT_EQ(row.fullPath(), path);
    EXPECT_EQ(s.host.statuses, std::vector<QString>{" Searching " + QString::fromStdString(path)});

    s.request.live->CaseSensitive = true;
    EXPECT_EQ(s.run(), Names{});
}

TEST(SearchRun, SubdirectoriesOnlyWhenAsked) {
    TempDir dir;
    dir.write("top.txt", "needle\n");
    dir.write("a/deep.txt", "needle\n");
    Search s(dir.path(), "needle");
    EXPECT_EQ(s.run(), Names{"top.txt:1T"});
    s.request.live->IncludeSubdirectories = true;
    EXPECT_EQ(s.run(), (Names{"top.txt:1T", "deep.txt:1T"}));
}

TEST(SearchRun, EachFileSpecIsAWalkOfItsOwn) {
    TempDir dir;
    dir.write("a.txt", "x\n");
    dir.write("b.doc", "x\n");
    dir.write("c.log", "x\n");
    Search s(dir.path(), "x", " *.txt , *.doc ");
    EXPECT_EQ(s.run(), (Names{"a.txt:1T", "b.doc:1T"}));
    s.request.FileSpecs = "*.TXT,A*.*,";
    EXPECT_EQ(s.run(), (Names{"a.txt:1T", "a.txt:1T"}))
        << "a file fitting two specs is listed twice";
    s.request.FileSpecs = ",,*.log";
    EXPECT_EQ(s.run(), Names{"c.log:1T"});
}

TEST(SearchRun, ArchivesAreQueuedOnlyWhenAsked) {
    TempDir dir;
    dir.write("real.zip", std::string("PK\x03\x04 needle", 11));
    dir.write("fake.ZIP", "needle needle");
    dir.write("plain.txt", "needle\n");
    Search s(dir.path(), "needle");
    EXPECT_EQ(s.run(), Names{"plain.txt:1T"});
    EXPECT_EQ(s.state.FilesSearched, 1) << "archives are neither searched nor counted";
    EXPECT_TRUE(s.state.PendingZips.empty());

    s.request.live->SearchZipFiles = true;
    EXPECT_EQ(s.run(), Names{"plain.txt:1T"});
    EXPECT_EQ(s.state.PendingZips, std::vector<std::string>{dir.file("real.zip")});
}

TEST(SearchRun, StopEndsTheWalkAndCountsWhatWasReached) {
    TempDir dir;
    for (char c = 'a'; c <= 'j'; ++c)
        dir.write(std::string(1, c) + ".txt", "hit\n");
    Search s(dir.path(), "hit");
    int files = 0;
    s.host.onMessages = [&] {
        if (++files == 4) s.session.cancel();
    };
    s.run();
    EXPECT_TRUE(s.state.Canceled);
    EXPECT_LT(s.state.FilesSearched, 10);
    EXPECT_EQ(int(s.host.rows.size()), s.state.FilesWithMatches);
    // Every file matches: only those in work when Stop came go without a row.
    EXPECT_LE(s.state.FilesWithMatches, s.state.FilesSearched);
    EXPECT_LE(s.state.FilesSearched - s.state.FilesWithMatches, defaultSearchThreads());
}

TEST(SearchRun, FoldersToSkipComeWithTheRequest) {
    TempDir dir;
    dir.write("a.txt", "needle");
    dir.write("node_modules/b.txt", "needle");
    dir.write("x/Node_Modules/c.txt", "needle");
    Search search(dir.path(), "needle");
    search.request.live->IncludeSubdirectories = true;
    EXPECT_EQ(search.run().size(), 3u);
    search.request.FoldersToSkip = " node_modules ,";
    EXPECT_EQ(search.run(), (Names{"a.txt:1T"}));
    EXPECT_EQ(search.state.FilesSearched, 1);
}

TEST(SearchRun, FifosAndDevicesAreNeverOpened) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe.txt").c_str(), 0600), 0);
    dir.write("ok.txt", "word\n");
    ASSERT_EQ(::symlink("/dev/zero", dir.file("zero.txt").c_str()), 0);
    Search s(dir.path(), "word");
    EXPECT_EQ(s.run(), Names{"ok.txt:1T"});
}

TEST(SearchRun, ListedFilesAreSearchedAgainByName) {
    TempDir dir;
    dir.write("one.txt", "cat dog\n");
    dir.write("two.txt", "dog\n");
    dir.write("One.TXT", "dog dog\n");
    dir.write("sub/one.txt", "dog\n");
    Search s(dir.path(), "dog");
    s.run();
    ASSERT_EQ(s.host.rows.size(), 3u);
    std::vector<FileResult> listed = {s.host.rows[1]}; // one.txt
    ASSERT_EQ(listed[0].FileName, "one.txt");
    s.request.SearchText = "cat";
    s.request.ListedFilesOnly = true;
    EXPECT_EQ(s.run(listed), Names{"one.txt:1T"});
    s.request.SearchText = "dog";
    s.request.live->IncludeSubdirectories = true;
    EXPECT_EQ(s.run(listed), (Names{"one.txt:1T", "one.txt:1T"}))
        << "the same name in subdirectories is searched too";
}

TEST(MatchListing, TextLinesUpToTheLimit) {
    TempDir dir;
    std::string text;
    for (int i = 1; i <= 800; ++i)
        text += "line " + std::to_string(i) + ": key\r\n";
    FileResult row;
    row.Directory = dir.path();
    row.FileName = "many.txt";
    row.Type = "T";
    dir.write("many.txt", text);
    GrepEngine engine;
    const auto lines = listFileMatches(engine, row, "key", GrepFalse, 500, 300);
    ASSERT_EQ(lines.size(), 500u);
    EXPECT_EQ(lines[11].LineNumber, "12");
    EXPECT_EQ(lines[11].Text, "line 12: key") << "only the first colon splits; CR LF dropped";
    EXPECT_EQ(listFileMatches(engine, row, "KEY", GrepTrue, 500, 300).size(), 0u);
    EXPECT_EQ(listFileMatches(engine, row, "key", GrepFalse, 0, 300).size(), 0u);
}

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

using Spans = std::vector<MatchSpan>;

// Each listed line shows where its matches are; a line longer than 4 KiB
// keeps 4 KiB from 30 characters before its first match.
TEST(MatchListing, LinesKeepTheirMatchesInSight) {
    const std::string e = "\xC3\xA9"; // two bytes, one character
    const struct {
        const char* name;
        std::string line;
        const char* pattern;
        std::string kept; // the text listed
        bool cutBefore;
        bool truncated;
        Spans spans;
    } cases[] = {
        {"matches in a short line, touching ones joined",
         "a key and a KEY, keykey",
         "key",
         "a key and a KEY, keykey",
         false,
         false,
         {{2, 5}, {12, 15}, {17, 23}}},
        {"the first part of an And",
         "alpha beta alpha",
         "alpha&beta",
         "alpha beta alpha",
         false,
         false,
         {{0, 5}, {11, 16}}},
        {"a long line's match far in",
         repeated(e, 5001) + "KEY" + repeated(e, 5000),
         "key",
         repeated(e, 30) + "KEY" + repeated(e, 2016),
         true,
         true,
         {{60, 63}}},
        {"a long line's match near its start",
         repeated("x", 10) + "key" + repeated("y", 5000),
         "key",
         repeated("x", 10) + "key" + repeated("y", 4083),
         false,
         true,
         {{10, 13}}},
        {"a long line's match at its end",
         repeated("y", 9000) + "the end",
         "end$",
         repeated("y", 26) + "the end",
         true,
         false,
         {{30, 33}}},
        {"the same as prepared, with the line end",
         repeated("y", 9000) + "the end",
         "end\r\n",
         repeated("y", 26) + "the end",
         true,
         false,
         {{30, 33}}},
        {"a match longer than the cut",
         repeated("a", 5000) + "<" + repeated("b", 9000) + ">" + repeated("c", 5000),
         "<b*>",
         repeated("a", 30) + "<" + repeated("b", 4065),
         true,
         true,
         {{30, 4096}}},
    };
    GrepEngine engine;
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("line.txt", "before\n" + c.line + "\r\nafter\n");
        const FileResult row{"line.txt", dir.path(), 1, "T", 0, {}, {}, 0};
        const auto lines = listFileMatches(engine, row, c.pattern, GrepFalse, 5, 300);
        ASSERT_EQ(lines.size(), 1u) << c.name;
        EXPECT_EQ(lines[0].LineNumber, "2") << c.name;
        EXPECT_TRUE(lines[0].Text == c.kept)
            << c.name << ": " << lines[0].Text.size() << " bytes, not " << c.kept.size();
        EXPECT_EQ(lines[0].CutBefore, c.cutBefore) << c.name;
        EXPECT_EQ(lines[0].Truncated, c.truncated) << c.name;
        EXPECT_EQ(lines[0].Spans, c.spans) << c.name;
    }
}

TEST(MatchListing, AStoppedListingEndsEarly) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "key\n";
    dir.write("many.txt", text);
    dir.write("many.bin", std::string("\0", 1) + text);
    GrepEngine engine;
    const std::atomic<bool> stopped = true;
    for (const char* type : {"T", "B"}) {
        const std::string name = type[0] == 'T' ? "many.txt" : "many.bin";
        const FileResult row{name, dir.path(), 100, type, int64_t(text.size() + 1), {}, {}, 0};
        EXPECT_EQ(listFileMatches(engine, row, "key", GrepFalse, 500, 300).size(), 100u) << type;
        EXPECT_TRUE(listFileMatches(engine, row, "key", GrepFalse, 500, 300, &stopped).empty())
            << type;
    }
}

// However many lines MaxMatches allows, a listing stops once its rows hold
// MaxListedBytes: fewer rows than the file's count, the first ones, is how
// the list says that it was cut.
TEST(MatchListing, AListingStopsAtItsByteBound) {
    TempDir dir;
    const struct {
        const char* name;
        const char* type;
        std::string bytes;
        size_t matches;
        bool cut;
    } cases[] = {
        {"many.txt", "T", repeated("key\n", 1000000), 1000000, true},
        {"many.bin", "B", "\x01" + repeated("key ", 1000000), 1000000, true},
        {"few.txt", "T", repeated("key\n", 1000), 1000, false},
    };
    GrepEngine engine;
    for (const auto& c : cases) {
        dir.write(c.name, c.bytes);
        const FileResult row{
            c.name, dir.path(), int32_t(c.matches), c.type, int64_t(c.bytes.size()), {}, {}, 0};
        const auto lines = listFileMatches(engine, row, "key", GrepFalse,
                                           std::numeric_limits<int32_t>::max(), 300);
        ASSERT_FALSE(lines.empty()) << c.name;
        size_t held = 0;
        for (const MatchLine& line : lines)
            held += listedBytes(line);
        EXPECT_EQ(lines.size() < c.matches, c.cut) << c.name;
        if (c.cut) {
            EXPECT_GE(held, MaxListedBytes) << c.name;
            EXPECT_LT(held - listedBytes(lines.back()), MaxListedBytes) << c.name;
        } else {
            EXPECT_EQ(lines.size(), c.matches) << c.name;
        }
        if (c.type[0] == 'T') {
            EXPECT_EQ(lines.back().LineNumber, std::to_string(lines.size())) << "the first lines";
        }
    }
}

TEST(MatchListing, LinesOfAUtf16FileAreDecoded) {
    TempDir dir;
    std::string bytes = "\xFF\xFE";
    for (char c : std::string("a\r\nkey one\r\nno\r\nkey two"))
        bytes += std::string{c, '\0'};
    dir.write("wide.txt", bytes);
    FileResult row{"wide.txt", dir.path(), 2, "T", int64_t(bytes.size()), {}, {}, 0};
    GrepEngine engine;
    const auto lines = listFileMatches(engine, row, "key", GrepFalse, 500, 300);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].LineNumber, "2");
    EXPECT_EQ(lines[0].Text, "key one");
    EXPECT_EQ(lines[1].LineNumber, "4");
    EXPECT_EQ(lines[1].Text, "key two");
}

TEST(MatchListing, BinarySnippetsAroundMatches) {
    TempDir dir;
    const std::string bytes =
        std::string("ab\x01") + "key" + std::string(40, 'z') + "key" + std::string("\0tail", 5);
    dir.write("blob.bin", bytes);
    FileResult row{"blob.bin", dir.path(), 2, "B", int64_t(bytes.size()), {}, {}, 0};
    GrepEngine engine;
    const auto snippets = listFileMatches(engine, row, "key", GrepFalse, 500, 300);
    ASSERT_EQ(snippets.size(), 2u);
    EXPECT_EQ(snippets[0].LineNumber, "");
    EXPECT_EQ(snippets[0].Text, "abkey" + std::string(30, 'z')) << "clipped at the start";
    EXPECT_EQ(snippets[1].Text, std::string(30, 'z') + "keytail") << "control codes removed";
    // Each snippet shows where its own match lies.
    EXPECT_EQ(snippets[0].Spans, (Spans{{2, 5}}));
    EXPECT_EQ(snippets[1].Spans, (Spans{{30, 33}}));
}

// The text of a listed line as shown, and where its matches lie in it.
TEST(MatchListing, ShownLinesPlaceTheirMatchesInTheDisplayedText) {
    using Matches = std::vector<std::pair<int, int>>;
    const struct {
        MatchLine line;
        QString text;
        Matches matches;
    } cases[] = {
        {{"1", "a\tkey", false, false, {{2, 5}}}, QStringLiteral("a    key"), {{5, 3}}},
        {{"1", "\xC3\xA9 key x", true, true, {{3, 6}}},
         QStringLiteral("\u2026 \u00E9 key x \u2026"),
         {{4, 3}}},
        {{"1", "\xF0\x9D\x84\x9Ekey", false, false, {{4, 7}}},
         QStringLiteral("\U0001D11Ekey"),
         {{2, 3}}},
        {{"1", "caf\xE9 key", false, false, {{5, 8}}}, QStringLiteral("caf\u00E9 key"), {{5, 3}}},
        {{"1", "caf\xC3\xA9 \xFF key \xE6\x97\xA5", false, false, {{8, 11}}},
         QStringLiteral("caf\u00E9 \u00FF key \u65E5"),
         {{7, 3}}},
        {{"1", "no spans", false, false, {}}, QStringLiteral("no spans"), {}},
        {{"1", "bad", false, false, {{2, 9}}}, QStringLiteral("bad"), {}},
    };
    for (const auto& c : cases) {
        const ShownLine shown = shownLine(c.line);
        EXPECT_EQ(shown.text, c.text) << c.line.Text;
        EXPECT_EQ(shown.matches, c.matches) << c.line.Text;
    }
}
