#include "results/FileActions.h"

#include "FakeHost.h"
#include "MessageBoxRecorder.h"
#include "results/RegExpTokens.h"
#include "results/ResultTexts.h"

#include <gtest/gtest.h>

namespace ferrolux {
namespace {

using test::diskRow;
using test::FakeHost;
using test::FakeShell;
using test::MessageBoxRecorder;

FileResult archiveMember() {
    FileResult row = diskRow("/data/docs.zip", "inner.txt");
    row.ExtractedPath = "/tmp/ferrolux-x/docs.zip/inner.txt";
    return row;
}

class FileActionsTest : public ::testing::Test {
protected:
    FakeHost host;
    FakeShell shell;
    FileActions actions{host, shell};
    MessageBoxRecorder boxes;
};

TEST_F(FileActionsTest, WithoutASelectedRowNothingHappens) {
    actions.View1Click();
    actions.Open1Click();
    actions.Edit1Click();
    host.match = SelectedMatch{0, "3"};
    actions.lstLines1DblClick();
    EXPECT_TRUE(host.viewers.empty());
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_TRUE(shell.started.empty());
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(actions.CurrentFilePath, "");
}

TEST_F(FileActionsTest, ViewOpensTheViewerAtTheTopWithTheFilesPathInTheCaption) {
    host.row = diskRow("/home/u/My Files/", "a.txt");
    actions.View1Click();
    ASSERT_EQ(host.viewers.size(), 1u);
    EXPECT_EQ(host.viewers[0].CurrentFilePath, "/home/u/My Files/a.txt");
    EXPECT_EQ(host.viewers[0].caption, QStringLiteral("File Viewer - /home/u/My Files/a.txt"));
    EXPECT_EQ(host.viewers[0].TargetMatch, -1);
    EXPECT_EQ(actions.CurrentFilePath, "/home/u/My Files/a.txt");
}

TEST_F(FileActionsTest, AnArchiveMemberIsViewedFromItsCopyWithoutTheQuestion) {
    host.row = archiveMember();
    actions.View1Click();
    ASSERT_EQ(host.viewers.size(), 1u);
    EXPECT_EQ(host.viewers[0].CurrentFilePath, "/tmp/ferrolux-x/docs.zip/inner.txt");
    EXPECT_EQ(host.viewers[0].caption,
              QStringLiteral("File Viewer - inner.txt (in /data/docs.zip)"));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(FileActionsTest, DoubleClickTargetsTheLineNumberOrTheRowPosition) {
    host.row = diskRow("/d/", "t.txt", "T");
    host.match = SelectedMatch{4, "117"};
    actions.lstLines1DblClick();
    host.row = diskRow("/d/", "b.bin", "B");
    host.match = SelectedMatch{2, ""};
    actions.lstLines1DblClick();
    ASSERT_EQ(host.viewers.size(), 2u);
    EXPECT_EQ(host.viewers[0].TargetMatch, 117);
    EXPECT_EQ(host.viewers[1].TargetMatch, 2);
    EXPECT_EQ(host.viewers[1].CurrentFilePath, "/d/b.bin");
}

TEST_F(FileActionsTest, DoubleClickWithoutAUsableMatchRowDoesNothing) {
    host.row = diskRow("/d/", "t.txt", "T");
    actions.lstLines1DblClick(); // no match row selected
    for (const char* bad : {"", "12a", "x", " 5"}) {
        host.match = SelectedMatch{0, bad};
        actions.lstLines1DblClick();
    }
    EXPECT_TRUE(host.viewers.empty());
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(FileActionsTest, OpenHandsTheFileToTheDesktop) {
    host.row = diskRow("/d/", "photo.jpg");
    actions.Open1Click();
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"/d/photo.jpg"}));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(FileActionsTest, AFailedOpenerOrEditorIsToldWithTheCommandTried) {
    host.row = diskRow("/home/u/My Files/", "it's.txt");
    shell.failure = QStringLiteral("It ended with exit status 4.");
    actions.Open1Click();
    host.config.Editor = QStringLiteral("vim -p");
    shell.failure = QStringLiteral("It could not be started: No such file or directory.");
    actions.Edit1Click();
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].text,
              QStringLiteral("Unable to open file - the desktop's opener failed.\n\n"
                             "Command: xdg-open '/home/u/My Files/it'\\''s.txt'\n"
                             "It ended with exit status 4."));
    EXPECT_EQ(boxes.boxes()[1].text,
              QStringLiteral("Unable to edit file - the editor failed.\n\n"
                             "Command: vim -p '/home/u/My Files/it'\\''s.txt'\n"
                             "It could not be started: No such file or directory."));
    for (const auto& box : boxes.boxes()) {
        EXPECT_EQ(box.caption, QStringLiteral("Ferrolux"));
        EXPECT_EQ(box.flags, unsigned(MB_OK | MB_ICONWARNING));
    }
}

