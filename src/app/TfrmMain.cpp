#include "app/TfrmMain.h"

#include "app/MainFileActions.h"
#include "app/Pictures.h"
#include "app/SearchController.h"
#include "app/Startup.h"
#include "app/TfrmAbout.h"
#include "app/TfrmSplash.h"
#include "platform/ui/DirectoryListBox.h"
#include "platform/ui/DriveComboBox.h"
#include "platform/ui/HelpWindow.h"
#include "platform/ui/HintSwitch.h"
#include "platform/ui/ScreenFonts.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"
#include "results/RegExpTokens.h"
#include "search/DateDisplay.h"
#include "search/SearchRun.h"
#include "search/ZipPhase.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QWindow>
#include <limits>

namespace ferrolux {
namespace {

constexpr QSize designedClientSize(914, 651);
// 800 x 575 outside, less the frame, caption and menu bar of that size.
constexpr QSize compactClientSize(792, 529);
constexpr int splashMinimumMs = 200;

// Hints are written with CR LF line breaks; a tool tip breaks at LF.
QString hint(const char* text) {
    return QString::fromLatin1(text).remove(QLatin1Char('\r'));
}

QLabel* label(QWidget* parent, const char* name, const char* caption, int left, int top) {
    auto* result = new QLabel(QString::fromLatin1(caption), parent);
    result->setObjectName(QString::fromLatin1(name));
    result->adjustSize();
    result->move(left, top);
    return result;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption, int left, int top,
                    int width) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(left, top, width, 17);
    return box;
}

QPushButton* glyphButton(QWidget* parent, const char* name, const char* caption, const QIcon& icon,
                         QRect geometry) {
    auto* button = new QPushButton(icon, QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setIconSize(QSize(32, 32));
    return button;
}

QAction* menuItem(QMenu* menu, const char* name, const char* caption, QKeySequence shortcut) {
    QAction* item = menu->addAction(QString::fromLatin1(caption));
    item->setObjectName(QString::fromLatin1(name));
    item->setShortcut(shortcut);
    return item;
}

} // namespace

TfrmMain::TfrmMain(TfrmSplash* splash, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      client_(new QWidget(this)), splash_(splash), liveOptions_(std::make_shared<LiveOptions>()) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Ferrolux"));
    setWindowIcon(applicationIcon());
    setFont(screenFontPixels(QStringLiteral("MS Sans Serif"), 12, QFont::SansSerif));
    setCentralWidget(client_);
    createResultLists(client_);
    createBottomPanel(client_);
    createMenus();
    setHints();
    setTabOrder();
    fileActions_ = new MainFileActions(*this);
    connectHandlers();
    setClientSize(designedClientSize);
    placeFrameAtOrigin();
    FormCreate();
}

TfrmMain::~TfrmMain() {
    // A window discarded without being closed still cleans up after itself.
    stopSearchForClose();
    deleteTempFolders(State);
}

void TfrmMain::createResultLists(QWidget* client) {
    lstFiles1 = new FileListView(client);
    lstFiles1->setObjectName(QStringLiteral("lstFiles1"));
    lstFiles1->setGeometry(0, 0, 914, 193);
    lstFiles1->setColumnWidths({250, 297, 70, 50, 81, 140});
    lstFiles1->setEnabled(false);
    lstFiles1->setContextMenuPolicy(Qt::CustomContextMenu);

    lblMatches = label(client, "lblMatches", "Matches in:", 8, 201);
    lblMatches->hide();

    lstLines1 = new MatchListView(client);
    lstLines1->setObjectName(QStringLiteral("lstLines1"));
    lstLines1->setGeometry(0, 224, 914, 215);
    lstLines1->setColumnWidth(0, 60);
    lstLines1->setColumnWidth(1, 830);
    lstLines1->setListFont(screenFont(QStringLiteral("Fixedsys"), 11, QFont::Monospace));
    lstLines1->setEnabled(false);

    lstFiles2 = new FileListView(client);
    lstFiles2->setObjectName(QStringLiteral("lstFiles2"));
    lstFiles2->setGeometry(0, 0, 10, 10);
    lstFiles2->hide();
    lstLines2 = new MatchListView(client);
    lstLines2->setObjectName(QStringLiteral("lstLines2"));
    lstLines2->setGeometry(0, 0, 10, 10);
    lstLines2->hide();

    pnlStatus = new QLabel(client);
    pnlStatus->setObjectName(QStringLiteral("pnlStatus"));
    pnlStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pnlStatus->setGeometry(0, 622, 915, 30);
}

void TfrmMain::createBottomPanel(QWidget* client) {
    pnlBottom = new QFrame(client);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlBottom->setGeometry(0, 441, 915, 180);

    Dir1 = new DirectoryListBox(pnlBottom);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(1, 5, 220, 148);
    Drive1 = new DriveComboBox(pnlBottom);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(1, 152, 220, 22);

    Label2 = label(pnlBottom, "Label2", "S&earch for:", 232, 5);
    cboSearch = new QComboBox(pnlBottom);
    cboSearch->setObjectName(QStringLiteral("cboSearch"));
    cboSearch->setEditable(true);
    cboSearch->setInsertPolicy(QComboBox::NoInsert);
    // A pasted pattern is taken whole, never cut at the edit box's default of
    // 32,767 characters; the engine refuses, with its reason, what is too large.
    cboSearch->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    cboSearch->setGeometry(230, 26, 206, 24);
    Label2->setBuddy(cboSearch);

    Label1 = label(pnlBottom, "Label1", "Fi&les to search:", 232, 67);
    txtFilespec = new QLineEdit(QStringLiteral("*.*"), pnlBottom);
    txtFilespec->setObjectName(QStringLiteral("txtFilespec"));
    txtFilespec->setGeometry(230, 87, 205, 24);
    Label1->setBuddy(txtFilespec);

    createFileTypes();

    Label3 = label(pnlBottom, "Label3", "Insert &Regular Expressions", 448, 5);
    cboRegExp = new QComboBox(pnlBottom);
    cboRegExp->setObjectName(QStringLiteral("cboRegExp"));
    cboRegExp->setGeometry(444, 26, 221, 24);
    for (const char* entry : regExpEntries())
        cboRegExp->addItem(QString::fromLatin1(entry));
    cboRegExp->setCurrentIndex(-1);
    Label3->setBuddy(cboRegExp);

    createOptions();
    createButtons();
}

void TfrmMain::createFileTypes() {
    GroupBox1 = new QGroupBox(QStringLiteral(" File Types "), pnlBottom);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(230, 128, 204, 46);
    chkTextFiles = checkBox(GroupBox1, "chkTextFiles", "Te&xt", 24, 20, 80);
    chkBinaryFiles = checkBox(GroupBox1, "chkBinaryFiles", "&Binary", 112, 20, 80);
    chkTextFiles->setChecked(true);
    chkBinaryFiles->setChecked(true);
}

void TfrmMain::createOptions() {
    GroupBox6 = new QGroupBox(QStringLiteral(" Options "), pnlBottom);
    GroupBox6->setObjectName(QStringLiteral("GroupBox6"));
    GroupBox6->setGeometry(444, 53, 221, 122);
    const int width = 208;
    chkInclSub = checkBox(GroupBox6, "chkInclSub", "&Include subdirectories", 8, 18, width);
    chkSearchListed =
        checkBox(GroupBox6, "chkSearchListed", "Search listed files &only", 8, 35, width);
    chkSearchZip = checkBox(GroupBox6, "chkSearchZip", "Search &Zip files", 8, 52, width);
    chkCase = checkBox(GroupBox6, "chkCase", "&Case-sensitive search", 8, 69, width);
    chkWord = checkBox(GroupBox6, "chkWord", "Match &whole words only", 8, 86, width);
    chkLiteral =
        checkBox(GroupBox6, "chkLiteral", "&Literal (no regular expressions)", 8, 103, width);
    chkSearchListed->setEnabled(false);
}

void TfrmMain::createButtons() {
    cmdSearch = glyphButton(pnlBottom, "cmdSearch", "&Search", searchGlyph(), {680, 27, 99, 49});
    cmdPrint = glyphButton(pnlBottom, "cmdPrint", "&Print", printGlyph(), {680, 96, 99, 49});
    cmdPrint->setEnabled(false);
    cmdStop = glyphButton(pnlBottom, "cmdStop", "", stopGlyph(), {680, 160, 99, 49});
    cmdStop->setToolTip(QStringLiteral("Stop the search"));
    cmdStop->hide();
}

void TfrmMain::createMenus() {
    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    RetrieveSearch1 =
        menuItem(File1, "RetrieveSearch1", "&Retrieve Search", QKeySequence("Ctrl+R"));
    SaveSearch1 = menuItem(File1, "SaveSearch1", "&Save Search", QKeySequence("Ctrl+S"));
    Refresh1 = menuItem(File1, "Refresh1", "Re&fresh", QKeySequence(Qt::Key_F5));
    Preferences1 = menuItem(File1, "Preferences1", "&Preferences", QKeySequence("Ctrl+P"));
    Exit1 = menuItem(File1, "Exit1", "E&xit", {});

    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Contents1 = menuItem(Help1, "Contents1", "&Contents", QKeySequence(Qt::Key_F1));
    Help1->addSeparator();
    About1 = menuItem(Help1, "About1", "&About", {});

    mnuFilesPopup = new QMenu(this);
    mnuFilesPopup->setObjectName(QStringLiteral("mnuFilesPopup"));
    View1 = menuItem(mnuFilesPopup, "View1", "&View", QKeySequence("Ctrl+V"));
    Open1 = menuItem(mnuFilesPopup, "Open1", "&Open", QKeySequence("Ctrl+O"));
    Edit1 = menuItem(mnuFilesPopup, "Edit1", "&Edit", QKeySequence("Ctrl+E"));
    // The file actions' shortcuts work while the file list has the focus.
    for (QAction* item : {View1, Open1, Edit1}) {
        item->setShortcutContext(Qt::WidgetShortcut);
        lstFiles1->addAction(item);
    }
}

void TfrmMain::setHints() {
    Dir1->setToolTip(hint("Click the right mouse button \r\nfor a listing of files in the \r\n"
                          "currently selected directory."));
    txtFilespec->setToolTip(hint("Multiple file specs may be entered\r\nby separating them with "
                                 "commas\r\n(i.e., \" *.txt , *.doc \")."));
    GroupBox1->setToolTip(hint("When searching entire directories,\r\nyou may exclude one file "
                               "type to\r\nimprove search performance."));
    cboRegExp->setToolTip(hint("Click on a regular expression\r\nfrom this list to insert it "
                               "into\r\nyour search string"));
    chkSearchListed->setToolTip(hint("Search only in the list of files\r\nreturned by the "
                                     "previous search\r\n(ignores the entered file spec)"));
    chkWord->setToolTip(hint("Include only matches where the search \r\nstring is a word by "
                             "itself (does not work\r\nwhen combined with any regular "
                             "expressions)"));
    chkLiteral->setToolTip(hint("Treat all regular expression\r\ncharacters as normal text"));
    lstFiles1->setToolTip(hint("Click the right mouse button\r\nfor a menu of file "
                               "options.\r\n\r\nClick on a column header to\r\nsort by that "
                               "column (successive\r\nclicks will swtich between\r\nascending "
                               "and descending)."));
    lstLines1->setToolTip(hint("Double-click on any match  to view the\r\nfile with the viewer  "
                               "positioned at that match."));
}

void TfrmMain::setTabOrder() {
    const QList<QWidget*> order = {
        lstFiles1,    lstLines1,      Dir1,       Drive1,     cboSearch,       txtFilespec,
        chkTextFiles, chkBinaryFiles, cboRegExp,  chkInclSub, chkSearchListed, chkSearchZip,
        chkCase,      chkWord,        chkLiteral, cmdSearch,  cmdPrint,        cmdStop};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TfrmMain::connectHandlers() {
    connect(Exit1, &QAction::triggered, this, &TfrmMain::Exit1Click);
    connect(About1, &QAction::triggered, this, &TfrmMain::About1Click);
    connect(Contents1, &QAction::triggered, this, &TfrmMain::Contents1Click);
    connect(Refresh1, &QAction::triggered, this, &TfrmMain::Refresh1Click);
    connect(SaveSearch1, &QAction::triggered, this, &TfrmMain::SaveSearch1Click);
    connect(RetrieveSearch1, &QAction::triggered, this, &TfrmMain::RetrieveSearch1Click);
    connect(Preferences1, &QAction::triggered, this, &TfrmMain::Preferences1Click);
    connect(Drive1, &DriveComboBox::Change, this, &TfrmMain::Drive1Change);
    connect(Dir1, &DirectoryListBox::Change, this,
            [this] { Drive1->showDriveOf(Dir1->Directory()); });
    connect(cmdSearch, &QPushButton::clicked, this, &TfrmMain::cmdSearchClick);
    // Enter in either box searches, as the Search button does.
    connect(cboSearch->lineEdit(), &QLineEdit::returnPressed, this, &TfrmMain::cmdSearchClick);
    connect(txtFilespec, &QLineEdit::returnPressed, this, &TfrmMain::cmdSearchClick);
    connect(cmdStop, &QPushButton::clicked, this, &TfrmMain::cmdStopClick);
    connect(cmdPrint, &QPushButton::clicked, this, &TfrmMain::cmdPrintClick);
    connectReports();
    connect(lstFiles1, &FileListView::Click, this, &TfrmMain::lstFiles1Click);
    connect(lstFiles1, &FileListView::KeyUp, this, &TfrmMain::lstFiles1KeyUp);
    connect(lstFiles1, &FileListView::ColumnClick, this, &TfrmMain::lstFiles1ColumnClick);
    connect(lstFiles1, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { mnuFilesPopup->popup(lstFiles1->viewport()->mapToGlobal(at)); });
    connect(View1, &QAction::triggered, this, &TfrmMain::View1Click);
    connect(Open1, &QAction::triggered, this, &TfrmMain::Open1Click);
    connect(Edit1, &QAction::triggered, this, &TfrmMain::Edit1Click);
    connect(lstLines1, &QAbstractItemView::doubleClicked, this, &TfrmMain::lstLines1DblClick);
    // The search clears the selection (-1); only a chosen entry inserts.
    connect(cboRegExp, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) cboRegExpClick(index);
    });
    // Boxes a running search reads at every directory or file.
    const auto live = [this](QCheckBox* box, std::atomic<bool> LiveOptions::*option) {
        connect(box, &QCheckBox::toggled, this,
                [this, option](bool on) { (*liveOptions_).*option = on; });
        (*liveOptions_).*option = box->isChecked();
    };
    live(chkInclSub, &LiveOptions::IncludeSubdirectories);
    live(chkCase, &LiveOptions::CaseSensitive);
    live(chkSearchZip, &LiveOptions::SearchZipFiles);
    live(chkTextFiles, &LiveOptions::TextFiles);
    live(chkBinaryFiles, &LiveOptions::BinaryFiles);
    search_ = createSearchController();
}

