#include "MainWindowControls.h"
#include "MessageBoxRecorder.h"
#include "TempDir.h"
#include "app/TfrmMain.h"
#include "platform/ui/DirectoryListBox.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"
#include "results/TfrmDirListing.h"
#include "viewer/TfrmViewer.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace ferrolux {
namespace {

// Runs `act`; when it opens a modal window of type W, `inspect` sees it (once
// it is ready) and the window is closed, so the test goes on. False when no
// such window opened.
template <class W>
bool withModal(const std::function<void()>& act, const std::function<void(W&)>& inspect) {
    bool seen = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!window) return;
        if constexpr (std::is_same_v<W, TfrmViewer>)
            if (!window->isLoaded()) return;
        seen = true;
        inspect(*window);
        window->close();
    });
    closer.start(10);
    act();
    QCoreApplication::processEvents();
    return seen;
}

class MainWindowActions : public ::testing::Test {
protected:
    test::TempDir store;
    test::TempDir files;
    test::MessageBoxRecorder boxes;
    std::unique_ptr<TfrmMain> window;
    test::MainWindowControls ui;

    void SetUp() override {
        qputenv("FERROLUX_REGISTRY", QByteArray::fromStdString(store.file("store.reg")));
        window = std::make_unique<TfrmMain>();
        ui = test::MainWindowControls(*window);
        window->show();
        boxes.clear();
        ASSERT_TRUE(ui.Dir1->setDirectory(files.path()));
    }

    // One listed text file with "needle" on lines 2 and 4, selected.
    void listOneFile() {
        files.write("notes.txt", "one\nneedle two\nthree\nneedle four\n");
        FileResult row;
        row.FileName = "notes.txt";
        row.Directory = files.path();
        row.Matches = 2;
        row.Type = QStringLiteral("T");
        row.Size = 32;
        SearchRequest search; // the pattern the lines and the viewer use
        search.SearchText = "needle";
        search.FileSpecs = "*.*";
        ASSERT_FALSE(window->session().begin(search));
        window->session().appendRows({row});
        ui.lstFiles1->selectRow(0);
        ui.lstLines1->setLines({{"2", "needle two"}, {"4", "needle four"}});
    }
};

TEST_F(MainWindowActions, AnEditorThatFailsOrCannotStartIsReportedWithItsCommand) {
    listOneFile();
    const std::string editor = files.write("failing-editor", "#!/bin/sh\nexit 3\n");
    ::chmod(editor.c_str(), 0755);
    const QString notes = QString::fromStdString(files.path()) + QStringLiteral("notes.txt");
    window->settings().Editor = QString::fromStdString(editor);
    window->fileActions().actions().Edit1Click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !boxes.boxes().empty(); }, 10000));
    EXPECT_TRUE(
        boxes.boxes()[0].text.contains(QString::fromStdString(editor) + QLatin1Char(' ') + notes))
        << boxes.boxes()[0].text.toStdString();
    EXPECT_TRUE(boxes.boxes()[0].text.endsWith(QStringLiteral("exit status 3.")));

    boxes.clear();
    window->settings().Editor = QStringLiteral("/no/such/editor --new-window");
    window->fileActions().actions().Edit1Click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !boxes.boxes().empty(); }, 10000));
    EXPECT_TRUE(
        boxes.boxes()[0].text.contains(QStringLiteral("/no/such/editor --new-window ") + notes))
        << boxes.boxes()[0].text.toStdString();
}

TEST_F(MainWindowActions, AFailingDesktopOpenerIsReportedWithItsCommand) {
    test::TempDir bin;
    for (const auto& [name, body] :
         {std::pair{"xdg-mime", "echo editor.desktop\n"}, std::pair{"xdg-open", "exit 4\n"}}) {
        const std::string program = bin.write(name, std::string("#!/bin/sh\n") + body);
        ::chmod(program.c_str(), 0755);
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.path()) + ":" + path);
    listOneFile();
    window->fileActions().actions().Open1Click();
    const bool told = QTest::qWaitFor([this] { return !boxes.boxes().empty(); }, 10000);
    qputenv("PATH", path);
    ASSERT_TRUE(told);
    EXPECT_TRUE(boxes.boxes()[0].text.contains(QStringLiteral("xdg-open ") +
                                               QString::fromStdString(files.path()) +
                                               QStringLiteral("notes.txt")))
        << boxes.boxes()[0].text.toStdString();
}

