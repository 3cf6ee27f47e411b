#include "MainWindowControls.h"
#include "MessageBoxRecorder.h"
#include "TempDir.h"
#include "app/TfrmAbout.h"
#include "app/TfrmMain.h"
#include "app/TfrmSplash.h"
#include "platform/registry/Registry.h"
#include "platform/ui/DirectoryListBox.h"
#include "platform/ui/DriveComboBox.h"
#include "platform/ui/HelpWindow.h"
#include "platform/ui/HintSwitch.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

template <typename T>
T* named(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

FileResult fileRow(std::string name, int32_t matches, int64_t size, int64_t modified) {
    FileResult row;
    row.FileName = std::move(name);
    row.Directory = "/data/";
    row.Matches = matches;
    row.Type = QStringLiteral("T");
    row.Size = size;
    row.ModifiedTime = modified;
    return row;
}

std::vector<std::string> listedNames(const FileListView& list) {
    std::vector<std::string> names;
    for (const FileResult& row : list.rows())
        names.push_back(row.FileName);
    return names;
}

using Names = std::vector<std::string>;

class MainWindow : public ::testing::Test {
protected:
    test::TempDir store;
    test::MessageBoxRecorder boxes;
    void SetUp() override {
        qputenv("FERROLUX_REGISTRY", QByteArray::fromStdString(store.file("store.reg")));
    }
    void TearDown() override { HintSwitch::instance().setHintsShown(true); }

    void storeValues(const QString& startupDir, int32_t showHint, const QString& font) {
        RegistryKey key;
        ASSERT_TRUE(key.create(RegistryStore::standard(), settingsKeyPath()));
        ASSERT_TRUE(key.writeString(QStringLiteral("StartupDir"), startupDir));
        ASSERT_TRUE(key.writeNumber(QStringLiteral("ShowHint"), showHint));
        ASSERT_TRUE(key.writeString(QStringLiteral("MatchFontName"), font));
        ASSERT_TRUE(key.writeNumber(QStringLiteral("MatchFontSize"), 9));
    }
};

TEST_F(MainWindow, EveryControlHasItsNameCaptionAndStartingState) {
    TfrmMain window;
    const test::MainWindowControls ui(window);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Ferrolux"));
    EXPECT_EQ(window.centralWidget()->size(), QSize(914, 651));
    EXPECT_FALSE(named<FileListView>(window, "lstFiles1")->isEnabled());
    EXPECT_FALSE(named<MatchListView>(window, "lstLines1")->isEnabled());
    EXPECT_TRUE(named<QLabel>(window, "lblMatches")->isHidden());
    // The lists are views of the search session: no hidden copies of them.
    EXPECT_EQ(window.findChildren<FileListView*>().size(), 1);
    EXPECT_EQ(window.findChildren<MatchListView*>().size(), 1);
    EXPECT_EQ(named<QLabel>(window, "Label2")->text(), QStringLiteral("S&earch for:"));
    EXPECT_EQ(named<QLabel>(window, "Label2")->buddy(), ui.cboSearch);
    EXPECT_EQ(named<QLabel>(window, "Label1")->text(), QStringLiteral("Fi&les to search:"));
    EXPECT_EQ(named<QLabel>(window, "Label3")->text(),
              QStringLiteral("Insert &Regular Expressions"));
    EXPECT_EQ(named<QLineEdit>(window, "txtFilespec")->text(), QStringLiteral("*.*"));
    EXPECT_TRUE(named<QComboBox>(window, "cboSearch")->isEditable());
    EXPECT_EQ(named<QGroupBox>(window, "GroupBox1")->title(), QStringLiteral(" File Types "));
    EXPECT_EQ(named<QGroupBox>(window, "GroupBox6")->title(), QStringLiteral(" Options "));
    EXPECT_TRUE(named<QCheckBox>(window, "chkTextFiles")->isChecked());
    EXPECT_TRUE(named<QCheckBox>(window, "chkBinaryFiles")->isChecked());
    EXPECT_FALSE(named<QCheckBox>(window, "chkSearchListed")->isEnabled());
    for (const char* box :
         {"chkInclSub", "chkSearchListed", "chkSearchZip", "chkCase", "chkWord", "chkLiteral"})
        EXPECT_FALSE(named<QCheckBox>(window, box)->isChecked()) << box;
    EXPECT_EQ(ui.chkLiteral->text(), QStringLiteral("&Literal (no regular expressions)"));
    EXPECT_EQ(named<QPushButton>(window, "cmdSearch")->text(), QStringLiteral("&Search"));
    EXPECT_EQ(named<QPushButton>(window, "cmdPrint")->text(), QStringLiteral("&Print"));
    EXPECT_FALSE(ui.cmdPrint->isEnabled());
    EXPECT_TRUE(named<QPushButton>(window, "cmdStop")->text().isEmpty());
    EXPECT_TRUE(ui.cmdStop->isHidden());
    named<DirectoryListBox>(window, "Dir1");
    named<DriveComboBox>(window, "Drive1");
    named<QLabel>(window, "pnlStatus");
    named<QFrame>(window, "pnlBottom");

    const QComboBox* tokens = named<QComboBox>(window, "cboRegExp");
    ASSERT_EQ(tokens->count(), 13);
    EXPECT_FALSE(tokens->isEditable());
    EXPECT_EQ(tokens->currentIndex(), -1);
    EXPECT_EQ(tokens->itemText(5), QStringLiteral("[] : Any character in group"));
    EXPECT_EQ(tokens->itemText(12), QStringLiteral("\\> : End of word"));

    const QAbstractItemModel* columns = ui.lstFiles1->model();
    const QStringList captions = {"File Name", "Directory", "Matches", "Type", "Size", "Date/Time"};
    const std::vector<int> widths = {250, 297, 70, 50, 81, 140};
    int total = 0;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(columns->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString(), captions[i]);
        total += ui.lstFiles1->columnWidth(i);
    }
    // Number and date columns may take room from the directory for their values.
    EXPECT_EQ(total, 888);
    EXPECT_EQ(ui.lstFiles1->columnWidth(0), 250);
    for (int i : {2, 3, 4, 5})
        EXPECT_GE(ui.lstFiles1->columnWidth(i), widths[std::size_t(i)]) << i;
    EXPECT_TRUE(ui.lstLines1->horizontalHeader()->isHidden());
}

