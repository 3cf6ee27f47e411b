#include "settings/EditorCheck.h"

#include "TempDir.h"

#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace ferrolux {
namespace {

QString text(const std::string& path) {
    return QString::fromStdString(path);
}

class EditorCheck : public ::testing::Test {
protected:
    test::TempDir dir;

    std::string program(std::string_view name, mode_t mode) {
        const std::string path = dir.write(name, "#!/bin/sh\nexit 0\n");
        ::chmod(path.c_str(), mode);
        return path;
    }
};

TEST_F(EditorCheck, AProgramIsAnExecutableFileByItsPathOrOnPath) {
    const std::string runnable = program("ed", 0755);
    EXPECT_EQ(checkEditor(text(runnable)), EditorProblem::None);
    EXPECT_EQ(checkEditor(text(runnable) + QStringLiteral(" --new-window")), EditorProblem::None);
    EXPECT_EQ(checkEditor(QStringLiteral("sh")), EditorProblem::None) << "found on PATH";
    EXPECT_EQ(checkEditor(QStringLiteral("sh -c")), EditorProblem::None);

    EXPECT_EQ(checkEditor(text(program("notes.txt", 0644))), EditorProblem::NotExecutable);
    EXPECT_EQ(checkEditor(text(dir.mkdir("folder"))), EditorProblem::NotExecutable);

    EXPECT_EQ(checkEditor(text(dir.file("missing"))), EditorProblem::NotFound);
    EXPECT_EQ(checkEditor(QStringLiteral("no-such-editor-anywhere")), EditorProblem::NotFound);
    EXPECT_EQ(checkEditor(QStringLiteral("   ")), EditorProblem::NotFound);
}

TEST_F(EditorCheck, ABareNameIsNotLookedForInTheCurrentDirectory) {
    program("local-editor", 0755);
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(text(dir.path())));
    EXPECT_EQ(checkEditor(QStringLiteral("local-editor")), EditorProblem::NotFound);
    EXPECT_EQ(checkEditor(QStringLiteral("./local-editor")), EditorProblem::None);
    QDir::setCurrent(previous);
}

TEST_F(EditorCheck, TheStoredDefaultStandsForTheDesktopEditor) {
    EXPECT_EQ(checkEditor(QStringLiteral("notepad.exe")), EditorProblem::None);
    EXPECT_EQ(checkEditor(QStringLiteral("NotePad.EXE")), EditorProblem::None);
    EXPECT_EQ(checkEditor(QStringLiteral("wordpad.exe")), EditorProblem::NotFound);
}

TEST_F(EditorCheck, APathWithBlanksIsCheckedAsOneWordOnlyWhenQuoted) {
    const std::string spaced = program("my editor", 0755);
    EXPECT_EQ(checkEditor(text(spaced)), EditorProblem::NotFound) << "split at the blank";
    EXPECT_EQ(checkEditor(editorCommandFor(text(spaced))), EditorProblem::None);
}

TEST(EditorCommand, KeepsEveryChosenPathOneWordOfTheCommand) {
    const QStringList paths = {"/usr/bin/vim", "/opt/My Editor/ed", "/opt/a\"b/ed", "/x/tab\there"};
    for (const QString& path : paths)
        EXPECT_EQ(QProcess::splitCommand(editorCommandFor(path)), QStringList{path})
            << path.toStdString();
    EXPECT_EQ(editorCommandFor(QStringLiteral("/usr/bin/vim")), QStringLiteral("/usr/bin/vim"));
}

TEST(EditorCommand, ProblemsUseTheirMessages) {
    EXPECT_EQ(editorProblemText(EditorProblem::NotExecutable),
              QStringLiteral("The specified file is not an executable program file"));
    EXPECT_EQ(editorProblemText(EditorProblem::NotFound),
              QStringLiteral("The specified editor was not found"));
    EXPECT_TRUE(editorProblemText(EditorProblem::None).isEmpty());
}

} // namespace
} // namespace ferrolux