void TfrmMain::setClientSize(QSize size) {
    client_->setFixedSize(size);
    setFixedSize(size.width(), size.height() + menuBar()->sizeHint().height());
}

void TfrmMain::FormCreate() {
    HelpFilePath = helpDocumentPath();
    SortDirection = 1;
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    FormShow();
}

void TfrmMain::FormShow() {
    // The splash stays up, painted, at least this long after the first show
    // began, however fast the window was built; the event loop runs meanwhile.
    QElapsedTimer began;
    began.start();
    if (splash_) splash_->stayPainted(splashMinimumMs, began);
    delete splash_;
    splash_ = nullptr;
    if (usesCompactLayout(primaryScreenSize())) applyCompactLayout();
    placeStatusPanel();
    LoadSettings(true);
}

void TfrmMain::LoadSettings(bool applyStartupDir) {
    ::ferrolux::LoadSettings(Settings, *this, RegistryStore::standard(), applyStartupDir);
}

bool TfrmMain::showHint() const {
    return HintSwitch::instance().hintsShown();
}

void TfrmMain::setShowHint(bool on) {
    HintSwitch::instance().setHintsShown(on);
}

void TfrmMain::setMatchListFont(const QString& name, int32_t size) {
    lstLines1->setListFont(screenFont(name, size, QFont::Monospace));
}

