#include "ArchiveFixtures.h"
#include "MainWindowControls.h"
#include "MessageBoxRecorder.h"
#include "SimpleZip.h"
#include "TempDir.h"
#include "app/TfrmMain.h"
#include "platform/files/TempFolders.h"
#include "platform/ui/DirectoryListBox.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace ferrolux {
namespace {

using Box = test::MessageBoxRecorder::Box;

// prefix + i + suffix, appended: chained operator+ trips a false GCC 12 warning.
std::string numbered(const char* prefix, int i, const char* suffix) {
    std::string name(prefix);
    name.append(std::to_string(i)).append(suffix);
    return name;
}

// What is still in the private extraction folder.
std::string leftovers() {
    std::string names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TempFolderPath()))
        names.append(entry.path().string()).push_back(' ');
    return names;
}

class WindowSearch : public ::testing::Test {
protected:
    test::TempDir store;
    test::TempDir tree;
    test::MessageBoxRecorder boxes;
    std::unique_ptr<TfrmMain> window;
    test::MainWindowControls ui;

    void SetUp() override {
        qputenv("FERROLUX_REGISTRY", QByteArray::fromStdString(store.file("store.reg")));
        window = std::make_unique<TfrmMain>();
        ui = test::MainWindowControls(*window);
        window->show();
        boxes.clear();
        window->FormActivate(QLocale(QLocale::English, QLocale::UnitedStates));
        ASSERT_TRUE(ui.Dir1->setDirectory(tree.path()));
    }

    // Types the request and presses Search; true when a search started.
    bool search(const QString& text, const QString& specs = QStringLiteral("*.*")) {
        ui.cboSearch->setEditText(text);
        ui.txtFilespec->setText(specs);
        window->search().cmdSearchClick();
        return window->search().searchRunning();
    }

    // Runs what picks a row and waits until its lines are listed.
    bool listed(const std::function<void()>& pick) {
        QSignalSpy filled(window.get(), &TfrmMain::matchesListed);
        pick();
        return filled.wait(30000);
    }

    void waitForEnd() {
        if (!window->search().searchRunning()) return;
        QSignalSpy finished(window.get(), &TfrmMain::searchFinished);
        ASSERT_TRUE(finished.wait(30000));
    }

    std::vector<std::string> listedNames() const {
        std::vector<std::string> names;
        for (const FileResult& row : ui.lstFiles1->rows())
            names.push_back(row.FileName);
        return names;
    }
};

TEST_F(WindowSearch, FillsTheRowsAndWritesTheExactSummary) {
    tree.write("a.txt", "hello\nworld hello\n");
    tree.write("b.txt", "nothing here\n");
    tree.write("sub/c.txt", "Hello again\n");
    ui.chkInclSub->setChecked(true);
    ASSERT_TRUE(search(QStringLiteral("hello"), QStringLiteral("*.txt")));
    EXPECT_FALSE(ui.cmdStop->isHidden());
    EXPECT_EQ(ui.cmdStop->pos(), ui.cmdSearch->pos());
    waitForEnd();

    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"a.txt", "c.txt"}));
    const FileResult& first = ui.lstFiles1->row(0);
    EXPECT_EQ(first.Directory, tree.path());
    EXPECT_EQ(first.Matches, 2);
    EXPECT_EQ(first.Type, QStringLiteral("T"));
    EXPECT_EQ(first.Size, 18);
    EXPECT_TRUE(first.DateTime.endsWith(QLatin1String("am")) ||
                first.DateTime.endsWith(QLatin1String("pm")));
    const QString summary = ui.pnlStatus->text();
    EXPECT_TRUE(summary.startsWith(
        QStringLiteral(" Found 3 matches in 2 files of 3 searched - elapsed time ")))
        << summary.toStdString();
    EXPECT_TRUE(summary.endsWith(QStringLiteral(" seconds")));

    EXPECT_TRUE(ui.cmdStop->isHidden());
    EXPECT_TRUE(ui.cmdPrint->isEnabled());
    EXPECT_TRUE(ui.chkSearchListed->isEnabled());
    EXPECT_FALSE(ui.chkSearchListed->isChecked());
    EXPECT_EQ(ui.lstFiles1->selectedRow(), 0);
    // Lines are listed only when the user picks the row.
    EXPECT_EQ(ui.lstLines1->count(), 0);
    EXPECT_FALSE(ui.lstLines1->isEnabled());
    EXPECT_EQ(ui.cboSearch->itemText(0), QStringLiteral("hello"));
}

