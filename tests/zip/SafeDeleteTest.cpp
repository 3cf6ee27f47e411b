#include "platform/files/SafeDelete.h"

#include "TempDir.h"
#include "ZipFixtures.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux {
namespace {

using test::folderNames;
using test::readFile;
using test::TempDir;

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

TEST(DeleteTree, RemovesAFolderWithEverythingInIt) {
    TempDir dir;
    dir.write("victim/a.txt", "a");
    dir.write("victim/sub/deeper/b.txt", "b");
    dir.write("victim/.hidden", "h");
    dir.write("sibling.txt", "stays");
    EXPECT_TRUE(deleteTree(dir.file("victim")));
    EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{"sibling.txt"});
}

TEST(DeleteTree, ALinkInsideTheFolderIsRemovedWithoutTouchingItsTarget) {
    TempDir dir;
    const std::string precious = dir.mkdir("precious");
    dir.write("precious/file.txt", "keep");
    dir.write("folder/own.txt", "go");
    ASSERT_EQ(::symlink(precious.c_str(), dir.file("folder/to-folder").c_str()), 0);
    ASSERT_EQ(::symlink((precious + "/file.txt").c_str(), dir.file("folder/to-file").c_str()), 0);
    ASSERT_EQ(::symlink("/nonexistent", dir.file("folder/dangling").c_str()), 0);
    EXPECT_TRUE(deleteTree(dir.file("folder")));
    EXPECT_FALSE(exists(dir.file("folder")));
    EXPECT_EQ(readFile(precious + "/file.txt"), "keep");
}

TEST(DeleteTree, AFolderReplacedByALinkLeavesTheTargetAlone) {
    TempDir dir;
    const std::string precious = dir.mkdir("precious");
    dir.write("precious/file.txt", "keep");
    ASSERT_EQ(::symlink(precious.c_str(), dir.file("extracted").c_str()), 0);
    for (const std::string& path : {dir.file("extracted"), dir.file("extracted/")}) {
        deleteTree(path);
        EXPECT_EQ(readFile(precious + "/file.txt"), "keep") << path;
    }
    EXPECT_FALSE(exists(dir.file("extracted")));
}

TEST(DeleteTree, AMissingPathCountsAsDeletedAndNamesThatAreNoFolderAreRefused) {
    TempDir dir;
    EXPECT_TRUE(deleteTree(dir.file("missing")));
    EXPECT_TRUE(deleteTree(dir.file("missing/deeper")));
    EXPECT_FALSE(deleteTree(""));
    EXPECT_FALSE(deleteTree("/"));
    EXPECT_FALSE(deleteTree(dir.file(".")));
    EXPECT_FALSE(deleteTree(dir.file("..")));
    EXPECT_TRUE(exists(dir.path()));
}

} // namespace
} // namespace ferrolux
