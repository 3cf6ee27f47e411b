#include "TempDir.h"
#include "search/TTreeScanner.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using ferrolux::TTreeScanner;
using ferrolux::test::TempDir;

namespace {

// Runs a scan and records its events as "D <path>" and "F <path>", relative to root.
struct Recorder {
    TTreeScanner scanner;
    std::vector<std::string> events;
    std::string root;
    bool subdirectories = true;

    explicit Recorder(std::string rootDir) : root(std::move(rootDir)) {
        scanner.OnDirectoryFound = [this](TTreeScanner& s) {
            events.push_back("D " + s.FileFound().substr(root.size()));
            if (!subdirectories) s.KeepScanning = false;
        };
        scanner.OnFileFound = [this](TTreeScanner& s) {
            events.push_back("F " + s.FileFound().substr(root.size()));
        };
    }

    std::vector<std::string> scan(const std::string& mask, const std::string& start = {}) {
        events.clear();
        scanner.setInitialDirectory(start.empty() ? root : start);
        scanner.setFileMask(mask);
        scanner.Scan();
        return events;
    }
};

using Events = std::vector<std::string>;

} // namespace

TEST(TreeScanner, ReportsFilesInOrderBeforeSubdirectories) {
    TempDir dir;
    dir.write("C.txt", "c");
    dir.write("b.txt", "b");
    dir.write("a.doc", "a");
    dir.write("sub2/z.txt", "z");
    dir.write("Sub1/y.txt", "y");
    dir.write(".hidden.txt", "h");
    Recorder r(dir.path());
    EXPECT_EQ(r.scan("*.txt"), (Events{"D ", "F .hidden.txt", "F b.txt", "F C.txt", "D Sub1/",
                                       "F Sub1/y.txt", "D sub2/", "F sub2/z.txt"}));
    EXPECT_FALSE(r.scanner.SearchInProgress());
}

TEST(TreeScanner, OrderFollowsTheLocaleCollation) {
    TempDir dir;
    for (const char* name : {"z.txt", "\u00E9t\u00E9.txt", "F.txt", "~y.txt", "Ete.txt"})
        dir.write(name, "x");
    dir.write("\u00C9b/x.txt", "x");
    dir.write("ea/x.txt", "x");
    dir.write("f/x.txt", "x");
    Recorder r(dir.path());
    r.scanner.setCollationLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(r.scan("*.txt"), (Events{"D ", "F ~y.txt", "F Ete.txt", "F \u00E9t\u00E9.txt",
                                       "F F.txt", "F z.txt", "D ea/", "F ea/x.txt", "D \u00C9b/",
                                       "F \u00C9b/x.txt", "D f/", "F f/x.txt"}));
}

TEST(TreeScanner, NamesDifferingOnlyInCaseAreBothReported) {
    TempDir dir;
    dir.write("readme.txt", "1");
    dir.write("README.TXT", "2");
    Recorder r(dir.path());
    EXPECT_EQ(r.scan("*.TXT"), (Events{"D ", "F README.TXT", "F readme.txt"}));
}

TEST(TreeScanner, HandlerClearingKeepScanningKeepsSubdirectoriesOut) {
    TempDir dir;
    dir.write("top.txt", "t");
    dir.write("deeper/inner.txt", "i");
    Recorder r(dir.path());
    r.subdirectories = false;
    EXPECT_EQ(r.scan("*.*"), (Events{"D ", "F top.txt"}));
    // The next scan starts afresh.
    r.subdirectories = true;
    EXPECT_EQ(r.scan("*.*"), (Events{"D ", "F top.txt", "D deeper/", "F deeper/inner.txt"}));
}

TEST(TreeScanner, EmptyMaskVisitsDirectoriesButReportsNoFile) {
    TempDir dir;
    dir.write("a.txt", "a");
    dir.write("d/b.txt", "b");
    Recorder r(dir.path());
    EXPECT_EQ(r.scan(""), (Events{"D ", "D d/"}));
}

TEST(TreeScanner, RootSpellingsWalkTheSameDirectory) {
    TempDir dir;
    dir.write("a.txt", "a");
    std::string bare = dir.path();
    bare.pop_back();
    for (const std::string& start : {bare, dir.path(), bare + "//"}) {
        Recorder r(dir.path());
        EXPECT_EQ(r.scan("*.txt", start), (Events{"D ", "F a.txt"})) << start;
        EXPECT_EQ(r.scanner.InitialDirectory(), dir.path());
    }
}

TEST(TreeScanner, LinksFifosAndNonUtf8Names) {
    TempDir dir;
    const std::string target = dir.write("real/target.txt", "t");
    dir.mkdir("tree");
    ASSERT_EQ(::symlink(target.c_str(), dir.file("tree/link.txt").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("real").c_str(), dir.file("tree/dirlink").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("tree").c_str(), dir.file("tree/loop").c_str()), 0);
    ASSERT_EQ(::symlink("/nonexistent/x.txt", dir.file("tree/dangling.txt").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.file("tree/pipe.txt").c_str(), 0600), 0);
    dir.write("tree/caf\xE9.txt", "latin-1 name");

    Recorder r(dir.file("tree/"));
    EXPECT_EQ(r.scan("*.TXT"), (Events{"D ", "F caf\xE9.txt", "F link.txt"}));
}

