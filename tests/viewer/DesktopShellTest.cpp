#include "platform/ui/DesktopShell.h"

#include "TempDir.h"

#include <QThread>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace ferrolux {
namespace {

using test::readFile;
using test::TempDir;

std::string script(const TempDir& dir, const std::string& name, const std::string& body) {
    const std::string path = dir.write(name, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
    return path;
}

// Waits (not timed as a test) until the started program has written its file.
std::string waitForFile(const std::string& path) {
    for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i)
        QThread::msleep(20);
    QThread::msleep(50);
    return readFile(path);
}

TEST(DesktopShell, StartsAProgramWithEachArgumentWhole) {
    TempDir dir;
    const std::string program = script(dir, "record.sh",
                                       "out=$1; shift; printf '%s|' \"$#\" \"$@\" > \"$out.tmp\"; "
                                       "mv \"$out.tmp\" \"$out\"\n");
    const std::string path = "/My Files/caf\xE9 $HOME *.txt";
    DesktopShell shell;
    ASSERT_TRUE(shell.startDetached({program, dir.file("out"), path}));
    EXPECT_EQ(waitForFile(dir.file("out")), "1|" + path + "|");
}

TEST(DesktopShell, FindsInstalledPrograms) {
    DesktopShell shell;
    EXPECT_TRUE(shell.isInstalled(QStringLiteral("sh")));
    EXPECT_FALSE(shell.isInstalled(QStringLiteral("no-such-program-ferrolux")));
}

class FakeXdgMime : public ::testing::Test {
protected:
    TempDir bin;
    QByteArray oldPath = qgetenv("PATH");

    FakeXdgMime() {
        // Knows an application for plain text only.
        script(bin, "xdg-mime", "[ \"$3\" = text/plain ] && echo editor.desktop\nexit 0\n");
        qputenv("PATH", QByteArray::fromStdString(bin.path()) + ":" + oldPath);
    }
    ~FakeXdgMime() override { qputenv("PATH", oldPath); }
};

TEST_F(FakeXdgMime, AFileTypeWithoutAnApplicationIsTold) {
    TempDir files;
    EXPECT_TRUE(hasAssociatedApplication(files.write("notes.txt", "hello\n")));
    // C source derives from plain text, so its application serves.
    EXPECT_TRUE(hasAssociatedApplication(files.write("main.c", "int main(){}\n")));
    EXPECT_FALSE(hasAssociatedApplication(files.write("image.png", "\x89PNG\r\n\x1a\n")));
}

} // namespace
} // namespace ferrolux