TEST_F(WindowSearch, TheMatchesLabelSaysWhenTheListIsCutAndShortensALongPath) {
    window->settings().MaxMatches = 3;
    const std::string deep = std::string(120, 'd') + "/" + std::string(120, 'e') + "/";
    tree.write(deep + "five.txt", "key 1\nkey 2\nkey 3\nkey 4\nkey 5\n");
    tree.write(deep + "three.txt", "key 1\nkey 2\nkey 3\n");
    ui.chkInclSub->setChecked(true);
    ASSERT_TRUE(search(QStringLiteral("key")));
    waitForEnd();
    ASSERT_EQ(ui.lstFiles1->count(), 2);
    const QFontMetrics metrics(ui.lblMatches->font());
    const struct {
        int row;
        const char* name;
        const char* tail;
    } cases[] = {{0, "five.txt", "  (3 of 5 matching lines)"}, {1, "three.txt", ""}};
    for (const auto& c : cases) {
        ui.lstFiles1->selectRow(c.row);
        ASSERT_TRUE(listed([&] { window->resultLists().lstFiles1Click(); }));
        ASSERT_EQ(ui.lstLines1->count(), 3) << c.name;
        const QString whole = QStringLiteral("Matches in: ") +
                              QString::fromStdString(tree.path() + deep + c.name) +
                              QString::fromLatin1(c.tail);
        EXPECT_EQ(ui.lblMatches->toolTip(), whole);
        // The path gives way in its middle; the lead, the file name and the
        // count stay whole, within the label's width.
        const QString shown = ui.lblMatches->text();
        EXPECT_TRUE(shown.startsWith(QStringLiteral("Matches in: ") +
                                     QString::fromStdString(tree.path()).left(4)))
            << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(QString::fromLatin1(c.name) + QString::fromLatin1(c.tail)))
            << shown.toStdString();
        EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
        EXPECT_LE(metrics.horizontalAdvance(shown), ui.lblMatches->contentsRect().width());
        EXPECT_LE(ui.lblMatches->geometry().right(), ui.lstLines1->geometry().right());
    }
}

TEST_F(WindowSearch, PickingARowListsItsLinesAndAnyKeyReleaseListsThemAgain) {
    tree.write("a.txt", "one\ntwo: KEY\nthree key\n");
    tree.write("bin.dat", std::string("\x01\x02 the key is here \x03", 21));
    ASSERT_TRUE(search(QStringLiteral("key")));
    waitForEnd();
    ASSERT_EQ(ui.lstFiles1->count(), 2);

    ui.lstFiles1->selectRow(0);
    ASSERT_TRUE(listed([&] { window->resultLists().lstFiles1Click(); }));
    ASSERT_EQ(ui.lstLines1->count(), 2);
    EXPECT_EQ(ui.lstLines1->lines()[0].LineNumber, "2");
    EXPECT_EQ(ui.lstLines1->lines()[0].Text, "two: KEY");
    EXPECT_TRUE(ui.lstLines1->isEnabled());
    EXPECT_EQ(ui.lstLines1->columnWidth(0), 45); // the screen is 800 wide
    EXPECT_TRUE(ui.lblMatches->isVisible());
    EXPECT_EQ(ui.lblMatches->text(),
              QStringLiteral("Matches in: ") + QString::fromStdString(tree.path() + "a.txt"));

    ui.lstFiles1->selectRow(1);
    ASSERT_TRUE(listed([&] { window->resultLists().lstFiles1KeyUp(Qt::Key_Shift); }));
    ASSERT_EQ(ui.lstLines1->count(), 1);
    EXPECT_EQ(ui.lstLines1->lines()[0].LineNumber, "");
    EXPECT_EQ(ui.lstLines1->columnWidth(0), 0);

    // Ticking case-sensitivity afterwards changes what is listed.
    ui.chkCase->setChecked(true);
    ui.cboSearch->setEditText(QStringLiteral("ignored until the next search"));
    ui.lstFiles1->selectRow(0);
    ASSERT_TRUE(listed([&] { window->resultLists().lstFiles1Click(); }));
    ASSERT_EQ(ui.lstLines1->count(), 1);
    EXPECT_EQ(ui.lstLines1->lines()[0].LineNumber, "3");
}

