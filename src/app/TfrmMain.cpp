#include "app/TfrmMain.h"

#include "app/MainFileActions.h"
#include "app/MainPrint.h"
#include "app/MainResultLists.h"
#include "app/MainSearch.h"
#include "app/MainSettings.h"
#include "app/Pictures.h"
#include "app/Startup.h"
#include "app/TfrmAbout.h"
#include "app/TfrmSplash.h"
#include "platform/ui/DirectoryListBox.h"
#include "platform/ui/DriveComboBox.h"
#include "platform/ui/ElidedLabel.h"
#include "platform/ui/FolderDrop.h"
#include "platform/ui/HelpWindow.h"
#include "platform/ui/ScreenFonts.h"
#include "results/FileListSort.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"
#include "results/NotSearchedList.h"
#include "results/RegExpTokens.h"
#include "results/TfrmNotSearched.h"
#include "search/DateDisplay.h"
#include "settings/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
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
                              Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      client_(new QWidget(this)), splash_(splash) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Ferrolux"));
    setWindowIcon(applicationIcon());
    setFont(screenFontPixels(QStringLiteral("MS Sans Serif"), 12, QFont::SansSerif));
    setCentralWidget(client_);
    client_->installEventFilter(this);
    createResultLists(client_);
    createBottomPanel(client_);
    createMenus();
    setHints();
    setTabOrder();
    search_ = std::make_unique<MainSearch>(this, session_, settings_, dateDisplayFormat_, controls_,
                                           results_, [this] { emit searchFinished(); });
    resultLists_ = std::make_unique<MainResultLists>(session_, settings_, controls_, results_,
                                                     [this] { emit matchesListed(); });
    fileActions_ = new MainFileActions(this, session_, settings_, controls_, results_);
    storedSettings_ = std::make_unique<MainSettings>(this, settings_, controls_, results_);
    printing_ = std::make_unique<MainPrint>(this, session_, settings_, controls_, results_,
                                            [this] { resultLists_->finishListing(); });
    connectHandlers();
    setClientSize(designedClientSize);
    placeFrameAtOrigin();
    FormCreate();
}

TfrmMain::~TfrmMain() {
    // A window discarded without being closed still cleans up after itself;
    // the search goes first, as it uses the session.
    search_->stopForClose();
    session_.deleteExtractionFolders();
    // The file list is a view of the session, which goes with the members.
    delete results_.lstFiles1;
}

void TfrmMain::createResultLists(QWidget* client) {
    FileListView* lstFiles1 = results_.lstFiles1 = new FileListView(session_, client);
    lstFiles1->setObjectName(QStringLiteral("lstFiles1"));
    lstFiles1->setGeometry(0, 0, 914, 193);
    lstFiles1->setColumnWidths({250, 297, 70, 50, 81, 140});
    lstFiles1->setEnabled(false);
    lstFiles1->setContextMenuPolicy(Qt::CustomContextMenu);

    // As wide as the list below it: a long path is shortened in its middle.
    ElidedLabel* lblMatches = results_.lblMatches = new ElidedLabel(client);
    lblMatches->setObjectName(QStringLiteral("lblMatches"));
    lblMatches->setParts(QStringLiteral("Matches in:"), {});
    lblMatches->setGeometry(8, 201, 914 - 16, lblMatches->sizeHint().height());
    lblMatches->hide();

    MatchListView* lstLines1 = results_.lstLines1 = new MatchListView(client);
    lstLines1->setObjectName(QStringLiteral("lstLines1"));
    lstLines1->setGeometry(0, 224, 914, 215);
    lstLines1->setColumnWidth(0, 60);
    lstLines1->setColumnWidth(1, 830);
    lstLines1->setListFont(screenFont(QStringLiteral("Fixedsys"), 11, QFont::Monospace));
    lstLines1->setEnabled(false);

    QLabel* pnlStatus = results_.pnlStatus = new QLabel(client);
    pnlStatus->setObjectName(QStringLiteral("pnlStatus"));
    pnlStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pnlStatus->setGeometry(0, 622, 915, 30);

    QLabel* lblNotSearched = results_.lblNotSearched = new QLabel(pnlStatus);
    lblNotSearched->setObjectName(QStringLiteral("lblNotSearched"));
    lblNotSearched->setTextFormat(Qt::RichText);
    lblNotSearched->setToolTip(QStringLiteral("Show what the search could not search, and why"));
    lblNotSearched->hide();
    // At the right end of the status line, clear of the summary at its left.
    auto* statusRow = new QHBoxLayout(pnlStatus);
    statusRow->setContentsMargins(0, 0, 8, 0);
    statusRow->addStretch(1);
    statusRow->addWidget(lblNotSearched);
}