TEST_F(MainWindowActions, ViewFromTheMenuShowsTheSelectedFileFromTheTop) {
    listOneFile();
    QString title;
    int caretLine = -1;
    EXPECT_TRUE(withModal<TfrmViewer>([&] { ui.action("View1")->trigger(); },
                                      [&](TfrmViewer& viewer) {
                                          title = viewer.windowTitle();
                                          caretLine = int(viewer.edtFile->lineOf(
                                              viewer.edtFile->textCursor().position));
                                      }));
    EXPECT_EQ(title, QStringLiteral("File Viewer - ") + QString::fromStdString(files.path()) +
                         QStringLiteral("notes.txt"));
    EXPECT_EQ(caretLine, 0);
    EXPECT_EQ(window->fileActions().actions().CurrentFilePath, files.path() + "notes.txt");
}

TEST_F(MainWindowActions, DoubleClickOnAMatchShowsThatLine) {
    listOneFile();
    ui.lstLines1->selectRow(1);
    int caretLine = -1;
    EXPECT_TRUE(withModal<TfrmViewer>([&] { window->fileActions().actions().lstLines1DblClick(); },
                                      [&](TfrmViewer& viewer) {
                                          caretLine = int(viewer.edtFile->lineOf(
                                              viewer.edtFile->textCursor().position));
                                      }));
    EXPECT_EQ(caretLine, 3);
}

TEST_F(MainWindowActions, ChoosingAnExpressionAppendsItsToken) {
    ui.cboSearch->setEditText(QStringLiteral("abc"));
    ui.cboRegExp->setCurrentIndex(5);
    EXPECT_EQ(ui.cboSearch->currentText(), QStringLiteral("abc[]"));
    ui.cboRegExp->setCurrentIndex(-1); // a new search clears the list
    EXPECT_EQ(ui.cboSearch->currentText(), QStringLiteral("abc[]"));
    ui.cboRegExp->setCurrentIndex(11);
    QTest::keyClick(ui.cboRegExp, Qt::Key_Down);
    EXPECT_EQ(ui.cboSearch->currentText(), QStringLiteral("abc[]\\<\\>"));
}

TEST_F(MainWindowActions, RightButtonInTheDirectoryTreeListsItsFiles) {
    files.write("a.txt", "");
    files.write("b.txt", "");
    ui.txtFilespec->setText(QStringLiteral("*.*"));
    QWidget* tree = ui.Dir1->viewport();
    EXPECT_FALSE(withModal<TfrmDirListing>([&] { QTest::mousePress(tree, Qt::LeftButton); },
                                           [](TfrmDirListing&) {}));
    // The left button picks a folder in the tree as usual.
    ASSERT_TRUE(ui.Dir1->setDirectory(files.path()));
    QStringList listed;
    EXPECT_TRUE(withModal<TfrmDirListing>([&] { QTest::mousePress(tree, Qt::RightButton); },
                                          [&](TfrmDirListing& listing) {
                                              for (int i = 0; i < listing.File1->count(); ++i)
                                                  listed << listing.File1->item(i)->text();
                                              listing.File1->item(0)->setSelected(true);
                                              listing.cmdSelectClick();
                                          }));
    EXPECT_EQ(listed, (QStringList{"a.txt", "b.txt"}));
    EXPECT_EQ(ui.txtFilespec->text(), QStringLiteral("*.*,a.txt"));
    EXPECT_EQ(ui.Dir1->Directory(), files.path()); // the press did not move the tree
}

} // namespace
} // namespace ferrolux