TEST_F(WindowSearch, RefusedInputIsToldAndLeavesThePreviousResults) {
    tree.write("a.txt", "alpha\n");
    ASSERT_TRUE(search(QStringLiteral("alpha")));
    waitForEnd();
    ASSERT_EQ(ui.lstFiles1->count(), 1);

    EXPECT_FALSE(search(QString()));
    EXPECT_FALSE(search(QStringLiteral("alpha"), QString()));
    EXPECT_FALSE(search(QStringLiteral("$")));
    EXPECT_FALSE(search(QStringLiteral("[unclosed")));
    ASSERT_EQ(boxes.boxes().size(), 4u);
    const Box& empty = boxes.boxes()[0];
    EXPECT_EQ(empty.text, QStringLiteral("File specification and search text must be entered"));
    EXPECT_EQ(empty.caption, QStringLiteral("Error"));
    EXPECT_EQ(empty.flags, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes.boxes()[1].text, empty.text);
    EXPECT_EQ(boxes.boxes()[2].text, QStringLiteral("Search pattern cannot consist only of \"$\""));
    EXPECT_EQ(boxes.boxes()[2].caption, QStringLiteral("Regular Expression Error"));
    EXPECT_EQ(boxes.boxes()[3].caption, QStringLiteral("Regular Expression Error"));
    EXPECT_FALSE(boxes.boxes()[3].text.isEmpty());

    EXPECT_EQ(ui.lstFiles1->count(), 1);
    EXPECT_EQ(window->session().state().SearchPattern, "[unclosed");
    EXPECT_EQ(window->session().state().TypedSearchText, "[unclosed");
    EXPECT_TRUE(ui.cmdStop->isHidden());
    EXPECT_EQ(ui.cboSearch->count(), 1);
}

// Both boxes remember the searches, newest first and each once, into the
// next run; the next run starts with an empty "Search for".
TEST_F(WindowSearch, SearchesAreRememberedIntoTheNextRun) {
    tree.write("a.txt", "hello world\n");
    for (const char* text : {"hello", "world", "hello"}) {
        ASSERT_TRUE(search(QString::fromLatin1(text),
                           text[0] == 'w' ? QStringLiteral("*.md") : QStringLiteral("*.txt")));
        waitForEnd();
    }
    const auto items = [](const QComboBox& box) {
        QStringList texts;
        for (int i = 0; i < box.count(); ++i)
            texts.append(box.itemText(i));
        return texts;
    };
    const auto offered = [](const QLineEdit& edit) {
        QStringList specs;
        QAbstractItemModel* model = edit.completer()->model();
        for (int i = 0; i < model->rowCount(); ++i)
            specs.append(model->index(i, 0).data().toString());
        return specs;
    };
    EXPECT_EQ(items(*ui.cboSearch), (QStringList{"hello", "world"}));
    EXPECT_EQ(ui.cboSearch->currentText(), QStringLiteral("hello"));
    EXPECT_EQ(offered(*ui.txtFilespec), (QStringList{"*.txt", "*.md"}));

    window.reset();
    window = std::make_unique<TfrmMain>();
    ui = test::MainWindowControls(*window);
    EXPECT_EQ(items(*ui.cboSearch), (QStringList{"hello", "world"}));
    EXPECT_EQ(ui.cboSearch->currentText(), QString());
    EXPECT_EQ(offered(*ui.txtFilespec), (QStringList{"*.txt", "*.md"}));
}

TEST_F(WindowSearch, NoFilesFoundAndNoMatchesFound) {
    tree.write("a.txt", "alpha\n");
    ASSERT_TRUE(search(QStringLiteral("alpha"), QStringLiteral("*.none")));
    waitForEnd();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("No files found"));
    EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Message"));
    EXPECT_EQ(boxes.boxes()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_FALSE(ui.lstFiles1->isEnabled());
    EXPECT_FALSE(ui.chkSearchListed->isEnabled());

    boxes.clear();
    ASSERT_TRUE(search(QStringLiteral("omega")));
    waitForEnd();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("No matches found"));
    EXPECT_FALSE(ui.lstFiles1->isEnabled());
    EXPECT_FALSE(ui.cmdPrint->isEnabled());

    // Both file types left out: files exist, but none is searched.
    boxes.clear();
    ui.chkTextFiles->setChecked(false);
    ui.chkBinaryFiles->setChecked(false);
    ASSERT_TRUE(search(QStringLiteral("alpha")));
    waitForEnd();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("No files found"));
}

TEST_F(WindowSearch, StopEndsTheSearchWithTheCountsReached) {
    for (int i = 0; i < 300; ++i)
        tree.write(numbered("f", i, ".txt"), "needle\n");
    ASSERT_TRUE(search(QStringLiteral("needle")));
    window->search().cmdStopClick();
    waitForEnd();
    const QString summary = ui.pnlStatus->text();
    EXPECT_TRUE(summary.endsWith(QStringLiteral(" - search canceled"))) << summary.toStdString();
    EXPECT_EQ(ui.lstFiles1->count(), window->session().state().FilesWithMatches);
    EXPECT_TRUE(ui.cmdStop->isHidden());
}