void TfrmMain::createBottomPanel(QWidget* client) {
    auto* pnlBottom = new QFrame(client);
    pnlBottom_ = pnlBottom;
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlBottom->setGeometry(0, 441, 915, 180);

    controls_.Dir1 = new DirectoryListBox(pnlBottom);
    controls_.Dir1->setObjectName(QStringLiteral("Dir1"));
    controls_.Dir1->setGeometry(1, 5, 220, 148);
    controls_.Drive1 = new DriveComboBox(pnlBottom);
    controls_.Drive1->setObjectName(QStringLiteral("Drive1"));
    controls_.Drive1->setGeometry(1, 152, 220, 22);

    QLabel* Label2 = label(pnlBottom, "Label2", "S&earch for:", 232, 5);
    QComboBox* cboSearch = controls_.cboSearch = new QComboBox(pnlBottom);
    cboSearch->setObjectName(QStringLiteral("cboSearch"));
    cboSearch->setEditable(true);
    cboSearch->setInsertPolicy(QComboBox::NoInsert);
    // A pasted pattern is taken whole, never cut at the edit box's default of
    // 32,767 characters; the engine refuses, with its reason, what is too large.
    cboSearch->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    cboSearch->setGeometry(230, 26, 206, 24);
    Label2->setBuddy(cboSearch);

    QLabel* Label1 = label(pnlBottom, "Label1", "Fi&les to search:", 232, 67);
    QLineEdit* txtFilespec = controls_.txtFilespec =
        new QLineEdit(QStringLiteral("*.*"), pnlBottom);
    txtFilespec->setObjectName(QStringLiteral("txtFilespec"));
    txtFilespec->setGeometry(230, 87, 205, 24);
    Label1->setBuddy(txtFilespec);

    createFileTypes(pnlBottom);

    QLabel* Label3 = label(pnlBottom, "Label3", "Insert &Regular Expressions", 448, 5);
    QComboBox* cboRegExp = controls_.cboRegExp = new QComboBox(pnlBottom);
    cboRegExp->setObjectName(QStringLiteral("cboRegExp"));
    cboRegExp->setGeometry(444, 26, 221, 24);
    for (const char* entry : regExpEntries())
        cboRegExp->addItem(QString::fromLatin1(entry));
    cboRegExp->setCurrentIndex(-1);
    Label3->setBuddy(cboRegExp);

    createOptions(pnlBottom);
    createButtons(pnlBottom);
}

void TfrmMain::createFileTypes(QWidget* panel) {
    auto* GroupBox1 = new QGroupBox(QStringLiteral(" File Types "), panel);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(230, 128, 204, 46);
    controls_.chkTextFiles = checkBox(GroupBox1, "chkTextFiles", "Te&xt", 24, 20, 80);
    controls_.chkBinaryFiles = checkBox(GroupBox1, "chkBinaryFiles", "&Binary", 112, 20, 80);
    controls_.chkTextFiles->setChecked(true);
    controls_.chkBinaryFiles->setChecked(true);
}

void TfrmMain::createOptions(QWidget* panel) {
    auto* GroupBox6 = new QGroupBox(QStringLiteral(" Options "), panel);
    GroupBox6->setObjectName(QStringLiteral("GroupBox6"));
    GroupBox6->setGeometry(444, 53, 221, 122);
    const int width = 208;
    SearchControls& c = controls_;
    c.chkInclSub = checkBox(GroupBox6, "chkInclSub", "&Include subdirectories", 8, 18, width);
    c.chkSearchListed =
        checkBox(GroupBox6, "chkSearchListed", "Search listed files &only", 8, 35, width);
    c.chkSearchZip = checkBox(GroupBox6, "chkSearchZip", "Search &Zip files", 8, 52, width);
    c.chkCase = checkBox(GroupBox6, "chkCase", "&Case-sensitive search", 8, 69, width);
    c.chkWord = checkBox(GroupBox6, "chkWord", "Match &whole words only", 8, 86, width);
    c.chkLiteral =
        checkBox(GroupBox6, "chkLiteral", "&Literal (no regular expressions)", 8, 103, width);
    c.chkSearchListed->setEnabled(false);
}

