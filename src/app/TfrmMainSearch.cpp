// The main window's side of a search: reading the request, the busy state,
// handing the search to its controller and showing its outcome.
#include "app/SearchController.h"
#include "app/TfrmMain.h"
#include "platform/MessageBoxA.h"
#include "platform/ui/DirectoryListBox.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"
#include "search/PatternPreparation.h"
#include "search/SearchRun.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ferrolux {

SearchRequest TfrmMain::readRequest() const {
    SearchRequest request;
    request.SearchText = cboSearch->currentText().toStdString();
    request.FileSpecs = txtFilespec->text().toStdString();
    request.StartDirectory = Dir1->Directory();
    request.WholeWords = chkWord->isChecked();
    request.Literal = chkLiteral->isChecked();
    request.ListedFilesOnly = chkSearchListed->isChecked();
    request.live = liveOptions_;
    return request;
}

void TfrmMain::cmdSearchClick() {
    // Alt+S still reaches the Search button under Stop: one search at a time.
    if (searchRunning()) return;
    const SearchRequest request = readRequest();
    State.SearchPattern = request.SearchText;
    State.TypedSearchText = request.SearchText;
    if (const std::optional<Refusal> refusal = validateRequest(request, listingEngine_)) {
        MessageBoxA(this, refusal->text, refusal->caption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    showBusyState();
    beginSearch(State, request);
    cboRegExp->setCurrentIndex(-1);
    lstFiles1->setEnabled(true);
    lstLines1->setEnabled(false);
    cmdPrint->setEnabled(false);
    // The history keeps every search, repeats included.
    const QString typed = cboSearch->currentText();
    cboSearch->insertItem(0, typed);
    cboSearch->setEditText(typed);
    State.SearchPattern =
        prepareSearchPattern(request.SearchText, request.Literal, request.WholeWords);
    startSearch(request);
}

void TfrmMain::showBusyState() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    cmdStop->move(cmdSearch->pos());
    cmdStop->show();
    cmdStop->raise();
    lblMatches->hide();
}

void TfrmMain::startSearch(const SearchRequest& request) {
    std::vector<FileResult> listed;
    if (request.ListedFilesOnly) {
        listed = lstFiles1->rows();
        lstFiles2->setRows(listed);
    }
    lstFiles1->clearRows();
    lstLines1->clearLines();
    search_->start(request, Settings, DateDisplayFormat, std::move(listed));
}

void TfrmMain::cmdStopClick() {
    search_->cancel();
}

bool TfrmMain::searchRunning() const {
    return search_->running();
}

SearchController* TfrmMain::createSearchController() {
    SearchView view;
    view.appendRows = [this](std::vector<FileResult> rows) { lstFiles1->appendRows(rows); };
    view.showStatus = [this](const QString& text) { pnlStatus->setText(text); };
    view.ended = [this] { endSearch(); };
    return new SearchController(this, State, std::move(view));
}

void TfrmMain::endSearch() {
    pnlStatus->setText(searchSummary(State, tickCount() - State.StartTicks, QLocale::system()));
    pnlStatus->repaint();
    cmdStop->hide();
    QGuiApplication::restoreOverrideCursor();
    showOutcome();
    chkSearchListed->setChecked(false);
    emit searchFinished();
}

void TfrmMain::showOutcome() {
    const auto nothingFound = [this](const char* text) {
        MessageBoxA(this, QString::fromLatin1(text), QStringLiteral("Message"),
                    MB_OK | MB_ICONINFORMATION);
        lstFiles1->setEnabled(false);
        chkSearchListed->setEnabled(false);
    };
    if (State.FilesSearched == 0) return nothingFound("No files found");
    if (State.TotalMatches <= 0) return nothingFound("No matches found");
    chkSearchListed->setEnabled(true);
    lstFiles1->setFocus();
    lstFiles1->selectRow(0);
    cmdPrint->setEnabled(true);
}

void TfrmMain::stopSearchForClose() {
    if (!search_->running()) return;
    search_->abandon();
    QGuiApplication::restoreOverrideCursor();
}

} // namespace ferrolux