TEST_F(MainWindow, MenusCarryTheirCaptionsAndShortcuts) {
    TfrmMain window;
    const test::MainWindowControls ui(window);
    const std::vector<std::tuple<const char*, const char*, QKeySequence>> items = {
        {"RetrieveSearch1", "&Retrieve Search", QKeySequence("Ctrl+R")},
        {"SaveSearch1", "&Save Search", QKeySequence("Ctrl+S")},
        {"Refresh1", "Re&fresh", QKeySequence(Qt::Key_F5)},
        {"Preferences1", "&Preferences", QKeySequence("Ctrl+P")},
        {"Exit1", "E&xit", QKeySequence()},
        {"Contents1", "&Contents", QKeySequence(Qt::Key_F1)},
        {"About1", "&About", QKeySequence()},
        {"View1", "&View", QKeySequence("Ctrl+V")},
        {"Open1", "&Open", QKeySequence("Ctrl+O")},
        {"Edit1", "&Edit", QKeySequence("Ctrl+E")},
    };
    for (const auto& [name, caption, shortcut] : items) {
        const QAction* item = window.findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(item, nullptr) << name;
        EXPECT_EQ(item->text(), QString::fromLatin1(caption));
        EXPECT_EQ(item->shortcut(), shortcut) << name;
    }
    EXPECT_EQ(ui.File1->title(), QStringLiteral("&File"));
    EXPECT_EQ(ui.Help1->title(), QStringLiteral("&Help"));
    EXPECT_EQ(ui.mnuFilesPopup->actions().size(), 3);
    EXPECT_TRUE(ui.lstFiles1->toolTip().contains(QStringLiteral("sort by that column")));
    EXPECT_FALSE(ui.lstFiles1->toolTip().contains(QLatin1Char('\r')));
}

