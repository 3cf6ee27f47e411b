#include "results/DirListing.h"

#include "TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace ferrolux {
namespace {

using test::TempDir;

TEST(ListDirectoryFiles, ListsTheFilesWithoutRegardToCase) {
    TempDir dir;
    dir.write("b.txt", "");
    dir.write("A.txt", "");
    dir.write("a.txt", "");
    dir.write("noext", "");
    dir.write(".hidden", "");
    dir.write("sub/inner.txt", "");
    dir.write("caf\xE9.txt", "");
    ASSERT_EQ(::symlink("b.txt", dir.file("link-to-b").c_str()), 0);
    ASSERT_EQ(::symlink("sub", dir.file("link-to-sub").c_str()), 0);
    ASSERT_EQ(::symlink("missing", dir.file("dangling").c_str()), 0);
    EXPECT_EQ(
        listDirectoryFiles(dir.path()),
        (std::vector<std::string>{"A.txt", "a.txt", "b.txt", "caf\xE9.txt", "link-to-b", "noext"}));
}

TEST(ListDirectoryFiles, AnUnreadableDirectoryListsNothing) {
    TempDir dir;
    EXPECT_TRUE(listDirectoryFiles(dir.file("missing")).empty());
    EXPECT_TRUE(listDirectoryFiles(dir.write("file", "x")).empty());
}

// Every character 10 pixels wide, so a 249-pixel label holds 24 of them.
int tenEach(const QString& text) {
    return int(text.size()) * 10;
}

TEST(SplitPathForLabels, AShortPathStaysOnOneLine) {
    const PathLines lines = splitPathForLabels(QStringLiteral("/"), 249, tenEach);
    EXPECT_EQ(lines.first, QStringLiteral("/"));
    EXPECT_EQ(lines.second, QString());
    EXPECT_EQ(splitPathForLabels(QString(24, QLatin1Char('x')), 249, tenEach).second, QString());
}

TEST(SplitPathForLabels, ALongPathBreaksAfterTheLastSeparatorThatFits) {
    const QString path = QStringLiteral("/home/someone/projects/ferrolux/src/viewer");
    const PathLines lines = splitPathForLabels(path, 249, tenEach);
    // The prefix grows to 25 characters ("/home/someone/projects/fe"), then
    // goes back to its last "/".
    EXPECT_EQ(lines.first, QStringLiteral("/home/someone/projects/"));
    EXPECT_EQ(lines.second, QStringLiteral("ferrolux/src/viewer"));
    EXPECT_EQ(lines.first + lines.second, path);
}

TEST(SplitPathForLabels, ALongLastNameLeavesOnlyTheRootOnTheFirstLine) {
    const QString path = QLatin1Char('/') + QString(40, QLatin1Char('n'));
    const PathLines lines = splitPathForLabels(path, 249, tenEach);
    EXPECT_EQ(lines.first, QStringLiteral("/"));
    EXPECT_EQ(lines.second, QString(40, QLatin1Char('n')));
}

TEST(AppendFileNames, AddsEachNameAfterACommaWithoutBlanks) {
    const QStringList names = {QStringLiteral("a.txt"), QStringLiteral("b.txt")};
    EXPECT_EQ(appendFileNames(QStringLiteral("*.*"), names), QStringLiteral("*.*,a.txt,b.txt"));
    EXPECT_EQ(appendFileNames(QString(), names), QStringLiteral("a.txt,b.txt"));
    EXPECT_EQ(appendFileNames(QStringLiteral("x"), {}), QStringLiteral("x"));
}

TEST(ListingPosition, SitsUnderTheFileMasksBoxAboveTheStatusLine) {
    ListingAnchor anchor;
    anchor.mainLeft = 10;
    anchor.mainTop = 20;
    anchor.mainHeight = 651;
    anchor.filespecLeft = 230;
    anchor.statusHeight = 30;
    EXPECT_EQ(listingPosition(anchor, 354), QPoint(240, 20 + 651 - 30 - 354));
}

} // namespace
} // namespace ferrolux
