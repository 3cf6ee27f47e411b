#include "DeepPath.h"
#include "RunProgram.h"
#include "TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

using ferrolux::test::ProgramResult;
using ferrolux::test::runProgram;
using ferrolux::test::TempDir;

namespace {

ProgramResult search(const std::vector<std::string>& args, const std::string& cwd = {}) {
    return runProgram(FERROLUX_SEARCH_EXE, args, cwd);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::string lastLine(const std::string& text) {
    const auto all = lines(text);
    return all.empty() ? std::string() : all.back();
}

// The first fields of a row, leaving out the date/time.
std::string withoutDate(const std::string& row) {
    return row.substr(0, row.rfind('\t'));
}

} // namespace

TEST(CliEndToEnd, RowsInWalkOrderAndTheSummaryLast) {
    TempDir dir;
    dir.write("b.txt", "needle\nhay\nneedle needle\n");
    dir.write("A.txt", "needle\n");
    dir.write("sub/c.txt", "needle\n");
    dir.write("bin.dat", std::string("\0needle", 7));
    const ProgramResult r = search({"-r", "needle", dir.path()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(withoutDate(rows[0]), "A.txt\t" + dir.path() + "\t1\tT\t7");
    EXPECT_EQ(withoutDate(rows[1]), "b.txt\t" + dir.path() + "\t2\tT\t25");
    EXPECT_EQ(withoutDate(rows[2]), "bin.dat\t" + dir.path() + "\t1\tB\t7");
    EXPECT_EQ(withoutDate(rows[3]), "c.txt\t" + dir.file("sub/") + "\t1\tT\t7");
    EXPECT_TRUE(
        lastLine(r.err).starts_with(" Found 5 matches in 4 files of 4 searched - elapsed time "))
        << r.err;
}

TEST(CliEndToEnd, LinesFollowTheirFileRow) {
    TempDir dir;
    dir.write("notes.txt", "first: key\nno\nkey\tand tab\r\n");
    const ProgramResult r = search({"--lines", "key"}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_TRUE(out[0].starts_with("notes.txt\t"));
    EXPECT_EQ(out[1], "\t1\tfirst: key");
    EXPECT_EQ(out[2], "\t3\tkey\\x09and tab");
}

TEST(CliEndToEnd, OutcomeMessagesAndExitStatus) {
    TempDir dir;
    dir.write("a.txt", "nothing here\n");
    ProgramResult r = search({"needle", dir.path()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    auto err = lines(r.err);
    ASSERT_EQ(err.size(), 2u);
    EXPECT_EQ(err[0], "No matches found");
    EXPECT_TRUE(err[1].starts_with(" Found 0 matches in 0 files of 1 searched"));

    r = search({"--files", "*.none", "needle", dir.path()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(lines(r.err).at(0), "No files found");

    r = search({"--binary", "nothing", dir.path()});
    EXPECT_EQ(lines(r.err).at(0), "No files found") << "all files excluded by type";
}

TEST(CliEndToEnd, RefusedRequests) {
    TempDir dir;
    ProgramResult r = search({"", dir.path()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "File specification and search text must be entered\n");
    r = search({"--files", "", "x", dir.path()});
    EXPECT_EQ(r.err, "File specification and search text must be entered\n");
    r = search({".*", dir.path()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Search pattern cannot consist only of \".*\"\n");
    r = search({"[abc", dir.path()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_FALSE(r.err.empty());
    r = search({"--max-matches", "x", "y"});
    EXPECT_EQ(r.exitCode, 2);
    r = search({"--max-match-len", "-1", "y", dir.path()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.starts_with("ferrolux-search: --max-match-len must be between 1 and 2000"))
        << r.err;
    r = search({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("Usage: ferrolux-search"), std::string::npos);
}

TEST(CliEndToEnd, NamesThatAreNotUtf8AreEscaped) {
    TempDir dir;
    dir.write("caf\xE9.txt", "word\n");
    const ProgramResult r = search({"word", dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("caf\\xE9.txt\t")) << r.out;
}

TEST(CliEndToEnd, LimitsComeFromTheStoreUnlessOverridden) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 9; ++i)
        text += "hit\n";
    dir.write("nine.txt", text);
    const std::string store = dir.write("store.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                                                     "[HKEY_LOCAL_MACHINE\\Software\\Ferrolux]\r\n"
                                                     "\"MaxMatches\"=dword:00000003\r\n");
    ::setenv("FERROLUX_REGISTRY", store.c_str(), 1);
    ProgramResult r = search({"--lines", "--files", "*.txt", "hit", dir.path()});
    EXPECT_EQ(lines(r.out).size(), 4u) << "the row and three stored-limit lines";
    r = search({"--lines", "--max-matches", "5", "--files", "*.txt", "hit", dir.path()});
    EXPECT_EQ(lines(r.out).size(), 6u);
    ::unsetenv("FERROLUX_REGISTRY");
}

TEST(CliEndToEnd, BinaryLimitsFromOptions) {
    TempDir dir;
    dir.write("blob.bin", std::string("\x01") + "a" + std::string(50, 'b') + "c a" + "bc");
    ProgramResult r = search({"--max-match-len", "10", "ab*c", dir.path()});
    EXPECT_EQ(withoutDate(lines(r.out).at(0)), "blob.bin\t" + dir.path() + "\t1\tB\t57");
    r = search({"--max-match-len", "100", "--max-matches", "1", "--lines", "ab*c", dir.path()});
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(withoutDate(out[0]), "blob.bin\t" + dir.path() + "\t2\tB\t57");
    EXPECT_EQ(out[1], "\t\ta" + std::string(50, 'b') + "c abc");
}

TEST(CliEndToEnd, AStartDirectoryThatIsNoDirectoryIsRefused) {
    TempDir dir;
    const std::string file = dir.write("plain.txt", "needle\n");
    ProgramResult r = search({"needle", dir.file("missing")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "ferrolux-search: " + dir.file("missing") + ": No such file or directory\n");
    r = search({"needle", file});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "ferrolux-search: " + file + ": Not a directory\n");
    r = search({"needle", dir.file("bad\nname")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err,
              "ferrolux-search: " + dir.file("bad\\x0Aname") + ": No such file or directory\n")
        << "the path is named on one line";
}

TEST(CliEndToEnd, ALongLineShowsItsMatchBetweenMarks) {
    TempDir dir;
    dir.write("long.txt", std::string(20000, 'a') + " needle " + std::string(20000, 'z') + "\n");
    const ProgramResult r = search({"--lines", "needle", dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 2u);
    const std::string mark = "\xE2\x80\xA6";
    EXPECT_TRUE(out[1].starts_with("\t1\t" + mark + "aaa")) << out[1].substr(0, 20);
    EXPECT_TRUE(out[1].ends_with("zzz" + mark));
    EXPECT_NE(out[1].find(" needle "), std::string::npos);
}

TEST(CliEndToEnd, MasksAndArchiveNamesWithNonAsciiLetters) {
    TempDir dir;
    dir.write("stra\u00DFe.txt", "word\n");
    dir.write("strasse.txt", "word\n");
    dir.write("notes.z\u0131p", "word\n"); // a dotless i: no archive
    dir.write("Makefile", "word\n");
    ProgramResult r = search({"--files", "stra\u00DFe.txt", "word", dir.path()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(lines(r.out).size(), 1u) << r.out;
    EXPECT_TRUE(r.out.starts_with("stra\u00DFe.txt\t"));

    r = search({"-z", "--files", "*.z\u0131p", "word", dir.path()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(lines(r.out).size(), 1u) << r.out;
    EXPECT_TRUE(r.out.starts_with("notes.z\u0131p\t"));

    r = search({"--files", "*.", "word", dir.path()});
    ASSERT_EQ(lines(r.out).size(), 1u) << r.out;
    EXPECT_TRUE(r.out.starts_with("Makefile\t"));
}

TEST(CliEndToEnd, AFileWhoseReadsWouldBlockIsSkipped) {
    TempDir dir;
    const std::string blocking = dir.write("kmsg", "needle\n");
    dir.write("plain.txt", "needle\n");
    ::setenv("LD_PRELOAD", BLOCKING_READ_SHIM, 1);
    ::setenv("FERROLUX_TEST_BLOCKING_FILE", blocking.c_str(), 1);
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asanBefore = asan ? asan : "";
    // The shim comes first among the libraries; a sanitizer build must allow that.
    ::setenv("ASAN_OPTIONS", (asanBefore + ":verify_asan_link_order=0").c_str(), 1);
    const ProgramResult r = search({"--verbose", "needle", dir.path()});
    ::unsetenv("LD_PRELOAD");
    ::unsetenv("FERROLUX_TEST_BLOCKING_FILE");
    if (asan)
        ::setenv("ASAN_OPTIONS", asanBefore.c_str(), 1);
    else
        ::unsetenv("ASAN_OPTIONS");

    ASSERT_EQ(r.exitCode, 0) << "97: a read blocked\n" << r.err;
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 1u) << r.out;
    EXPECT_TRUE(rows[0].starts_with("plain.txt\t"));
    EXPECT_NE(r.err.find("ferrolux-search: " + blocking +
                         ": Reading it would have waited for more data\n"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(lastLine(r.err).starts_with(" Found 1 match in 1 file of 1 searched")) << r.err;
}

TEST(CliEndToEnd, LinesOfAFileDeeperThanThePathLimitAreListed) {
    TempDir dir;
    const std::string folder = ferrolux::test::makeDirectoryOfLength(dir.path(), 5000);
    ferrolux::test::writeDeepFile(folder + "deep.txt", "one\nneedle two\n");
    const ProgramResult r = search({"-r", "--lines", "needle", dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(withoutDate(out[0]), "deep.txt\t" + folder + "\t1\tT\t15");
    EXPECT_EQ(out[1], "\t2\tneedle two");
}

namespace {

// Text in UTF-16 with its byte-order mark, as Windows programs write it.
std::string utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char high = char(unit >> 8), low = char(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

} // namespace

TEST(CliEndToEnd, TextInUtf16IsSearchedAsText) {
    TempDir dir;
    const std::u16string text =
        u"first line\r\nsecond \u00E9t\u00E9 needle\r\nthird needle \U0001F600\r\n";
    const std::string little = utf16(text, false), big = utf16(text, true);
    dir.write("le.txt", little);
    dir.write("be.txt", big);
    dir.write("utf32.txt", std::string("\xFF\xFE\0\0n\0\0\0", 8)); // UTF-32: stays binary
    ProgramResult r = search({"--lines", "needle", dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 6u) << r.out;
    EXPECT_EQ(withoutDate(out[0]),
              "be.txt\t" + dir.path() + "\t2\tT\t" + std::to_string(big.size()));
    EXPECT_EQ(out[1], "\t2\tsecond \u00E9t\u00E9 needle");
    EXPECT_EQ(out[2], "\t3\tthird needle \U0001F600");
    EXPECT_EQ(withoutDate(out[3]),
              "le.txt\t" + dir.path() + "\t2\tT\t" + std::to_string(little.size()));
    EXPECT_EQ(out[4], out[1]);
    EXPECT_EQ(out[5], out[2]);

    r = search({"\u00E9t\u00E9 needle$", dir.path()});
    EXPECT_EQ(lines(r.out).size(), 2u) << "end of line and non-ASCII letters\n" << r.out;
    r = search({"--binary", "needle", dir.path()});
    EXPECT_EQ(r.exitCode, 1) << "they are text files\n" << r.out;
    r = search({"--binary", "n", dir.path()});
    EXPECT_TRUE(r.out.starts_with("utf32.txt\t")) << r.out;
}
