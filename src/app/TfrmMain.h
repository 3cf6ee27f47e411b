#pragma once

#include "print/Reports.h"
#include "search/GrepEngine.h"
#include "search/SearchRequest.h"
#include "search/SearchState.h"
#include "settings/SearchForm.h"
#include "settings/Settings.h"
#include "settings/SettingsTarget.h"

#include <QLocale>
#include <QMainWindow>
#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace ferrolux {

class DirectoryListBox;
class DriveComboBox;
class FileListView;
class HelpWindow;
class MainFileActions;
class MatchListView;
class SearchController;
class TfrmAbout;
class TfrmPrint;
class TfrmSplash;

// The main window: owns the search state, the settings record, the result
// lists and every search control. Handlers are thin: they read controls, call
// the core and write controls.
class TfrmMain : public QMainWindow, public SettingsTarget, public SearchForm {
    Q_OBJECT
public:
    // splash, when given, is removed when the window is first shown.
    explicit TfrmMain(TfrmSplash* splash = nullptr, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Result lists and their hidden twins (printing and listed-files searches).
    FileListView* lstFiles1;
    QLabel* lblMatches;
    MatchListView* lstLines1;
    FileListView* lstFiles2;
    MatchListView* lstLines2;

    // Search controls.
    QFrame* pnlBottom;
    DirectoryListBox* Dir1;
    DriveComboBox* Drive1;
    QLabel* Label2;
    QComboBox* cboSearch;
    QLabel* Label1;
    QLineEdit* txtFilespec;
    QGroupBox* GroupBox1;
    QCheckBox* chkTextFiles;
    QCheckBox* chkBinaryFiles;
    QLabel* Label3;
    QComboBox* cboRegExp;
    QGroupBox* GroupBox6;
    QCheckBox* chkInclSub;
    QCheckBox* chkSearchListed;
    QCheckBox* chkSearchZip;
    QCheckBox* chkCase;
    QCheckBox* chkWord;
    QCheckBox* chkLiteral;
    QPushButton* cmdSearch;
    QPushButton* cmdPrint;
    QPushButton* cmdStop;
    QLabel* pnlStatus;

    // Menus.
    QMenu* File1;
    QAction* RetrieveSearch1;
    QAction* SaveSearch1;
    QAction* Refresh1;
    QAction* Preferences1;
    QAction* Exit1;
    QMenu* Help1;
    QAction* Contents1;
    QAction* About1;
    QMenu* mnuFilesPopup;
    QAction* View1;
    QAction* Open1;
    QAction* Edit1;

    // Shown by Help / About; created by the program entry after this window.
    TfrmAbout* frmAbout = nullptr;

    // Process-wide values prepared at creation.
    QString HelpFilePath;
    int SortDirection = 1;
    QString DateDisplayFormat;
    SearchState State;
    ::ferrolux::Settings Settings;

    // Start-up and shut-down.
    void FormShow();
    // Reads the stored preferences into Settings and applies the tool tip
    // switch, the match-list font and (with applyStartupDir) the start-up
    // directory.
    void LoadSettings(bool applyStartupDir);
    void FormActivate(const QLocale& locale = QLocale::system());
    void FormClose();

    // Menus and the directory controls.
    void Exit1Click();
    void About1Click();
    void Contents1Click();
    void Refresh1Click();
    void Drive1Change();

    // Saved searches and preferences.
    void SaveSearch1Click();
    void RetrieveSearch1Click();
    void Preferences1Click();
    SearchOptionBoxes optionBoxes() const;

    // Searching.
    void cmdSearchClick();
    void cmdStopClick();
    bool searchRunning() const;

    // Result lists.
    void lstFiles1Click();
    void lstFiles1KeyUp(int key);
    void lstFiles1ColumnClick(int column);
    void ListFileMatches(bool useHidden);

    // File actions on the selected row, and the two search-building aids.
    void View1Click();
    void lstLines1DblClick();
    void Open1Click();
    void Edit1Click();
    void cboRegExpClick(int index);
    void Dir1MouseDown(Qt::MouseButton button);
    // The file the last View, Open or Edit acted on.
    const std::string& CurrentFilePath() const;

    // Printing: the print dialog (created by the program entry), the two
    // reports, never shown, and the state their data handlers move through.
    TfrmPrint* frmPrint = nullptr;
    FilesReport qrFiles;
    MatchesReport qrMatches;
    int32_t FileCursor = -1;
    int32_t LineCursor = -1;
    QString PageHeaderText;
    void cmdPrintClick();
    void qrFilesNeedData(bool& moreData);
    void qrMatchesNeedData(bool& moreData);
    void qrMatchesTextNeedData(bool& moreData);

    // The layout for screens 800 pixels wide or 600 high.
    static bool usesCompactLayout(QSize screen);
    void applyCompactLayout();

    // What the stored settings act on.
    bool showHint() const override;
    void setShowHint(bool on) override;
    void setMatchListFont(const QString& name, int32_t size) override;
    bool setDirectory(const QString& directory) override;
    void setRootDirectory() override;
    // What a retrieved search fills (setDirectory above serves it too).
    void setSearchText(const QString& text) override;
    void setFileSpec(const QString& fileSpec) override;
    void setOptionBoxes(const SearchOptionBoxes& boxes) override;
    QObject* messageOwner() override { return this; }

signals:
    // A search from cmdSearchClick has ended and its outcome was shown.
    void searchFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void createResultLists(QWidget* client);
    void createBottomPanel(QWidget* client);
    void createFileTypes();
    void createOptions();
    void createButtons();
    void createMenus();
    void setHints();
    void setTabOrder();
    void connectHandlers();
    void connectReports();
    void outputReport(BandReport& report, const QString& documentName);
    void placeFrameAtOrigin();
    void placeStatusPanel();
    void setClientSize(QSize size);

    SearchController* createSearchController();
    SearchRequest readRequest() const;
    void showBusyState();
    void resetForSearch();
    void startSearch(const SearchRequest& request);
    void endSearch();
    void showOutcome();
    void stopSearchForClose();

    QWidget* client_;
    TfrmSplash* splash_;
    HelpWindow* helpWindow_ = nullptr;
    MainFileActions* fileActions_;
    bool shownOnce_ = false;
    std::shared_ptr<LiveOptions> liveOptions_;
    SearchController* search_;
    GrepEngine listingEngine_;
};

} // namespace ferrolux
