#include "platform/files/TempFolders.h"

#include "TempDir.h"
#include "ZipFixtures.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ferrolux {
namespace {

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

TEST(TempFolderPath, IsAPrivateFolderInsideTheSystemTemporaryFolder) {
    const std::string root = TempFolderPath();
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(root.back(), '/');
    const std::string system = QFile::encodeName(QDir::tempPath()).toStdString() + "/";
    EXPECT_EQ(root.compare(0, system.size(), system), 0);
    EXPECT_EQ(root.find('/', system.size()), root.size() - 1); // directly inside it
    struct stat info {};
    ASSERT_EQ(::lstat(root.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, ::getuid());
    EXPECT_EQ(TempFolderPath(), root);
}

TEST(TempFolderPath, IsRemovedWhenTheProcessExits) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string root = TempFolderPath();
        ::close(pipeFds[0]);
        if (::write(pipeFds[1], root.data(), root.size()) < 0) _exit(2);
        ::close(pipeFds[1]);
        const std::string folder = createExtractionFolder("/data/child.zip").path;
        const std::string file = folder + "/member.txt";
        if (FILE* out = std::fopen(file.c_str(), "w")) std::fclose(out);
        std::exit(0); // runs the exit handlers, unlike _exit
    }
    ::close(pipeFds[1]);
    std::string root(4096, '\0');
    const ssize_t got = ::read(pipeFds[0], root.data(), root.size());
    ::close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_GT(got, 0);
    root.resize(static_cast<size_t>(got));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(root, TempFolderPath()); // the child made its own
    EXPECT_FALSE(exists(root));
}

// A forked child that makes its private folder (with TMPDIR as given),
// tells its path, and then either ends at once without any cleanup, as
// after SIGKILL, or runs until told to end.
class OwnerProcess {
public:
    OwnerProcess(const std::string& tmpdir, bool keepRunning) {
        int toParent[2], toChild[2];
        if (::pipe(toParent) != 0 || ::pipe(toChild) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(toParent[0]);
            ::close(toChild[1]);
            ::setenv("TMPDIR", tmpdir.c_str(), 1);
            const std::string root = TempFolderPath();
            const std::string folder = createExtractionFolder("/data/owned.zip").path;
            if (FILE* out = std::fopen((folder + "/member.txt").c_str(), "w")) std::fclose(out);
            if (::write(toParent[1], root.data(), root.size()) < 0) _exit(2);
            ::close(toParent[1]);
            char ignored;
            if (keepRunning && ::read(toChild[0], &ignored, 1) < 0) _exit(2);
            _exit(0); // no exit handlers: the folder stays
        }
        ::close(toParent[1]);
        ::close(toChild[0]);
        toChild_ = toChild[1];
        std::string root(4096, '\0');
        const ssize_t got = ::read(toParent[0], root.data(), root.size());
        ::close(toParent[0]);
        root_ = root.substr(0, size_t(std::max<ssize_t>(got, 0)));
        if (!keepRunning) end();
    }
    ~OwnerProcess() { end(); }