bool TfrmMain::setDirectory(const QString& directory) {
    return Dir1->setDirectory(QFile::encodeName(directory).toStdString());
}

void TfrmMain::setRootDirectory() {
    Dir1->setDirectory(Drive1->Drive());
}

bool TfrmMain::usesCompactLayout(QSize screen) {
    return screen.width() == 800 || screen.height() == 600;
}

void TfrmMain::applyCompactLayout() {
    setClientSize(compactClientSize);
    placeFrameAtOrigin();
    lstLines1->setGeometry(0, 166, 790, 140);
    lstLines1->setColumnWidth(0, 45);
    lstLines1->setColumnWidth(1, 710);
    lstFiles1->resize(790, 140);
    lstFiles1->setColumnWidths({208, 232, 66, 50, 70, 140});
    lblMatches->move(lblMatches->x(), 146);
    pnlBottom->setGeometry(pnlBottom->x(), 309, 792, pnlBottom->height());
    pnlStatus->resize(pnlStatus->width(), 32);
}

// The frame's corner, not the client area's, goes to 0,0, so the caption
// and its close box stay on the screen. Once the window exists, a plain move
// would place its client area there: the frame is not known before it is
// first shown.
void TfrmMain::placeFrameAtOrigin() {
    if (QWindow* window = windowHandle())
        window->setFramePosition(QPoint(0, 0));
    else
        move(0, 0);
}