TEST(TreeScanner, DirectoryThatCannotBeListedYieldsNothing) {
    TempDir dir;
    dir.write("gone/x.txt", "x");
    dir.write("keep/y.txt", "y");
    Recorder r(dir.path());
    std::vector<std::string> unreadable;
    r.scanner.OnUnreadableDirectory = [&](const std::string& path, int) {
        unreadable.push_back(path.substr(dir.path().size()));
    };
    // Removing the folder when it is announced makes it unlistable even for root.
    r.scanner.OnDirectoryFound = [&](TTreeScanner& s) {
        r.events.push_back("D " + s.FileFound().substr(dir.path().size()));
        if (s.FileFound() == dir.file("gone/")) {
            ::unlink(dir.file("gone/x.txt").c_str());
            ::rmdir(dir.file("gone").c_str());
        }
    };
    EXPECT_EQ(r.scan("*.txt"), (Events{"D ", "D gone/", "D keep/", "F keep/y.txt"}));
    EXPECT_EQ(unreadable, (Events{"gone/"}));
}

TEST(TreeScanner, UnreadableDirectoryWhenNotRoot) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root; covered by removal test";
    TempDir dir;
    dir.write("locked/x.txt", "x");
    ASSERT_EQ(::chmod(dir.file("locked").c_str(), 0), 0);
    Recorder r(dir.path());
    EXPECT_EQ(r.scan("*.txt"), (Events{"D ", "D locked/"}));
}

TEST(TreeScanner, ExactFileNameIsNotAMask) {
    TempDir dir;
    dir.write("a*.txt", "1");
    dir.write("ab.txt", "2");
    dir.write("A*.TXT", "3");
    Recorder r(dir.path());
    r.scanner.ExactFileName = true;
    EXPECT_EQ(r.scan("a*.txt"), (Events{"D ", "F a*.txt"}));
}

TEST(TreeScanner, WalksTreesDeeperThanThePathLimit) {
    TempDir dir;
    // 1,200 levels of 20-byte names: about 25,000 bytes, far past PATH_MAX.
    const std::string name(20, 'd');
    int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int level = 0; level < 1200; ++level) {
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0700), 0) << level;
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    const int file = ::openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(file, 0);
    ::close(file);
    ::close(fd);

    Recorder r(dir.path());
    const Events events = r.scan("*.txt");
    ASSERT_EQ(events.size(), 1202u);
    EXPECT_EQ(events.back().substr(0, 2), "F ");
    EXPECT_TRUE(events.back().ends_with("/bottom.txt"));
    EXPECT_GT(events.back().size(), 25000u);
}

// A reported file can be opened by name in the directory the walk holds open,
// and that directory stays open for as long as someone keeps it, even after
// the walk has moved on and the folder was renamed.
TEST(TreeScanner, AReportedFileIsOpenedByNameInItsOpenDirectory) {
    TempDir dir;
    dir.write("a/one.txt", "1");
    dir.write("a/two.txt", "2");
    dir.write("b/three.txt", "3");
    TTreeScanner scanner;
    std::vector<std::pair<std::shared_ptr<const ferrolux::UniqueFd>, std::string>> found;
    scanner.OnDirectoryFound = [&](TTreeScanner& s) { EXPECT_FALSE(s.Directory()); };
    scanner.OnFileFound = [&](TTreeScanner& s) {
        ASSERT_TRUE(s.Directory());
        const std::string& path = s.FileFound();
        found.emplace_back(s.Directory(), path.substr(path.rfind('/') + 1));
    };
    scanner.setInitialDirectory(dir.path());
    scanner.setFileMask("*.txt");
    scanner.Scan();
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].first, found[1].first) << "one directory, shared";
    EXPECT_NE(found[1].first, found[2].first);
    ASSERT_EQ(::rename(dir.file("a").c_str(), dir.file("moved").c_str()), 0);
    const std::string contents[] = {"1", "2", "3"};
    for (size_t i = 0; i < found.size(); ++i) {
        const int fd = ::openat(found[i].first->get(), found[i].second.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0) << found[i].second;
        char c = 0;
        EXPECT_EQ(::read(fd, &c, 1), 1);
        EXPECT_EQ(std::string(1, c), contents[i]);
        ::close(fd);
    }
}

// Folders held open for waiting files are bounded, so that a tree of
// one-file folders cannot run the process out of descriptors; once the
// shares are let go, folders are shared again.
TEST(TreeScanner, FewFoldersAreHeldOpenHoweverManyFilesWait) {
    TempDir dir;
    for (int i = 0; i < 300; ++i)
        dir.write(std::string("d").append(std::to_string(i)).append("/f.txt"), "x");
    TTreeScanner scanner;
    scanner.setFolderBudget(40);
    std::vector<std::shared_ptr<const ferrolux::UniqueFd>> held;
    int files = 0;
    scanner.OnFileFound = [&](TTreeScanner& s) {
        ++files;
        if (s.Directory()) held.push_back(s.Directory());
    };
    scanner.setInitialDirectory(dir.path());
    scanner.setFileMask("*.txt");
    scanner.Scan();
    EXPECT_EQ(files, 300);
    // The start folder, held for its subdirectories, counts until the last.
    EXPECT_EQ(held.size(), 40u);
    held.clear();
    scanner.Scan();
    EXPECT_EQ(held.size(), 40u) << "shares let go are shared again";
}