TEST_F(MainWindow, CompactLayoutForScreensEightHundredWideOrSixHundredHigh) {
    EXPECT_TRUE(TfrmMain::usesCompactLayout(QSize(800, 600)));
    EXPECT_TRUE(TfrmMain::usesCompactLayout(QSize(1024, 600)));
    EXPECT_TRUE(TfrmMain::usesCompactLayout(QSize(800, 768)));
    EXPECT_FALSE(TfrmMain::usesCompactLayout(QSize(1024, 768)));
    EXPECT_FALSE(TfrmMain::usesCompactLayout(QSize(801, 601)));
}

TEST_F(MainWindow, ShownOnAnEightHundredPixelWideScreenItTakesTheCompactLayout) {
    // The offscreen screen is 800 pixels wide.
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().width(), 800);
    TfrmMain window;
    const test::MainWindowControls ui(window);
    window.show();
    EXPECT_EQ(window.pos(), QPoint(0, 0));
    EXPECT_EQ(window.centralWidget()->size(), QSize(792, 529));
    EXPECT_EQ(ui.lstFiles1->geometry(), QRect(0, 0, 790, 140));
    int total = 0;
    for (int i = 0; i < 6; ++i)
        total += ui.lstFiles1->columnWidth(i);
    EXPECT_EQ(total, 208 + 232 + 66 + 50 + 70 + 140);
    EXPECT_EQ(ui.lstFiles1->columnWidth(0), 208);
    EXPECT_EQ(ui.lstLines1->geometry(), QRect(0, 166, 790, 140));
    EXPECT_EQ(ui.lstLines1->columnWidth(1), 710);
    EXPECT_EQ(ui.lblMatches->y(), 146);
    EXPECT_EQ(ui.pnlBottom->geometry(), QRect(0, 309, 792, 180));
    EXPECT_EQ(ui.pnlStatus->geometry(), QRect(0, 529 - 32, 792, 32));
    // Nothing overlaps: the panels stack down the window.
    EXPECT_LE(ui.pnlBottom->geometry().bottom(), ui.pnlStatus->y());
}

// Whether a cell shows its text whole (a cut text ends in an ellipsis).
bool showsWhole(const FileListView& list, int row, int column) {
    const QString text = list.model()->index(row, column).data().toString();
    const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
    const int room = list.columnWidth(column) - 2 * margin - 1; // less the grid line
    return list.fontMetrics().elidedText(text, Qt::ElideRight, room) == text;
}

TEST_F(MainWindow, TheCompactLayoutShowsLargeSizesAndCountsWhole) {
    TfrmMain window;
    const test::MainWindowControls ui(window);
    window.show();
    ASSERT_TRUE(TfrmMain::usesCompactLayout(QGuiApplication::primaryScreen()->size()));
    FileResult large = fileRow("big.iso", 1234567, 1270154321, 1);
    large.DateTime = QStringLiteral("12/28/2025  12:58pm");
    window.session().appendRows({fileRow("a.txt", 3, 127015432, 1), large});
    for (int row = 0; row < 2; ++row)
        for (int column : {2, 4, 5})
            EXPECT_TRUE(showsWhole(*ui.lstFiles1, row, column)) << row << "," << column;
    // The columns still fit beside the vertical scroll bar.
    int total = 0;
    for (int i = 0; i < 6; ++i)
        total += ui.lstFiles1->columnWidth(i);
    EXPECT_LE(total, ui.lstFiles1->width() - 2 -
                         ui.lstFiles1->style()->pixelMetric(QStyle::PM_ScrollBarExtent));

    // A value beyond every likely size widens its column when it comes.
    window.session().appendRows({fileRow("huge.img", 1, 123456789012345, 1)});
    EXPECT_TRUE(showsWhole(*ui.lstFiles1, 2, 4));
}

