#pragma once

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ferrolux {

class DirectoryListBox;
class DriveComboBox;
class ElidedLabel;
class FileListView;
class MatchListView;

// The controls of the main window's lower panel: what a search is asked
// with, and the buttons that start, stop and print it.
struct SearchControls {
    DirectoryListBox* Dir1 = nullptr;
    DriveComboBox* Drive1 = nullptr;
    QComboBox* cboSearch = nullptr;
    QLineEdit* txtFilespec = nullptr;
    QCheckBox* chkTextFiles = nullptr;
    QCheckBox* chkBinaryFiles = nullptr;
    QComboBox* cboRegExp = nullptr;
    QCheckBox* chkInclSub = nullptr;
    QCheckBox* chkSearchListed = nullptr;
    QCheckBox* chkSearchZip = nullptr;
    QCheckBox* chkCase = nullptr;
    QCheckBox* chkWord = nullptr;
    QCheckBox* chkLiteral = nullptr;
    QPushButton* cmdSearch = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdStop = nullptr;
};

// The result lists of the main window, its status line, and the two ways to
// the list of what the last search could not search: a link in the status
// line and a menu item.
struct ResultControls {
    FileListView* lstFiles1 = nullptr;
    ElidedLabel* lblMatches = nullptr;
    MatchListView* lstLines1 = nullptr;
    QLabel* pnlStatus = nullptr;
    QLabel* lblNotSearched = nullptr;
    QAction* NotSearched1 = nullptr;
};

} // namespace ferrolux