// However few folders may stay open, the walk is the same: a level given up
// for the budget is opened again by path when the walk comes back to it.
TEST(TreeScanner, AnyFolderBudgetWalksTheSameTree) {
    TempDir dir;
    std::string level;
    for (int depth = 0; depth < 12; ++depth) {
        dir.write(level + "f.txt", "x");
        dir.write(level + "leaf/g.txt", "x"); // walked after "deeper"
        level += "deeper/";
    }
    for (int i = 0; i < 20; ++i)
        dir.write("wide/d" + std::to_string(i) + "/h.txt", "x");
    Recorder unlimited(dir.path());
    const Events expected = unlimited.scan("*.txt");
    ASSERT_EQ(expected.size(), 89u);
    for (int budget : {0, 1, 2, 5}) {
        Recorder r(dir.path());
        r.scanner.setFolderBudget(budget);
        EXPECT_EQ(r.scan("*.txt"), expected) << "budget " << budget;
    }
}

// A folder given up for the budget and replaced meanwhile is not walked
// again under its old path: its remaining subdirectories cannot be read.
TEST(TreeScanner, AFolderReplacedWhileClosedIsNotEntered) {
    TempDir dir;
    dir.write("a/b/d/x.txt", "x");
    dir.write("a/c/y.txt", "y");
    Recorder r(dir.path());
    r.scanner.setFolderBudget(0);
    std::vector<std::string> unreadable;
    r.scanner.OnUnreadableDirectory = [&](const std::string& path, int) {
        unreadable.push_back(path.substr(dir.path().size()));
    };
    r.scanner.OnDirectoryFound = [&](TTreeScanner& s) {
        r.events.push_back("D " + s.FileFound().substr(dir.path().size()));
        if (s.FileFound() != dir.file("a/b/d/")) return;
        ASSERT_EQ(::rename(dir.file("a").c_str(), dir.file("old").c_str()), 0);
        dir.write("a/c/other.txt", "o");
    };
    EXPECT_EQ(r.scan("*.txt"),
              (Events{"D ", "D a/", "D a/b/", "D a/b/d/", "F a/b/d/x.txt", "D a/c/"}));
    EXPECT_EQ(unreadable, (Events{"a/c/"}));
}

// Folders to skip: names fitting a mask are not entered at any depth, and
// nothing is told about them; the start folder is always walked.
TEST(TreeScanner, FoldersToSkipAreNotEnteredAtAnyDepth) {
    TempDir dir;
    for (const char* file : {"a.txt", ".git/config.txt", "src/b.txt", "src/.GIT/objects/c.txt",
                             "src/build-x/d.txt", "src/builder/e.txt", "node_modules/m/f.txt"})
        dir.write(file, "x");
    const struct {
        std::vector<std::string> masks;
        Events files;
    } cases[] = {
        {{},
         {"F a.txt", "F .git/config.txt", "F node_modules/m/f.txt", "F src/b.txt",
          "F src/.GIT/objects/c.txt", "F src/build-x/d.txt", "F src/builder/e.txt"}},
        {{".git"},
         {"F a.txt", "F node_modules/m/f.txt", "F src/b.txt", "F src/build-x/d.txt",
          "F src/builder/e.txt"}},
        {{"build-?", "NODE_MODULES"},
         {"F a.txt", "F .git/config.txt", "F src/b.txt", "F src/.GIT/objects/c.txt",
          "F src/builder/e.txt"}},
        {{"*"}, {"F a.txt"}},
        {{"src/build*"},
         {"F a.txt", "F .git/config.txt", "F node_modules/m/f.txt", "F src/b.txt",
          "F src/.GIT/objects/c.txt", "F src/build-x/d.txt",
          "F src/builder/e.txt"}}, // masks fit names, not paths
    };
    for (const auto& c : cases) {
        Recorder r(dir.path());
        r.scanner.FoldersToSkip = c.masks;
        std::vector<std::string> unreadable;
        r.scanner.OnUnreadableDirectory = [&](const std::string& path, int) {
            unreadable.push_back(path);
        };
        Events files, expected = c.files; // in any order: the locale's is not at stake here
        for (const std::string& event : r.scan("*.txt"))
            if (event[0] == 'F') files.push_back(event);
        std::sort(files.begin(), files.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(files, expected) << ::testing::PrintToString(c.masks);
        EXPECT_TRUE(unreadable.empty());
    }
    Recorder inside(dir.file(".git/"));
    inside.scanner.FoldersToSkip = {".git"};
    EXPECT_EQ(inside.scan("*.txt"), (Events{"D ", "F config.txt"}));
}