void TfrmMain::createButtons(QWidget* panel) {
    SearchControls& c = controls_;
    c.cmdSearch = glyphButton(panel, "cmdSearch", "&Search", searchGlyph(), {680, 27, 99, 49});
    c.cmdPrint = glyphButton(panel, "cmdPrint", "&Print", printGlyph(), {680, 96, 99, 49});
    c.cmdPrint->setEnabled(false);
    c.cmdStop = glyphButton(panel, "cmdStop", "", stopGlyph(), {680, 160, 99, 49});
    c.cmdStop->setToolTip(QStringLiteral("Stop the search"));
    c.cmdStop->hide();
}

void TfrmMain::createMenus() {
    QMenu* File1 = menuBar()->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    menuItem(File1, "RetrieveSearch1", "&Retrieve Search", QKeySequence("Ctrl+R"));
    menuItem(File1, "SaveSearch1", "&Save Search", QKeySequence("Ctrl+S"));
    menuItem(File1, "Refresh1", "Re&fresh", QKeySequence(Qt::Key_F5));
    results_.NotSearched1 = menuItem(File1, "NotSearched1", "&Not Searched...", {});
    results_.NotSearched1->setEnabled(false);
    menuItem(File1, "Preferences1", "&Preferences", QKeySequence("Ctrl+P"));
    menuItem(File1, "Exit1", "E&xit", {});

    QMenu* Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    menuItem(Help1, "Contents1", "&Contents", QKeySequence(Qt::Key_F1));
    Help1->addSeparator();
    menuItem(Help1, "About1", "&About", {});

    mnuFilesPopup_ = new QMenu(this);
    mnuFilesPopup_->setObjectName(QStringLiteral("mnuFilesPopup"));
    // The file actions' shortcuts work while the file list has the focus.
    for (QAction* item : {menuItem(mnuFilesPopup_, "View1", "&View", QKeySequence("Ctrl+V")),
                          menuItem(mnuFilesPopup_, "Open1", "&Open", QKeySequence("Ctrl+O")),
                          menuItem(mnuFilesPopup_, "Edit1", "&Edit", QKeySequence("Ctrl+E"))}) {
        item->setShortcutContext(Qt::WidgetShortcut);
        results_.lstFiles1->addAction(item);
    }
}

void TfrmMain::setHints() {
    const SearchControls& c = controls_;
    c.Dir1->setToolTip(hint("Click the right mouse button \r\nfor a listing of files in the \r\n"
                            "currently selected directory."));
    c.txtFilespec->setToolTip(hint("Multiple file specs may be entered\r\nby separating them with "
                                   "commas\r\n(i.e., \" *.txt , *.doc \")."));
    findChild<QGroupBox*>(QStringLiteral("GroupBox1"))
        ->setToolTip(hint("When searching entire directories,\r\nyou may exclude one file "
                          "type to\r\nimprove search performance."));
    c.cboRegExp->setToolTip(hint("Click on a regular expression\r\nfrom this list to insert it "
                                 "into\r\nyour search string"));
    c.chkSearchListed->setToolTip(hint("Search only in the list of files\r\nreturned by the "
                                       "previous search\r\n(ignores the entered file spec)"));
    c.chkWord->setToolTip(hint("Include only matches where the search \r\nstring is a word by "
                               "itself (does not work\r\nwhen combined with any regular "
                               "expressions)"));
    c.chkLiteral->setToolTip(hint("Treat all regular expression\r\ncharacters as normal text"));
    results_.lstFiles1->setToolTip(hint("Click the right mouse button\r\nfor a menu of file "
                                        "options.\r\n\r\nClick on a column header to\r\nsort by "
                                        "that column (successive\r\nclicks will swtich "
                                        "between\r\nascending and descending)."));
    results_.lstLines1->setToolTip(hint("Double-click on any match  to view the\r\nfile with the "
                                        "viewer  positioned at that match."));
}