TEST_F(WindowSearch, RowsAndTheFileInWorkShowWhileTheSearchRuns) {
    for (int i = 0; i < 400; ++i)
        tree.write(numbered("f", i, ".txt"), "needle\n");
    // Last in walk order, and long to search (64 GiB without disk: binary).
    const std::string big = tree.write("zz-big.dat", std::string("\0", 1));
    ASSERT_EQ(::truncate(big.c_str(), int64_t(64) << 30), 0);
    ASSERT_TRUE(search(QStringLiteral("needle")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui.lstFiles1->count() == 400; }, 30000));
    EXPECT_TRUE(window->search().searchRunning()) << "the rows came before the end";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return ui.pnlStatus->text() == " Searching " + QString::fromStdString(big); },
        30000));
    window->search().cmdStopClick();
    waitForEnd();
    EXPECT_EQ(ui.lstFiles1->count(), 400);
    EXPECT_TRUE(ui.pnlStatus->text().endsWith(QLatin1String(" - search canceled")));
}

TEST_F(WindowSearch, AltSDuringASearchDoesNotStartASecondOne) {
    for (int i = 0; i < 50; ++i)
        tree.write(numbered("f", i, ".txt"), "needle\n");
    ASSERT_TRUE(search(QStringLiteral("needle")));
    QSignalSpy finished(window.get(), &TfrmMain::searchFinished);
    QTest::keyClick(window.get(), Qt::Key_S, Qt::AltModifier);
    window->search().cmdSearchClick();
    ASSERT_TRUE(finished.wait(30000));
    // A second search would be running now or would have ended.
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->search().searchRunning());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(ui.cboSearch->count(), 1);
    EXPECT_EQ(ui.lstFiles1->count(), 50);
}

TEST_F(WindowSearch, ListedFilesOnlySearchesThePreviousRows) {
    tree.write("a.txt", "red green\n");
    tree.write("b.txt", "red\n");
    tree.write("c.txt", "green\n");
    ASSERT_TRUE(search(QStringLiteral("red")));
    waitForEnd();
    ASSERT_EQ(ui.lstFiles1->count(), 2);
    ui.chkSearchListed->setChecked(true);
    ASSERT_TRUE(search(QStringLiteral("green"), QString()));
    waitForEnd();
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"a.txt"}));
    EXPECT_FALSE(ui.chkSearchListed->isChecked());
}

TEST_F(WindowSearch, FileNamesThatAreNotUtf8AreShownAndListed) {
    tree.write("caf\xe9.txt", "coffee\n");
    ASSERT_TRUE(search(QStringLiteral("coffee")));
    waitForEnd();
    ASSERT_EQ(ui.lstFiles1->count(), 1);
    EXPECT_EQ(ui.lstFiles1->model()->index(0, 0).data().toString(),
              QStringLiteral("caf\u00e9.txt"));
    ui.lstFiles1->selectRow(0);
    ASSERT_TRUE(listed([&] { window->resultLists().lstFiles1Click(); }));
    EXPECT_EQ(ui.lstLines1->count(), 1);
}

TEST_F(WindowSearch, ArchiveProblemsAreShownByTheWindowThread) {
    tree.write("broken.zip", "PK this is no archive");
    test::writeSimpleZip(tree.file("good.zip"), {{"inner.txt", "zipped needle\n"}});
    ui.chkSearchZip->setChecked(true);
    ASSERT_TRUE(search(QStringLiteral("needle")));
    waitForEnd();
    ASSERT_FALSE(boxes.boxes().empty());
    EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Zip File Error"));
    ASSERT_EQ(ui.lstFiles1->count(), 1);
    const FileResult& member = ui.lstFiles1->row(0);
    EXPECT_EQ(member.FileName, "inner.txt");
    EXPECT_EQ(member.Directory, tree.file("good.zip"));
    EXPECT_FALSE(member.ExtractedPath.empty());
}

