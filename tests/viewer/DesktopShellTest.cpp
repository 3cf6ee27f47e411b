#include "platform/ui/DesktopShell.h"

#include "TempDir.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <csignal>
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

// Waits (not timed as a test) until the started program has written its
// file (whole: it is moved into place).
std::string waitForFile(const std::string& path) {
    if (!QTest::qWaitFor([&path] { return std::filesystem::exists(path); }, 10000)) return {};
    return readFile(path);
}

// Waits until a program has ended and its watcher has reaped it: its process
// is gone (an unreaped one lingers as a zombie). Then what the watcher
// reported from its end has been delivered.
bool waitUntilReaped(pid_t pid) {
    const bool reaped =
        QTest::qWaitFor([pid] { return ::kill(pid, 0) != 0 && errno == ESRCH; }, 10000);
    QCoreApplication::processEvents();
    return reaped;
}

TEST(DesktopShell, StartsAProgramWithEachArgumentWhole) {
    TempDir dir;
    const std::string program = script(dir, "record.sh",
                                       "out=$1; shift; printf '%s|' $$ \"$#\" \"$@\" > "
                                       "\"$out.tmp\"; mv \"$out.tmp\" \"$out\"\n");
    const std::string path = "/My Files/caf\xE9 $HOME *.txt";
    DesktopShell shell;
    bool failed = false;
    shell.start({program, dir.file("out"), path},
                [&failed](const LaunchFailure&) { failed = true; });
    const std::string written = waitForFile(dir.file("out"));
    const size_t pidEnd = written.find('|');
    ASSERT_NE(pidEnd, std::string::npos) << written;
    EXPECT_EQ(written.substr(pidEnd + 1), "1|" + path + "|");
    ASSERT_TRUE(waitUntilReaped(pid_t(std::stol(written.substr(0, pidEnd)))));
    EXPECT_FALSE(failed);
}

// Collects the failures of what a shell started.
struct Failures {
    std::vector<LaunchFailure> seen;
    LaunchFailed recorder() {
        return [this](const LaunchFailure& failure) { seen.push_back(failure); };
    }
    bool waitForOne() {
        return QTest::qWaitFor([this] { return !seen.empty(); }, 10000);
    }
};

TEST(DesktopShell, AProgramThatCannotStartIsToldAtOnce) {
    DesktopShell shell;
    Failures failures;
    shell.start({"/no/such/editor", "/f"}, failures.recorder());
    ASSERT_EQ(failures.seen.size(), 1u);
    EXPECT_EQ(failures.seen[0].command, (std::vector<std::string>{"/no/such/editor", "/f"}));
    EXPECT_EQ(failures.seen[0].reason,
              QStringLiteral("It could not be started: No such file or directory."));
}

TEST(DesktopShell, AProgramThatEndsWithAnErrorOrACrashIsTold) {
    TempDir dir;
    DesktopShell shell;
    Failures failures;
    shell.start({script(dir, "fails.sh", "exit 3\n"), "/f"}, failures.recorder());
    ASSERT_TRUE(failures.waitForOne());
    EXPECT_EQ(failures.seen[0].reason, QStringLiteral("It ended with exit status 3."));
    EXPECT_EQ(failures.seen[0].command.back(), "/f");

    failures.seen.clear();
    shell.start({script(dir, "crashes.sh", "kill -SEGV $$\n")}, failures.recorder());
    ASSERT_TRUE(failures.waitForOne());
    EXPECT_TRUE(failures.seen[0].reason.startsWith(QStringLiteral("It ended with signal 11")))
        << failures.seen[0].reason.toStdString();
}

// Runs a nested event loop for a few turns, as a modal message box does while
// the user reads it: long enough for whatever is ready to fire again.
void readABox() {
    QEventLoop loop;
    int turns = 0;
    QTimer turn;
    QObject::connect(&turn, &QTimer::timeout, [&] {
        if (++turns == 20) loop.quit();
    });
    turn.start(0);
    loop.exec();
}

TEST(DesktopShell, AFailureReportedInAModalBoxIsToldOnceAndTheWatchSurvivesIt) {
    TempDir dir;
    DesktopShell shell;
    int told = 0;
    shell.start({script(dir, "fails.sh", "exit 1\n")}, [&told](const LaunchFailure&) {
        ++told;
        readABox();
    });
    ASSERT_TRUE(QTest::qWaitFor([&told] { return told > 0; }, 10000));
    readABox();
    EXPECT_EQ(told, 1);
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

TEST_F(FakeXdgMime, TheDesktopsOpenerIsWatchedForFailures) {
    script(bin, "xdg-open", "[ -f \"$1\" ] && exit 4\nexit 0\n");
    TempDir files;
    const std::string notes = files.write("my notes.txt", "hello\n");
    DesktopShell shell;
    Failures failures;
    EXPECT_EQ(shell.openDocument(notes, failures.recorder()), Shell::OpenResult::Opened);
    ASSERT_TRUE(failures.waitForOne());
    EXPECT_EQ(failures.seen[0].command, (std::vector<std::string>{"xdg-open", notes}));
    EXPECT_EQ(failures.seen[0].reason, QStringLiteral("It ended with exit status 4."));
}

TEST_F(FakeXdgMime, AFileTypeWithoutAnApplicationIsTold) {
    TempDir files;
    EXPECT_TRUE(hasAssociatedApplication(files.write("notes.txt", "hello\n")));
    // C source derives from plain text, so its application serves.
    EXPECT_TRUE(hasAssociatedApplication(files.write("main.c", "int main(){}\n")));
    EXPECT_FALSE(hasAssociatedApplication(files.write("image.png", "\x89PNG\r\n\x1a\n")));
}

} // namespace
} // namespace ferrolux
