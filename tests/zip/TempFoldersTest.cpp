#include "platform/files/TempFolders.h"

#include "ZipFixtures.h"

#include <QDir>
#include <QFile>
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
        const std::string folder = createExtractionFolder("/data/child.zip");
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

TEST(CreateExtractionFolder, NamesTheFolderAfterTheArchiveAndKeepsSameNamesApart) {
    const std::string first = createExtractionFolder("/data/one/DOCS.ZIP");
    const std::string second = createExtractionFolder("/data/two/DOCS.ZIP");
    const std::string third = createExtractionFolder("DOCS.ZIP");
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
    const std::string first = createExtractionFolder("/x/" + name);
    const std::string second = createExtractionFolder("/y/" + name);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(isExtractionFolder(first));
    EXPECT_TRUE(isExtractionFolder(second));
    ::rmdir(first.c_str());
    ::rmdir(second.c_str());
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
