#include "print/PrintTexts.h"

#include <gtest/gtest.h>

namespace ferrolux {
namespace {

FileResult row(const char* name, const char* directory, int64_t matches,
               const char* extracted = "") {
    FileResult result;
    result.FileName = name;
    result.Directory = directory;
    result.Matches = matches;
    result.ExtractedPath = extracted;
    return result;
}

TEST(PrintTexts, FileHeadingsNameTheFileAndCountItsMatches) {
    EXPECT_EQ(fileHeading(row("notes.txt", "/data/", 3)),
              QStringLiteral("/data/notes.txt - 3 matches"));
    EXPECT_EQ(fileHeading(row("readme.txt", "/data/pack.zip", 1, "/tmp/x/pack.zip/readme.txt")),
              QStringLiteral("readme.txt (in /data/pack.zip) - 1 match"));
    EXPECT_EQ(fileHeading(row("a.txt", "/", 11)), QStringLiteral("/a.txt - 11 matches"));
    // Counts past 2^31 are shown whole (2^32 + 1 is not "1 match").
    EXPECT_EQ(fileHeading(row("big.log", "/", (int64_t{1} << 32) + 1)),
              QStringLiteral("/big.log - 4294967297 matches"));
    // Names that are not UTF-8 are shown in the Western code page.
    EXPECT_EQ(fileHeading(row("caf\xE9.txt", "/d/", 2)), QStringLiteral("/d/café.txt - 2 matches"));
}

TEST(PrintTexts, ThePageHeaderQuotesTheSearchAndJoinsFolderAndFileSpec) {
    EXPECT_EQ(pageHeaderText("a \"b\"", "/home/me/", QStringLiteral(" *.txt , *.doc ")),
              QStringLiteral("Search for: \"a \"b\"\" in /home/me/ *.txt , *.doc "));
    EXPECT_EQ(pageHeaderText("x", "/", QStringLiteral("*.*")),
              QStringLiteral("Search for: \"x\" in /*.*"));
    EXPECT_EQ(pageHeaderText("\xC3\xA9t\xC3\xA9", "/srv", QStringLiteral("*.md")),
              QStringLiteral("Search for: \"été\" in /srv/*.md"));
}

TEST(PrintTexts, ANameWithoutExtensionGetsTheDefaultOne) {
    const QString txt = QStringLiteral("txt");
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/a/report"), txt),
              QStringLiteral("/a/report.txt"));
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/a.b/report"), txt),
              QStringLiteral("/a.b/report.txt"));
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/a/report.log"), txt),
              QStringLiteral("/a/report.log"));
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/a/.profile"), txt),
              QStringLiteral("/a/.profile"));
}

} // namespace
} // namespace ferrolux