void TfrmMain::setTabOrder() {
    const SearchControls& c = controls_;
    const QList<QWidget*> order = {
        results_.lstFiles1, results_.lstLines1, c.Dir1,           c.Drive1,    c.cboSearch,
        c.txtFilespec,      c.chkTextFiles,     c.chkBinaryFiles, c.cboRegExp, c.chkInclSub,
        c.chkSearchListed,  c.chkSearchZip,     c.chkCase,        c.chkWord,   c.chkLiteral,
        c.cmdSearch,        c.cmdPrint,         c.cmdStop};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TfrmMain::connectHandlers() {
    const auto onMenu = [this](const char* name, auto handler) {
        connect(findChild<QAction*>(QLatin1String(name)), &QAction::triggered, this, handler);
    };
    onMenu("Exit1", [this] { Exit1Click(); });
    onMenu("About1", [this] { About1Click(); });
    onMenu("Contents1", [this] { Contents1Click(); });
    onMenu("Refresh1", [this] { Refresh1Click(); });
    onMenu("NotSearched1", [this] { NotSearched1Click(); });
    connect(results_.lblNotSearched, &QLabel::linkActivated, this, [this] { NotSearched1Click(); });
    onMenu("SaveSearch1", [this] { storedSettings_->SaveSearch1Click(); });
    onMenu("RetrieveSearch1", [this] { storedSettings_->RetrieveSearch1Click(); });
    onMenu("Preferences1", [this] { storedSettings_->Preferences1Click(); });
    FileActions& actions = fileActions_->actions();
    onMenu("View1", [&actions] { actions.View1Click(); });
    onMenu("Open1", [&actions] { actions.Open1Click(); });
    onMenu("Edit1", [&actions] { actions.Edit1Click(); });

    const SearchControls& c = controls_;
    connect(c.Drive1, &DriveComboBox::Change, this, &TfrmMain::Drive1Change);
    connect(c.Dir1, &DirectoryListBox::Change, this,
            [c] { c.Drive1->showDriveOf(c.Dir1->Directory()); });
    // A folder typed into the drive box or dropped on the window is shown.
    connect(c.Drive1, &DriveComboBox::folderEntered, this, &TfrmMain::goToFolder);
    connect(new FolderDrop(this), &FolderDrop::dropped, this, &TfrmMain::goToFolder);
    const auto search = [this] { search_->cmdSearchClick(); };
    connect(c.cmdSearch, &QPushButton::clicked, this, search);
    // Enter in either box searches, as the Search button does.
    connect(c.cboSearch->lineEdit(), &QLineEdit::returnPressed, this, search);
    connect(c.txtFilespec, &QLineEdit::returnPressed, this, search);
    connect(c.cmdStop, &QPushButton::clicked, this, [this] { search_->cmdStopClick(); });
    connect(c.cmdPrint, &QPushButton::clicked, this, [this] { printing_->cmdPrintClick(); });
    // The search clears the selection (-1); only a chosen entry inserts.
    connect(c.cboRegExp, &QComboBox::currentIndexChanged, this, [&actions](int index) {
        if (index >= 0) actions.cboRegExpClick(index);
    });

    FileListView* lstFiles1 = results_.lstFiles1;
    MainResultLists& lists = *resultLists_;
    connect(lstFiles1, &FileListView::Click, this, [&lists] { lists.lstFiles1Click(); });
    connect(lstFiles1, &FileListView::KeyUp, this,
            [&lists](int key) { lists.lstFiles1KeyUp(key); });
    connect(lstFiles1, &FileListView::ColumnClick, this,
            [&lists](int column) { lists.lstFiles1ColumnClick(column); });
    connect(lstFiles1, &QWidget::customContextMenuRequested, this, [this, lstFiles1](QPoint at) {
        mnuFilesPopup_->popup(lstFiles1->viewport()->mapToGlobal(at));
    });
    connect(results_.lstLines1, &QAbstractItemView::doubleClicked, this,
            [&actions] { actions.lstLines1DblClick(); });
}

// The designed (or compact) size is the smallest: the window may grow.
void TfrmMain::setClientSize(QSize size) {
    clientSize_ = size;
    client_->setMinimumSize(size);
    const QSize window(size.width(), size.height() + menuBar()->sizeHint().height());
    setMinimumSize(window);
    resize(window);
}

void TfrmMain::rememberBaseLayout() {
    baseAreas_ = MainAreas{results_.lstFiles1->geometry(), results_.lblMatches->pos(),
                           results_.lstLines1->geometry(), pnlBottom_->geometry(),
                           results_.pnlStatus->geometry(), 0};
    baseClient_ = clientSize_;
    baseDirectoryWidth_ = results_.lstFiles1->columnWidth(ColDirectory);
}

void TfrmMain::layoutClient() {
    if (!baseAreas_) return;
    const MainAreas areas = mainAreasFor(*baseAreas_, baseClient_, client_->size());
    results_.lstFiles1->setGeometry(areas.files);
    results_.lblMatches->setGeometry(
        QRect(areas.matchLabel, QSize(areas.files.width() - 2 * areas.matchLabel.x(),
                                      results_.lblMatches->height())));
    results_.lstLines1->setGeometry(areas.lines);
    pnlBottom_->setGeometry(areas.bottom);
    results_.pnlStatus->setGeometry(areas.status);
    results_.lstFiles1->setColumnWidth(ColDirectory, baseDirectoryWidth_ + areas.directoryExtra);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) layoutClient();
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::FormCreate() {
    helpFilePath_ = helpDocumentPath();
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
    rememberBaseLayout();
    restorePlacement();
    layoutClient();
    storedSettings_->LoadSettings(true);
}

bool TfrmMain::usesCompactLayout(QSize screen) {
    return screen.width() == 800 || screen.height() == 600;
}

void TfrmMain::applyCompactLayout() {
    setClientSize(compactClientSize);
    placeFrameAtOrigin();
    results_.lstLines1->setGeometry(0, 166, 790, 140);
    results_.lstLines1->setColumnWidth(0, 45);
    results_.lstLines1->setColumnWidth(1, 710);
    results_.lstFiles1->resize(790, 140);
    results_.lstFiles1->setColumnWidths({208, 232, 66, 50, 70, 140});
    results_.lblMatches->setGeometry(results_.lblMatches->x(), 146, 790 - 16,
                                     results_.lblMatches->height());
    pnlBottom_->setGeometry(pnlBottom_->x(), 309, 792, pnlBottom_->height());
    results_.pnlStatus->resize(results_.pnlStatus->width(), 32);
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

void TfrmMain::restorePlacement() {
    const std::optional<WindowPlacement> stored = readWindowPlacement(RegistryStore::standard());
    placementStored_ = stored.has_value();
    if (stored) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect available =
            screen ? screen->availableGeometry() : QRect(QPoint(), primaryScreenSize());
        setGeometry(placementOnScreen(stored->geometry, available, minimumSize()));
        if (stored->maximized) setWindowState(windowState() | Qt::WindowMaximized);
    }
}

// Written only once the window has left its first place and size (its frame
// at the corner, the layout's size): until then the store is left as it was.
void TfrmMain::savePlacement() {
    if (!baseAreas_) return;
    const WindowPlacement now{normalGeometry(), isMaximized()};
    const bool asPlaced = pos() == QPoint(0, 0) && size() == minimumSize();
    if (!placementStored_ && !now.maximized && asPlaced) return;
    writeWindowPlacement(RegistryStore::standard(), now);
}

void TfrmMain::placeStatusPanel() {
    const QSize client = client_->size();
    QLabel* pnlStatus = results_.pnlStatus;
    pnlStatus->setGeometry(0, client.height() - pnlStatus->height(), client.width(),
                           pnlStatus->height());
}

void TfrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TfrmMain::FormActivate(const QLocale& locale) {
    dateDisplayFormat_ = chooseDateDisplayFormat(locale);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    FormClose();
    QMainWindow::closeEvent(event);
}

void TfrmMain::FormClose() {
    savePlacement();
    // The search goes first: it must not use the lists once they are dropped.
    search_->stopForClose();
    session_.deleteExtractionFolders();
    if (helpWindow_) helpWindow_->close();
}

void TfrmMain::Exit1Click() {
    close();
}

void TfrmMain::About1Click() {
    if (frmAbout_) frmAbout_->exec();
}

void TfrmMain::Contents1Click() {
    if (!helpWindow_) {
        helpWindow_ = new HelpWindow(this);
        helpWindow_->setAttribute(Qt::WA_QuitOnClose, false);
    }
    helpWindow_->showContents(helpFilePath_);
}

void TfrmMain::Refresh1Click() {
    controls_.Dir1->Update();
}

void TfrmMain::NotSearched1Click() {
    TfrmNotSearched::showModal(this, notSearchedEntries(session_.notSearched()),
                               session_.state().Canceled);
}

void TfrmMain::goToFolder(const std::string& folder) {
    const SearchControls& c = controls_;
    if (c.Dir1->setDirectory(folder)) return;
    // Not a folder that can be entered: the box shows where the tree is.
    QApplication::beep();
    c.Drive1->showDriveOf(c.Dir1->Directory());
}

void TfrmMain::Drive1Change() {
    const SearchControls& c = controls_;
    if (!c.Dir1->setDirectory(c.Drive1->currentDirectory()))
        c.Dir1->setDirectory(c.Drive1->Drive());
}

} // namespace ferrolux