TEST_F(WindowSearch, TheArchivesPreferenceAddsTarArchivesBesideZipFiles) {
    const std::string archive = tree.write(
        "docs.tar.gz", test::archiveBytes(test::ArchiveFormat::TarGz,
                                          {test::file("deep/inner.txt", "packed needle\n")}));
    ui.chkSearchZip->setChecked(true);
    for (const bool preference : {false, true}) {
        window->settings().SearchArchives = preference;
        ASSERT_TRUE(search(QStringLiteral("needle"), QStringLiteral("*.txt")));
        waitForEnd();
        ASSERT_EQ(ui.lstFiles1->count(), preference ? 1 : 0) << preference;
        if (!preference) continue;
        EXPECT_EQ(ui.lstFiles1->row(0).FileName, "inner.txt");
        EXPECT_EQ(ui.lstFiles1->row(0).Directory, archive);
    }
    ASSERT_EQ(boxes.boxes().size(), 1u); // the first search: nothing with the mask but the archive
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("No files found"));
}

TEST_F(WindowSearch, ABoxOfTheSearchComesOnTheWindowThreadAfterTheRowsFoundBeforeIt) {
    tree.write("a.txt", "needle\n");
    tree.write("b.txt", "needle\n");
    tree.write("broken.zip", "PK this is no archive");
    test::writeSimpleZip(tree.file("good.zip"), {{"inner.txt", "zipped needle\n"}});
    ui.chkSearchZip->setChecked(true);
    struct Seen {
        bool windowThread;
        int rows;
        QString status;
    };
    std::vector<Seen> seen;
    const MessageBoxHandler recorder =
        setMessageBoxHandler([&](QObject* owner, const QString&, const QString& caption, unsigned) {
            EXPECT_EQ(owner, window.get());
            EXPECT_EQ(caption, QStringLiteral("Zip File Error"));
            seen.push_back({QThread::currentThread() == window->thread(), ui.lstFiles1->count(),
                            ui.pnlStatus->text()});
            return int(IDOK);
        });
    ASSERT_TRUE(search(QStringLiteral("needle")));
    waitForEnd();
    setMessageBoxHandler(recorder);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].windowThread);
    EXPECT_EQ(seen[0].rows, 2) << "the rows of a.txt and b.txt are listed first";
    EXPECT_EQ(seen[0].status, QStringLiteral("Extracting Zip file ") +
                                  QString::fromStdString(tree.file("broken.zip")));
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"a.txt", "b.txt", "inner.txt"}));
}

TEST_F(WindowSearch, ClosingDeletesTheExtractionFolders) {
    test::writeSimpleZip(tree.file("docs.zip"), {{"a.txt", "needle\n"}});
    ui.chkSearchZip->setChecked(true);
    ASSERT_TRUE(search(QStringLiteral("needle")));
    waitForEnd();
    ASSERT_EQ(window->session().state().TempFolders.size(), 1u);
    const std::string folder = window->session().state().TempFolders[0];
    ASSERT_TRUE(std::filesystem::exists(folder));
    window->close();
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_TRUE(window->session().state().TempFolders.empty());
}

TEST_F(WindowSearch, AWindowDiscardedWithoutClosingDeletesItsExtractionFolders) {
    test::writeSimpleZip(tree.file("docs.zip"), {{"a.txt", "needle\n"}});
    ui.chkSearchZip->setChecked(true);
    ASSERT_TRUE(search(QStringLiteral("needle")));
    waitForEnd();
    ASSERT_EQ(window->session().state().TempFolders.size(), 1u);
    const std::string folder = window->session().state().TempFolders[0];
    window.reset();
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(WindowSearch, ClosingDuringASearchStopsItFirstAndLeavesNothingBehind) {
    for (int i = 0; i < 200; ++i)
        test::writeSimpleZip(tree.file(numbered("z", i, ".zip")), {{"a.txt", "needle\n"}});
    tree.write("broken.zip", "PK this is no archive");
    ui.chkSearchZip->setChecked(true);
    ASSERT_TRUE(search(QStringLiteral("needle")));
    // Close while archives are being extracted.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return ui.pnlStatus->text().startsWith(QLatin1String("Extracting Zip file")); },
        20000));
    window->close();
    EXPECT_FALSE(window->search().searchRunning());
    EXPECT_TRUE(window->session().state().TempFolders.empty());
    EXPECT_TRUE(std::filesystem::is_empty(TempFolderPath())) << leftovers();
    // A box the search asked for while the window closed is never shown:
    // its threads are gone, so all it reported is posted by now.
    QCoreApplication::processEvents();
    EXPECT_TRUE(std::none_of(boxes.boxes().begin(), boxes.boxes().end(), [](const Box& box) {
        return box.caption == QLatin1String("Message");
    }));
}

} // namespace
} // namespace ferrolux
