// The main window's result lists: picking a file lists its matches, Delete
// prunes the file list, a header click sorts it; View, Open and Edit act on
// the selected file.
#include "app/MainFileActions.h"
#include "app/TfrmMain.h"
#include "platform/ui/ColorRef.h"
#include "platform/ui/ScreenFonts.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"
#include "results/RowDisplay.h"
#include "results/TfrmDirListing.h"
#include "search/MatchListing.h"
#include "search/TextDecoding.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>

namespace ferrolux {

void TfrmMain::lstFiles1Click() {
    ListFileMatches(false);
}

void TfrmMain::lstFiles1KeyUp(int key) {
    if (key != Qt::Key_Delete) return ListFileMatches(false);
    const int selected = lstFiles1->selectedRow();
    if (selected < 0) return;
    lstFiles1->removeRowAt(selected);
    // Nothing else is picked in its place.
    lstFiles1->clearSelection();
    lstLines1->clearLines();
}

void TfrmMain::lstFiles1ColumnClick(int column) {
    lstFiles1->sortRows(column, SortDirection);
    SortDirection = -SortDirection;
}

void TfrmMain::ListFileMatches(bool useHidden) {
    FileListView* files = useHidden ? lstFiles2 : lstFiles1;
    MatchListView* lines = useHidden ? lstLines2 : lstLines1;
    const int selected = files->selectedRow();
    if (selected < 0) return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    lines->clearLines();
    const FileResult row = files->row(selected);
    const int caseFlag = chkCase->isChecked() ? GrepTrue : GrepFalse;
    lines->setHighlightColor(fromColorRef(Settings.ViewerHighColor));
    lines->setLines(listFileMatches(listingEngine_, row, State.SearchPattern, caseFlag,
                                    Settings.MaxMatches, Settings.MaxMatchLen));
    if (!useHidden) {
        const int numberWidth = row.Type == QLatin1String("B")      ? 0
                                : primaryScreenSize().width() > 800 ? 60
                                                                    : 45;
        lstLines1->fitColumns(numberWidth);
        lblMatches->setText(QStringLiteral("Matches in: ") + displayText(displayName(row)));
        lblMatches->adjustSize();
        lblMatches->show();
    }
    lstLines1->setEnabled(true);
    QGuiApplication::restoreOverrideCursor();
}

void TfrmMain::View1Click() {
    fileActions_->actions().View1Click();
}

void TfrmMain::lstLines1DblClick() {
    fileActions_->actions().lstLines1DblClick();
}

void TfrmMain::Open1Click() {
    fileActions_->actions().Open1Click();
}

void TfrmMain::Edit1Click() {
    fileActions_->actions().Edit1Click();
}

void TfrmMain::cboRegExpClick(int index) {
    fileActions_->actions().cboRegExpClick(index);
}

void TfrmMain::Dir1MouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton) TfrmDirListing::showModal(this, *fileActions_);
}

const std::string& TfrmMain::CurrentFilePath() const {
    return fileActions_->actions().CurrentFilePath;
}

} // namespace ferrolux
