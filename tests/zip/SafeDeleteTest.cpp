#include "platform/files/SafeDelete.h"

#include "TempDir.h"
#include "ZipFixtures.h"
#include "platform/posix/UniqueFd.h"

#include <fcntl.h>
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

UniqueFd openFolder(const std::string& path) {
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

TEST(DeleteEntryAt, RemovesAFolderWithEverythingInIt) {
    TempDir dir;
    dir.write("victim/a.txt", "a");
    dir.write("victim/sub/deeper/b.txt", "b");
    dir.write("victim/.hidden", "h");
    dir.write("sibling.txt", "stays");
    EXPECT_TRUE(deleteEntryAt(openFolder(dir.path()).get(), "victim"));
    EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{"sibling.txt"});
}

TEST(DeleteEntryAt, ALinkInsideTheFolderIsRemovedWithoutTouchingItsTarget) {
    TempDir dir;
    const std::string precious = dir.mkdir("precious");
    dir.write("precious/file.txt", "keep");
    dir.write("folder/own.txt", "go");
    ASSERT_EQ(::symlink(precious.c_str(), dir.file("folder/to-folder").c_str()), 0);
    ASSERT_EQ(::symlink((precious + "/file.txt").c_str(), dir.file("folder/to-file").c_str()), 0);
    ASSERT_EQ(::symlink("/nonexistent", dir.file("folder/dangling").c_str()), 0);
    EXPECT_TRUE(deleteEntryAt(openFolder(dir.path()).get(), "folder"));
    EXPECT_FALSE(exists(dir.file("folder")));
    EXPECT_EQ(readFile(precious + "/file.txt"), "keep");
}

TEST(DeleteEntryAt, AFolderReplacedByALinkLeavesTheTargetAlone) {
    TempDir dir;
    const std::string precious = dir.mkdir("precious");
    dir.write("precious/file.txt", "keep");
    ASSERT_EQ(::symlink(precious.c_str(), dir.file("extracted").c_str()), 0);
    EXPECT_TRUE(deleteEntryAt(openFolder(dir.path()).get(), "extracted"));
    EXPECT_EQ(readFile(precious + "/file.txt"), "keep");
    EXPECT_FALSE(exists(dir.file("extracted")));
}

TEST(DeleteEntryAt, WorksInsideTheFolderItWasGivenWhereverThatFolderMoves) {
    TempDir dir;
    dir.write("held/victim/a.txt", "a");
    dir.write("precious/victim/keep.txt", "keep");
    const UniqueFd held = openFolder(dir.file("held"));
    // The held folder's path now leads somewhere else entirely.
    ASSERT_EQ(::rename(dir.file("held").c_str(), dir.file("moved").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("precious").c_str(), dir.file("held").c_str()), 0);
    EXPECT_TRUE(deleteEntryAt(held.get(), "victim"));
    EXPECT_EQ(folderNames(dir.file("moved")), std::vector<std::string>{});
    EXPECT_EQ(readFile(dir.file("precious/victim/keep.txt")), "keep");
}

TEST(DeleteEntryAt, AMissingNameCountsAsDeletedAndNamesThatAreNoEntryAreRefused) {
    TempDir dir;
    dir.write("inner/x", "x");
    const UniqueFd folder = openFolder(dir.file("inner"));
    EXPECT_TRUE(deleteEntryAt(folder.get(), "missing"));
    EXPECT_FALSE(deleteEntryAt(folder.get(), ""));
    EXPECT_FALSE(deleteEntryAt(folder.get(), "."));
    EXPECT_FALSE(deleteEntryAt(folder.get(), ".."));
    EXPECT_FALSE(deleteEntryAt(folder.get(), "../inner"));
    EXPECT_TRUE(exists(dir.file("inner/x")));
}

TEST(DeleteContentsAt, EmptiesTheFolderAndKeepsIt) {
    TempDir dir;
    dir.write("inner/a", "a");
    dir.write("inner/b/c", "c");
    deleteContentsAt(openFolder(dir.file("inner")).get());
    EXPECT_TRUE(exists(dir.file("inner")));
    EXPECT_EQ(folderNames(dir.file("inner")), std::vector<std::string>{});
}

} // namespace
} // namespace ferrolux
