#include "TempDir.h"
#include "platform/ui/DirectoryListBox.h"
#include "platform/ui/DriveComboBox.h"

#include <QSignalSpy>
#include <filesystem>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

TEST(DirectoryPaths, NormalisedLexically) {
    EXPECT_EQ(normalizedDirectory("/a/b/../c/./"), "/a/c/");
    EXPECT_EQ(normalizedDirectory("/a//b"), "/a/b/");
    EXPECT_EQ(normalizedDirectory("/.."), "/");
    EXPECT_EQ(normalizedDirectory("relative/dir"), "");
}

TEST(DirectoryListBox, EntersAFolderAndSignalsTheChange) {
    test::TempDir tree;
    const std::string inner = tree.mkdir("one/two");
    DirectoryListBox box;
    QSignalSpy changes(&box, &DirectoryListBox::Change);
    ASSERT_TRUE(box.setDirectory(inner));
    EXPECT_EQ(box.Directory(), inner + "/");
    EXPECT_EQ(changes.count(), 1);
    // Without the trailing slash, with dots: the same folder, no new change.
    EXPECT_TRUE(box.setDirectory(tree.path() + "one/./two/../two"));
    EXPECT_EQ(changes.count(), 1);
}

TEST(DirectoryListBox, RefusesWhatCannotBeEntered) {
    test::TempDir tree;
    const std::string file = tree.write("plain.txt", "x");
    DirectoryListBox box;
    ASSERT_TRUE(box.setDirectory(tree.path()));
    EXPECT_FALSE(box.setDirectory(tree.path() + "missing"));
    EXPECT_FALSE(box.setDirectory(file));
    EXPECT_FALSE(box.setDirectory(""));
    EXPECT_EQ(box.Directory(), tree.path());
}

TEST(DirectoryListBox, ShowsAndEntersFolderNamesThatAreNotUtf8) {
    test::TempDir tree;
    const std::string odd = tree.mkdir("caf\xe9");
    DirectoryListBox box;
    ASSERT_TRUE(box.setDirectory(odd));
    EXPECT_EQ(box.Directory(), odd + "/");
    EXPECT_EQ(box.currentIndex().data().toString(), QStringLiteral("caf\u00e9"));
}

TEST(DirectoryListBox, UpdateSeesNewFoldersAndFallsBackWhenTheCurrentOneIsGone) {
    test::TempDir tree;
    const std::string gone = tree.mkdir("parent/gone");
    DirectoryListBox box;
    ASSERT_TRUE(box.setDirectory(tree.path() + "parent"));
    const QModelIndex parent = box.currentIndex();
    box.model()->fetchMore(parent);
    EXPECT_EQ(box.model()->rowCount(parent), 1);

    tree.mkdir("parent/fresh");
    box.Update();
    box.model()->fetchMore(box.currentIndex());
    EXPECT_EQ(box.model()->rowCount(box.currentIndex()), 2);

    ASSERT_TRUE(box.setDirectory(gone));
    std::filesystem::remove(gone);
    QSignalSpy changes(&box, &DirectoryListBox::Change);
    box.Update();
    EXPECT_EQ(box.Directory(), tree.path() + "parent/");
    EXPECT_EQ(changes.count(), 1);
}

// Opening a folder at the bottom of the tree brings its folders into sight.
TEST(DirectoryListBox, OpeningAFolderScrollsItsFoldersIntoView) {
    test::TempDir tree;
    for (char name = 'a'; name <= 'z'; ++name)
        tree.mkdir(std::string(1, name));
    for (int i = 0; i < 4; ++i)
        tree.mkdir("z/inner" + std::to_string(i));
    DirectoryListBox box;
    box.resize(220, 148);
    box.show();
    ASSERT_TRUE(box.setDirectory(tree.path() + "z"));
    const QModelIndex folder = box.currentIndex();
    ASSERT_TRUE(box.viewport()->rect().contains(box.visualRect(folder)));

    box.expand(folder);
    const QRect inSight = box.viewport()->rect();
    EXPECT_TRUE(inSight.contains(box.visualRect(folder)));
    ASSERT_EQ(box.model()->rowCount(folder), 4);
    for (int row = 0; row < 4; ++row)
        EXPECT_TRUE(inSight.contains(box.visualRect(box.model()->index(row, 0, folder)))) << row;
}

TEST(DriveComboBox, ListsTheRootFirstAndFollowsTheDirectory) {
    DriveComboBox drives;
    ASSERT_GT(drives.count(), 0);
    EXPECT_TRUE(drives.itemData(0).toString() == QStringLiteral("/"));
    QSignalSpy changes(&drives, &DriveComboBox::Change);
    drives.showDriveOf("/");
    EXPECT_EQ(drives.Drive(), "/");
    EXPECT_EQ(drives.currentDirectory(), "/");
    EXPECT_EQ(changes.count(), 0);
}

TEST(DriveComboBox, RemembersTheCurrentDirectoryOfADrive) {
    test::TempDir tree;
    DriveComboBox drives;
    drives.showDriveOf(tree.path());
    EXPECT_EQ(drives.currentDirectory(), tree.path());
    EXPECT_EQ(tree.path().rfind(drives.Drive(), 0), 0u);
}

} // namespace
} // namespace ferrolux
