#include "DeepPath.h"
#include "TempDir.h"
#include "platform/posix/OpenPath.h"
#include "platform/posix/UniqueFd.h"
#include "search/GrepEngine.h"
#include "search/MatchListing.h"
#include "search/TTreeScanner.h"

#include <climits>
#include <fcntl.h>
#include <gtest/gtest.h>

using namespace ferrolux;
using ferrolux::test::makeDirectoryOfLength;
using ferrolux::test::TempDir;
using ferrolux::test::writeDeepFile;

namespace {

// Folder paths (with their trailing "/") around the path limit and far past it.
const size_t kLengths[] = {PATH_MAX - 2, PATH_MAX - 1, PATH_MAX, PATH_MAX + 1, 3 * PATH_MAX + 7};

std::vector<std::string> walk(const std::string& root) {
    std::vector<std::string> found;
    TTreeScanner scanner;
    scanner.OnFileFound = [&](TTreeScanner& s) { found.push_back(s.FileFound()); };
    scanner.setInitialDirectory(root);
    scanner.setFileMask("*.txt");
    scanner.Scan();
    return found;
}

} // namespace

TEST(LongPaths, FoldersAroundThePathLimitAreWalkedAndTheirFilesRead) {
    for (size_t length : kLengths) {
        TempDir dir;
        const std::string folder = makeDirectoryOfLength(dir.path(), length);
        ASSERT_EQ(folder.size(), length);
        const std::string file = writeDeepFile(folder + "f.txt", "one\nneedle two\n");

        EXPECT_EQ(walk(dir.path()), std::vector<std::string>{file}) << length;
        EXPECT_TRUE(UniqueFd(openPath(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC))) << length;
        const UniqueFd opened(openRegularFile(file));
        ASSERT_TRUE(opened) << length;
        char head[3] = {};
        EXPECT_EQ(::pread(opened.get(), head, 3, 0), 3);
        EXPECT_EQ(std::string(head, 3), "one");
    }
}

TEST(LongPaths, MatchLinesOfADeepFileAreListed) {
    for (size_t length : kLengths) {
        TempDir dir;
        const std::string folder = makeDirectoryOfLength(dir.path(), length);
        writeDeepFile(folder + "f.txt", "one\nneedle two\n");
        const FileResult row{"f.txt", folder, 1, "T", 15, {}, {}, 0};
        GrepEngine engine;
        const std::vector<MatchLine> lines =
            listFileMatches(engine, row, "needle", GrepFalse, 5, 300);
        ASSERT_EQ(lines.size(), 1u) << length;
        EXPECT_EQ(lines[0].LineNumber, "2");
        EXPECT_EQ(lines[0].Text, "needle two");

        const FileResult binaryRow{"f.txt", folder, 1, "B", 15, {}, {}, 0};
        ASSERT_EQ(listFileMatches(engine, binaryRow, "needle", GrepFalse, 5, 300).size(), 1u)
            << length;
    }
}

TEST(LongPaths, OddSpellingsOfALongPath) {
    TempDir dir;
    const std::string folder = makeDirectoryOfLength(dir.path(), 2 * PATH_MAX);
    const std::string file = writeDeepFile(folder + "f.txt", "x");
    // Doubled slashes where a stretch of the path would begin.
    std::string doubled;
    for (size_t at = 0; at < folder.size(); ++at) {
        doubled += folder[at];
        if (folder[at] == '/' && at + 300 > PATH_MAX && at < PATH_MAX + 300) doubled += '/';
    }
    EXPECT_TRUE(UniqueFd(openRegularFile(doubled + "f.txt")));
    EXPECT_TRUE(UniqueFd(openPath(doubled + "/", O_RDONLY | O_DIRECTORY)));
    // A trailing "/" after a file, and a missing file, fail as open(2) fails.
    EXPECT_FALSE(UniqueFd(openPath(file + "/", O_RDONLY)));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(UniqueFd(openRegularFile(folder + "missing.txt")));
    EXPECT_EQ(errno, ENOENT);
}