// When the splash is painted and when it goes, as the screen shows it.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* window) {
        clock.start();
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, [this] { goneAt = clock.elapsed(); });
    }
    QElapsedTimer clock;
    qint64 firstPaintAt = -1;
    qint64 goneAt = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && firstPaintAt < 0) firstPaintAt = clock.elapsed();
        return false;
    }
};

TEST_F(MainWindow, TheSplashIsPaintedAndStaysAtLeast200MsWhileTheEventLoopRuns) {
    QPointer<TfrmSplash> splash = new TfrmSplash;
    PaintWatch watch(splash);
    splash->show();
    TfrmMain window(splash);
    bool timerRan = false;
    QTimer::singleShot(20, [&timerRan] { timerRan = true; });
    const qint64 showBegan = watch.clock.elapsed();
    window.show();

    EXPECT_TRUE(splash.isNull());
    ASSERT_GE(watch.firstPaintAt, 0) << "the splash was never painted";
    EXPECT_GE(watch.goneAt - watch.firstPaintAt, 200);
    EXPECT_GE(watch.goneAt - showBegan, 200);
    EXPECT_TRUE(timerRan) << "the event loop ran while the splash was up";
}

TEST_F(MainWindow, TheProgramEntryHasTheSplashPaintedBeforeTheMainWindowIsBuilt) {
    QPointer<TfrmSplash> splash = new TfrmSplash;
    PaintWatch watch(splash);
    splash->showCentred(QGuiApplication::primaryScreen()->size());
    EXPECT_GE(watch.firstPaintAt, 0);
    delete splash;
}

TEST_F(MainWindow, FirstShowLoadsTheSettingsAndStartsInTheStartupDirectory) {
    test::TempDir tree;
    storeValues(QString::fromStdString(tree.path()), 0, QStringLiteral("Fixedsys"));
    TfrmMain window;
    const test::MainWindowControls ui(window);
    window.show();
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(ui.Dir1->Directory(), tree.path());
    EXPECT_EQ(tree.path().rfind(ui.Drive1->Drive(), 0), 0u);
    EXPECT_EQ(window.settings().MaxMatches, 500);
    EXPECT_FALSE(HintSwitch::instance().hintsShown());
    // "Fixedsys" is not installed: the closest monospace face, at the stored size.
    EXPECT_EQ(ui.lstLines1->font().pointSize(), 9);
    const QFontMetrics shown(ui.lstLines1->font());
    EXPECT_EQ(shown.horizontalAdvance(QLatin1Char('i')), shown.horizontalAdvance(QLatin1Char('W')))
        << "the stand-in face is monospaced";
}

TEST_F(MainWindow, AMissingStartupDirectoryIsWarnedAboutAndTheRootIsShown) {
    storeValues(QStringLiteral("/no/such/folder"), 1, QStringLiteral("Fixedsys"));
    TfrmMain window;
    const test::MainWindowControls ui(window);
    window.show();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text,
              QStringLiteral("Default startup directory is invalid - \nstarting in root "
                             "directory\n\nPlease correct this in File/Preferences"));
    EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(ui.Dir1->Directory(), "/");
    EXPECT_EQ(window.settings().StartupDir, QStringLiteral("/no/such/folder"));
    EXPECT_TRUE(HintSwitch::instance().hintsShown());
    // Later loads never move the directory list.
    ui.Dir1->setDirectory(store.path());
    window.storedSettings().LoadSettings(false);
    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(ui.Dir1->Directory(), store.path());
}