    const std::string& root() const { return root_; }
    void end() {
        if (toChild_ >= 0) ::close(toChild_);
        toChild_ = -1;
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int toChild_ = -1;
    std::string root_;
};

TEST(TempFolderPath, ATmpdirThatNamesNoFolderFallsBackToTheSystemTemporaryFolder) {
    test::TempDir dir;
    const std::string file = dir.write("plain-file", "x");
    for (const std::string& tmpdir : {dir.file("missing"), file}) {
        OwnerProcess owner(tmpdir, false);
        EXPECT_TRUE(owner.root().starts_with("/tmp/ferrolux-"))
            << tmpdir << " gave " << owner.root();
        reclaimAbandonedFolders(); // the child ended without removing it
        EXPECT_FALSE(exists(owner.root()));
    }
    OwnerProcess owner(dir.path(), false);
    EXPECT_TRUE(owner.root().starts_with(dir.path() + "ferrolux-")) << owner.root();
}

TEST(ReclaimAbandonedFolders, RemovesOnlyTheFoldersOfProcessesThatAreGone) {
    test::TempDir dir;
    const std::string precious = dir.write("precious/keep.txt", "keep");
    OwnerProcess running(dir.path(), true);
    OwnerProcess gone(dir.path(), false);
    ASSERT_TRUE(exists(running.root()));
    ASSERT_TRUE(exists(gone.root()));
    ASSERT_EQ(::symlink(dir.file("precious").c_str(), (gone.root() + "link").c_str()), 0);
    // Look-alikes: a link, a folder open to others, another user's folder.
    ASSERT_EQ(::symlink(dir.file("precious").c_str(), dir.file("ferrolux-aLink0").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.file("ferrolux-public").c_str(), 0755), 0);
    OwnerProcess other(dir.path(), false);
    const bool otherUser = ::geteuid() == 0 && ::chown(other.root().c_str(), 65534, 65534) == 0;

    const char* previous = std::getenv("TMPDIR");
    const std::string saved = previous ? previous : "";
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    const int reclaimed = reclaimAbandonedFolders();
    EXPECT_EQ(reclaimed, otherUser ? 1 : 2);
    EXPECT_FALSE(exists(gone.root()));
    EXPECT_TRUE(exists(running.root() + "owned.zip/member.txt")) << "its owner still runs";
    EXPECT_EQ(test::readFile(precious), "keep");
    EXPECT_TRUE(exists(dir.file("ferrolux-aLink0")));
    EXPECT_TRUE(exists(dir.file("ferrolux-public")));
    EXPECT_EQ(exists(other.root()), otherUser);

    running.end();
    EXPECT_EQ(reclaimAbandonedFolders(), 1);
    EXPECT_FALSE(exists(running.root()));
    if (previous)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

TEST(CreateExtractionFolder, NamesTheFolderAfterTheArchiveAndKeepsSameNamesApart) {
    const std::string first = createExtractionFolder("/data/one/DOCS.ZIP").path;
    const std::string second = createExtractionFolder("/data/two/DOCS.ZIP").path;
    const std::string third = createExtractionFolder("DOCS.ZIP").path;
    EXPECT_EQ(first, TempFolderPath() + "DOCS.ZIP");
    EXPECT_EQ(second, TempFolderPath() + "DOCS.ZIP (2)");
    EXPECT_EQ(third, TempFolderPath() + "DOCS.ZIP (3)");
    for (const std::string& folder : {first, second, third}) {
        struct stat info {};
        ASSERT_EQ(::lstat(folder.c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        ::rmdir(folder.c_str());
    }
}

TEST(CreateExtractionFolder, ALongArchiveNameStillGetsADistinctFolder) {
    const std::string name = std::string(250, 'L') + ".zip";
    const std::string first = createExtractionFolder("/x/" + name).path;
    const std::string second = createExtractionFolder("/y/" + name).path;
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(isExtractionFolder(first));
    EXPECT_TRUE(isExtractionFolder(second));
    ::rmdir(first.c_str());
    ::rmdir(second.c_str());
}

TEST(CreateExtractionFolder, TellsWhyWhenTheTemporaryFolderCannotBeWritten) {
    test::TempDir dir;
    const std::string readOnly = dir.mkdir("read-only");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0); // so that it is still found
    ASSERT_EQ(::chmod(readOnly.c_str(), 0555), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Root may write anywhere: the check runs as nobody then.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) _exit(2);
        ::setenv("TMPDIR", readOnly.c_str(), 1);
        const ExtractionFolder folder = createExtractionFolder("/data/a.zip");
        _exit(folder.path.empty() && !folder.folder && folder.error == EACCES ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ::chmod(readOnly.c_str(), 0755);
}

TEST(IsExtractionFolder, AcceptsOnlyFoldersDirectlyInsideThePrivateFolder) {
    const std::string root = TempFolderPath();
    EXPECT_TRUE(isExtractionFolder(root + "DOCS.ZIP"));
    EXPECT_TRUE(isExtractionFolder(root + "A, B.ZIP/"));
    EXPECT_FALSE(isExtractionFolder(root));
    EXPECT_FALSE(isExtractionFolder(root.substr(0, root.size() - 1)));
    EXPECT_FALSE(isExtractionFolder(root + ".."));
    EXPECT_FALSE(isExtractionFolder(root + "."));
    EXPECT_FALSE(isExtractionFolder(root + "x/../.."));
    EXPECT_FALSE(isExtractionFolder(root + "a/b"));
    EXPECT_FALSE(isExtractionFolder("/home/user/DOCS.ZIP"));
    EXPECT_FALSE(isExtractionFolder(""));
}

} // namespace
} // namespace ferrolux