TEST_F(FileActionsTest, OpenWithoutAnAssociatedApplicationSaysSo) {
    host.row = diskRow("/d/", "data.xyz");
    shell.answer = Shell::OpenResult::NoAssociation;
    actions.Open1Click();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text,
              QStringLiteral(
                  "Unable to open file - no associated application exists for this extension"));
    EXPECT_EQ(boxes.boxes()[0].flags, unsigned(MB_OK));
}

TEST_F(FileActionsTest, OpenAndEditOfAnArchiveMemberAskFirst) {
    host.row = archiveMember();
    host.config.Editor = QStringLiteral("vi");
    boxes.answerNext(IDNO);
    actions.Open1Click();
    boxes.answerNext(IDNO);
    actions.Edit1Click();
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_TRUE(shell.started.empty());
    EXPECT_EQ(actions.CurrentFilePath, "/tmp/ferrolux-x/docs.zip/inner.txt");

    boxes.answerNext(IDYES);
    actions.Open1Click();
    boxes.answerNext(IDYES);
    actions.Edit1Click();
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"/tmp/ferrolux-x/docs.zip/inner.txt"}));
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0].back(), "/tmp/ferrolux-x/docs.zip/inner.txt");

    ASSERT_EQ(boxes.boxes().size(), 4u);
    for (const auto& box : boxes.boxes()) {
        EXPECT_EQ(box.caption, QStringLiteral("Warning"));
        EXPECT_EQ(box.text, zipCopyQuestion().text);
        EXPECT_EQ(box.flags, unsigned(MB_YESNO | MB_ICONWARNING));
    }
    EXPECT_EQ(boxes.boxes()[0].text,
              QStringLiteral("When opening or editing a file extracted from a Zip file,\n"
                             "you are working on a temporary copy of the extracted file.\n"
                             "Any changes you make will NOT be saved to the original Zip file.\n"
                             "Do you want to proceed?"));
}

TEST_F(FileActionsTest, EditStartsTheEditorWithThePathAsOneArgument) {
    host.row = diskRow("/home/u/My Files/", "a b.txt");
    host.config.Editor = QStringLiteral("emacs -nw --eval \"(setq x 1)\"");
    actions.Edit1Click();
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0], (std::vector<std::string>{"emacs", "-nw", "--eval", "(setq x 1)",
                                                          "/home/u/My Files/a b.txt"}));
    EXPECT_EQ(host.config.Editor, QStringLiteral("emacs -nw --eval \"(setq x 1)\""));
}

TEST(EditorCommand, TheStoredDefaultOrNothingFallsBackToAnInstalledDesktopEditor) {
    FakeShell shell;
    shell.installed = {QStringLiteral("kate"), QStringLiteral("geany")};
    const std::vector<std::string> kate = {"kate", "/f"};
    EXPECT_EQ(editorCommand(QStringLiteral("notepad.exe"), "/f", shell), kate);
    EXPECT_EQ(editorCommand(QString(), "/f", shell), kate);
    EXPECT_EQ(editorCommand(QStringLiteral("   "), "/f", shell), kate);
    shell.installed.clear();
    EXPECT_EQ(editorCommand(QStringLiteral("notepad.exe"), "/f", shell),
              (std::vector<std::string>{"xdg-open", "/f"}));
    // A notepad.exe that is installed, or any other editor, is used as stored.
    shell.installed = {QStringLiteral("notepad.exe"), QStringLiteral("gedit")};
    EXPECT_EQ(editorCommand(QStringLiteral("notepad.exe"), "/f", shell),
              (std::vector<std::string>{"notepad.exe", "/f"}));
    EXPECT_EQ(editorCommand(QStringLiteral("missing-editor"), "/f", shell),
              (std::vector<std::string>{"missing-editor", "/f"}));
}

TEST(EditorCommand, KeepsThePathsBytes) {
    FakeShell shell;
    const std::string path = "/d/caf\xE9 menu.txt";
    EXPECT_EQ(editorCommand(QStringLiteral("vi"), path, shell).back(), path);
}

TEST_F(FileActionsTest, TokensAreAppendedToTheSearchText) {
    host.search = QStringLiteral("abc");
    actions.cboRegExpClick(5); // "[] : Any character in group"
    EXPECT_EQ(host.search, QStringLiteral("abc[]"));
    host.search.clear();
    actions.cboRegExpClick(11); // "\< : Beginning of word"
    EXPECT_EQ(host.search, QStringLiteral("\\<"));
    actions.cboRegExpClick(-1);
    actions.cboRegExpClick(13);
    EXPECT_EQ(host.search, QStringLiteral("\\<"));
}

TEST(RegExpTokens, ThirteenEntriesEachInsertingItsFirstWord) {
    QStringList tokens;
    for (const char* entry : regExpEntries())
        tokens << regExpToken(QLatin1String(entry));
    EXPECT_EQ(tokens, (QStringList{"^", "$", ".", "*", "+", "[]", "[^]", "-", "\\", "|", "&", "\\<",
                                   "\\>"}));
    EXPECT_EQ(QLatin1String(regExpEntries()[6]),
              QStringLiteral("[^] : Exclude characters in group"));
}

} // namespace
} // namespace ferrolux