TEST_F(MainWindow, HelpContentsAndAboutOpenTheirWindows) {
    TfrmMain window;
    EXPECT_TRUE(window.HelpFilePath().endsWith(QStringLiteral("/ferrolux-help.html")));
    window.Contents1Click();
    const HelpWindow* help = window.findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    // The help window never keeps the application alive on its own.
    EXPECT_FALSE(help->testAttribute(Qt::WA_QuitOnClose));
    window.close();
    EXPECT_FALSE(help->isVisible());

    TfrmAbout about(&window);
    window.setAboutBox(&about);
    QTimer::singleShot(0, &about, &QDialog::accept);
    window.About1Click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST_F(MainWindow, DateDisplayFormatFollowsTheLocaleAtEachActivation) {
    TfrmMain window;
    window.FormActivate(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(window.DateDisplayFormat(), QStringLiteral("mm/dd/yyyy  h:mmam/pm"));
    window.FormActivate(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(window.DateDisplayFormat(), QStringLiteral("dd/mm/yyyy  h:mm"));
    window.FormActivate(QLocale(QLocale::Swedish, QLocale::Sweden));
    EXPECT_EQ(window.DateDisplayFormat(), QStringLiteral("yyyy/mm/dd  h:mm"));
    window.FormActivate(QLocale(QLocale::English, QLocale::Australia));
    EXPECT_EQ(window.DateDisplayFormat(), QStringLiteral("dd/mm/yyyy  h:mmam/pm"));
}

TEST_F(MainWindow, HeaderClicksAlternateTheDirectionWhicheverColumnIsClicked) {
    TfrmMain window;
    const test::MainWindowControls ui(window);
    window.session().appendRows(
        {fileRow("b", 2, 30, 1), fileRow("c", 1, 10, 3), fileRow("a", 3, 20, 2)});
    ui.lstFiles1->selectRow(2);
    window.resultLists().lstFiles1ColumnClick(4);
    EXPECT_EQ(listedNames(*ui.lstFiles1), (Names{"c", "a", "b"}));
    EXPECT_EQ(window.resultLists().SortDirection(), -1);
    // The selected row stays selected where it moved.
    EXPECT_EQ(ui.lstFiles1->row(ui.lstFiles1->selectedRow()).FileName, "a");
    window.resultLists().lstFiles1ColumnClick(4);
    EXPECT_EQ(listedNames(*ui.lstFiles1), (Names{"b", "a", "c"}));
    window.resultLists().lstFiles1ColumnClick(0);
    EXPECT_EQ(listedNames(*ui.lstFiles1), (Names{"a", "b", "c"}));
    window.resultLists().lstFiles1ColumnClick(0);
    EXPECT_EQ(listedNames(*ui.lstFiles1), (Names{"c", "b", "a"}));
    window.resultLists().lstFiles1ColumnClick(5);
    EXPECT_EQ(listedNames(*ui.lstFiles1), (Names{"b", "a", "c"}));
    window.resultLists().lstFiles1ColumnClick(2);
    EXPECT_EQ(listedNames(*ui.lstFiles1), (Names{"a", "b", "c"}));
    EXPECT_EQ(window.resultLists().SortDirection(), 1);
}

TEST_F(MainWindow, AClickOnAHeaderSortsAndKeepsTheSelectedRow) {
    TfrmMain window;
    const test::MainWindowControls ui(window);
    window.show();
    ui.lstFiles1->setEnabled(true);
    window.session().appendRows({fileRow("b", 1, 1, 1), fileRow("a", 1, 1, 1)});
    ui.lstFiles1->selectRow(0);
    QHeaderView* header = ui.lstFiles1->horizontalHeader();
    const QPoint nameColumn(header->sectionViewportPosition(0) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameColumn);
    EXPECT_EQ(listedNames(*ui.lstFiles1), (Names{"a", "b"}));
    ASSERT_EQ(ui.lstFiles1->selectedRow(), 1);
    EXPECT_EQ(ui.lstFiles1->selectionModel()->selectedIndexes().size(), 6);
}

TEST_F(MainWindow, DeleteRemovesTheSelectedRowAndEmptiesTheMatchList) {
    TfrmMain window;
    const test::MainWindowControls ui(window);
    ui.lstFiles1->setEnabled(true);
    window.session().appendRows({fileRow("a", 1, 1, 1), fileRow("b", 1, 1, 1)});
    ui.lstLines1->setLines({MatchLine{"1", "line", false}});
    ui.lblMatches->setText(QStringLiteral("Matches in: /data/a"));

    window.resultLists().lstFiles1KeyUp(Qt::Key_Delete); // nothing selected: nothing happens
    EXPECT_EQ(ui.lstFiles1->count(), 2);
    EXPECT_EQ(ui.lstLines1->count(), 1);

    ui.lstFiles1->selectRow(0);
    window.resultLists().lstFiles1KeyUp(Qt::Key_Delete);
    EXPECT_EQ(listedNames(*ui.lstFiles1), (Names{"b"}));
    EXPECT_EQ(ui.lstLines1->count(), 0);
    EXPECT_EQ(ui.lstFiles1->selectedRow(), -1);
    EXPECT_EQ(ui.lblMatches->text(), QStringLiteral("Matches in: /data/a"));

    ui.lstFiles1->selectRow(0);
    window.resultLists().lstFiles1KeyUp(Qt::Key_Delete);
    EXPECT_EQ(ui.lstFiles1->count(), 0);
    EXPECT_TRUE(ui.lstFiles1->isEnabled());
}

TEST_F(MainWindow, EnterInTheSearchOrFileMaskBoxStartsTheSearch) {
    test::TempDir tree;
    tree.write("a.txt", "hello\n");
    tree.write("b.log", "hello\n");
    TfrmMain window;
    const test::MainWindowControls ui(window);
    window.show();
    ASSERT_TRUE(ui.Dir1->setDirectory(tree.path()));
    const auto enterIn = [&window](QWidget* box) {
        QSignalSpy finished(&window, &TfrmMain::searchFinished);
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_TRUE(finished.count() == 1 || finished.wait(10000));
    };

    ui.cboSearch->setEditText(QStringLiteral("hello"));
    enterIn(ui.cboSearch->lineEdit());
    EXPECT_EQ(listedNames(*ui.lstFiles1), (Names{"a.txt", "b.log"}));

    ui.txtFilespec->setText(QStringLiteral("*.log"));
    enterIn(ui.txtFilespec);
    EXPECT_EQ(listedNames(*ui.lstFiles1), (Names{"b.log"}));
    EXPECT_EQ(ui.cmdStop->toolTip(), QStringLiteral("Stop the search"));
}

namespace {

// Shows the window, searches dir for text and picks the one file found, so
// that the match list holds its lines.
void listLinesOfTheOnlyFile(TfrmMain& window, const std::string& dir, const char* text) {
    const test::MainWindowControls ui(window);
    window.show();
    ASSERT_TRUE(ui.Dir1->setDirectory(dir));
    ui.cboSearch->setEditText(QString::fromUtf8(text));
    QSignalSpy finished(&window, &TfrmMain::searchFinished);
    window.search().cmdSearchClick();
    ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
    ASSERT_EQ(ui.lstFiles1->count(), 1);
    QSignalSpy listed(&window, &TfrmMain::matchesListed);
    window.resultLists().lstFiles1Click();
    ASSERT_TRUE(listed.wait(10000));
    QApplication::processEvents();
}

} // namespace

// The compact layout's match list, filled by picking a file with 150
// matching lines, one of them longer than the list is wide.
TEST_F(MainWindow, PickedLinesShowWholeNumbersAndScrollSidewaysOnlyForLongLines) {
    test::TempDir tree;
    std::string text;
    for (int i = 1; i <= 150; ++i)
        text += i == 120 ? "hello " + std::string(300, 'x') + "\n" : "hello\n";
    tree.write("many.txt", text);
    TfrmMain window;
    const test::MainWindowControls ui(window);
    ASSERT_NO_FATAL_FAILURE(listLinesOfTheOnlyFile(window, tree.path(), "hello"));

    MatchListView& lines = *ui.lstLines1;
    ASSERT_EQ(lines.count(), 150);
    const QFontMetrics metrics(lines.font());
    EXPECT_LE(lines.rowHeight(0), metrics.height() + 3) << "rows no taller than the font needs";
    EXPECT_TRUE(lines.verticalScrollBar()->isVisible());
    EXPECT_GE(lines.columnWidth(0), metrics.horizontalAdvance(QStringLiteral("150")));
    // Only the long line needs the room beyond the right edge.
    EXPECT_GT(lines.horizontalScrollBar()->maximum(), 0);
    EXPECT_GE(lines.columnWidth(1), metrics.horizontalAdvance(QString(300, QLatin1Char('x'))));

    const QModelIndex line100 = lines.model()->index(99, 1);
    lines.scrollTo(line100);
    QTest::mouseClick(lines.viewport(), Qt::LeftButton, {}, lines.visualRect(line100).center());
    EXPECT_EQ(lines.selectedRow(), 99);
    EXPECT_EQ(lines.horizontalScrollBar()->value(), 0) << "the numbers stay in sight";
}

TEST_F(MainWindow, ShortLinesNeedNoSidewaysScrolling) {
    test::TempDir tree;
    std::string text;
    for (int i = 1; i <= 150; ++i)
        text += "hello\n";
    tree.write("short.txt", text);
    TfrmMain window;
    const test::MainWindowControls ui(window);
    ASSERT_NO_FATAL_FAILURE(listLinesOfTheOnlyFile(window, tree.path(), "hello"));
    EXPECT_TRUE(ui.lstLines1->verticalScrollBar()->isVisible());
    EXPECT_EQ(ui.lstLines1->horizontalScrollBar()->maximum(), 0) << "nothing to scroll to";
}

TEST_F(MainWindow, RefreshAndDriveChangeMoveTheDirectoryList) {
    test::TempDir tree;
    const std::string folder = tree.mkdir("here");
    TfrmMain window;
    const test::MainWindowControls ui(window);
    ASSERT_TRUE(ui.Dir1->setDirectory(folder));
    tree.mkdir("here/new");
    window.Refresh1Click();
    EXPECT_EQ(ui.Dir1->Directory(), folder + "/");
    ui.Dir1->model()->fetchMore(ui.Dir1->currentIndex());
    EXPECT_EQ(ui.Dir1->model()->rowCount(ui.Dir1->currentIndex()), 1);

    // Picking the drive again shows its current directory.
    ui.Dir1->setDirectory("/");
    ui.Dir1->setDirectory(folder);
    window.Drive1Change();
    EXPECT_EQ(ui.Dir1->Directory(), folder + "/");
}

TEST_F(MainWindow, AFolderTypedIntoTheDriveBoxOrDroppedOnTheWindowIsShownInTheTree) {
    test::TempDir tree;
    TfrmMain window;
    const test::MainWindowControls ui(window);
    window.show();
    const std::string start = tree.mkdir("start");
    ASSERT_TRUE(ui.Dir1->setDirectory(start));
    const std::string typed = tree.mkdir("typed here");
    const std::string dropped = tree.mkdir("dropped");

    ui.Drive1->lineEdit()->setText(QString::fromStdString(typed));
    QTest::keyClick(ui.Drive1->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(ui.Dir1->Directory(), typed + "/");
    EXPECT_EQ(ui.Drive1->currentText(), QString::fromStdString(typed + "/"));

    // What is no folder leaves the tree where it was, and the box says so.
    ui.Drive1->lineEdit()->setText(QString::fromStdString(tree.file("no such folder")));
    QTest::keyClick(ui.Drive1->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(ui.Dir1->Directory(), typed + "/");
    EXPECT_EQ(ui.Drive1->currentText(), QString::fromStdString(typed + "/"));

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &drop);
    EXPECT_EQ(ui.Dir1->Directory(), dropped + "/");
}

} // namespace
} // namespace ferrolux
