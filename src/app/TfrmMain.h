#pragma once

#include "app/MainControls.h"
#include "app/MainLayout.h"
#include "search/SearchSession.h"
#include "settings/Settings.h"

#include <QLocale>
#include <QMainWindow>
#include <memory>
#include <optional>

class QMenu;

namespace ferrolux {

class HelpWindow;
class MainFileActions;
class MainPrint;
class MainResultLists;
class MainSearch;
class MainSettings;
class TfrmAbout;
class TfrmPrint;
class TfrmSplash;

// The main window: the search controls, the result lists over its search
// session, the menus and the status line. What the user does with them is
// handled by small classes, one per job: the search, the result lists, the
// file actions, the stored settings and saved searches, and printing. Each
// control has its specified name as objectName.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // splash, when given, is removed when the window is first shown.
    explicit TfrmMain(TfrmSplash* splash = nullptr, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Start-up and shut-down.
    void FormShow();
    void FormActivate(const QLocale& locale = QLocale::system());
    void FormClose();
    // The layout for screens 800 pixels wide or 600 high.
    static bool usesCompactLayout(QSize screen);
    void applyCompactLayout();

    // Menus and the directory controls.
    void Exit1Click();
    void About1Click();
    void Contents1Click();
    void Refresh1Click();
    // What the last search could not search, each with its reason.
    void NotSearched1Click();
    void Drive1Change();
    // Shows a folder typed into the drive box or dropped on the window.
    void goToFolder(const std::string& folder);

    // The search and its results, the preferences record, and the values
    // prepared at creation and activation.
    SearchSession& session() { return session_; }
    ::ferrolux::Settings& settings() { return settings_; }
    const QString& DateDisplayFormat() const { return dateDisplayFormat_; }
    const QString& HelpFilePath() const { return helpFilePath_; }

    // The handlers, grouped by what they act on.
    MainSearch& search() { return *search_; }
    MainResultLists& resultLists() { return *resultLists_; }
    MainFileActions& fileActions() { return *fileActions_; }
    MainSettings& storedSettings() { return *storedSettings_; }
    MainPrint& printing() { return *printing_; }

    // Shown by Help / About; created by the program entry after this window.
    void setAboutBox(TfrmAbout* about) { frmAbout_ = about; }

signals:
    // A search from cmdSearchClick has ended and its outcome was shown.
    void searchFinished();
    // The match list has been filled with the lines of the file picked.
    void matchesListed();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void createResultLists(QWidget* client);
    void createBottomPanel(QWidget* client);
    void createFileTypes(QWidget* panel);
    void createOptions(QWidget* panel);
    void createButtons(QWidget* panel);
    void createMenus();
    void setHints();
    void setTabOrder();
    void connectHandlers();
    void placeFrameAtOrigin();
    void placeStatusPanel();
    void setClientSize(QSize size);
    // The layout at the size set last becomes the one a larger window grows
    // from; layoutClient places the areas for the client's size now.
    void rememberBaseLayout();
    void layoutClient();
    // Size and position of the last run, brought onto the screen as it is.
    void restorePlacement();
    void savePlacement();

    SearchSession session_;
    ::ferrolux::Settings settings_;
    QString dateDisplayFormat_;
    QString helpFilePath_;
    SearchControls controls_;
    ResultControls results_;
    QWidget* client_;
    QWidget* pnlBottom_ = nullptr;
    QMenu* mnuFilesPopup_ = nullptr;
    TfrmSplash* splash_;
    TfrmAbout* frmAbout_ = nullptr;
    HelpWindow* helpWindow_ = nullptr;
    bool shownOnce_ = false;
    QSize clientSize_;                   // designed or compact
    std::optional<MainAreas> baseAreas_; // known once first shown
    QSize baseClient_;
    int baseDirectoryWidth_ = 0;
    bool placementStored_ = false;
    std::unique_ptr<MainSearch> search_;
    std::unique_ptr<MainResultLists> resultLists_;
    MainFileActions* fileActions_ = nullptr;
    std::unique_ptr<MainSettings> storedSettings_;
    std::unique_ptr<MainPrint> printing_;
};

} // namespace ferrolux