void TfrmMain::placeStatusPanel() {
    const QSize client = client_->size();
    pnlStatus->setGeometry(0, client.height() - pnlStatus->height(), client.width(),
                           pnlStatus->height());
}

void TfrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TfrmMain::FormActivate(const QLocale& locale) {
    DateDisplayFormat = chooseDateDisplayFormat(locale);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    FormClose();
    QMainWindow::closeEvent(event);
}

void TfrmMain::FormClose() {
    // The search goes first: it must not use the lists once they are dropped.
    stopSearchForClose();
    deleteTempFolders(State);
    if (helpWindow_) helpWindow_->close();
}

void TfrmMain::Exit1Click() {
    close();
}

void TfrmMain::About1Click() {
    if (frmAbout) frmAbout->exec();
}

void TfrmMain::Contents1Click() {
    if (!helpWindow_) {
        helpWindow_ = new HelpWindow(this);
        helpWindow_->setAttribute(Qt::WA_QuitOnClose, false);
    }
    helpWindow_->showContents(HelpFilePath);
}

void TfrmMain::Refresh1Click() {
    Dir1->Update();
}

void TfrmMain::Drive1Change() {
    if (!Dir1->setDirectory(Drive1->currentDirectory())) Dir1->setDirectory(Drive1->Drive());
}

} // namespace ferrolux
