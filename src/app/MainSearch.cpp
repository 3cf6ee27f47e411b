#include "app/MainSearch.h"

#include "app/SearchController.h"
#include "platform/MessageBoxA.h"
#include "platform/registry/Registry.h"
#include "platform/ui/DirectoryListBox.h"
#include "platform/ui/ElidedLabel.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"
#include "results/NotSearchedList.h"
#include "search/SearchSession.h"
#include "search/SearchTexts.h"
#include "settings/Settings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>

namespace ferrolux {

MainSearch::MainSearch(QWidget* window, SearchSession& session, const Settings& settings,
                       const QString& dateDisplayFormat, const SearchControls& controls,
                       const ResultControls& results, std::function<void()> ended)
    : window_(window), session_(session), settings_(settings),
      dateDisplayFormat_(dateDisplayFormat), controls_(controls), results_(results),
      ended_(std::move(ended)), liveOptions_(std::make_shared<LiveOptions>()) {
    const auto live = [this](QCheckBox* box, std::atomic<bool> LiveOptions::*option) {
        QObject::connect(box, &QCheckBox::toggled, window_,
                         [live = liveOptions_, option](bool on) { (*live).*option = on; });
        (*liveOptions_).*option = box->isChecked();
    };
    live(controls_.chkInclSub, &LiveOptions::IncludeSubdirectories);
    live(controls_.chkCase, &LiveOptions::CaseSensitive);
    live(controls_.chkSearchZip, &LiveOptions::SearchZipFiles);
    live(controls_.chkTextFiles, &LiveOptions::TextFiles);
    live(controls_.chkBinaryFiles, &LiveOptions::BinaryFiles);
    SearchView view;
    view.showStatus = [this](const QString& text) { results_.pnlStatus->setText(text); };
    view.ended = [this] { endSearch(); };
    controller_ = new SearchController(window_, session_, std::move(view));
    history_ = readSearchHistory(RegistryStore::standard());
    fileSpecHistory_ = new QStringListModel(controls_.txtFilespec);
    auto* completer = new QCompleter(fileSpecHistory_, controls_.txtFilespec);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    controls_.txtFilespec->setCompleter(completer);
    const QString typed = controls_.cboSearch->currentText();
    showHistory();
    controls_.cboSearch->setEditText(typed);
}

MainSearch::~MainSearch() {
    stopForClose();
}

SearchRequest MainSearch::readRequest() const {
    SearchRequest request;
    request.SearchText = controls_.cboSearch->currentText().toStdString();
    request.FileSpecs = controls_.txtFilespec->text().toStdString();
    request.StartDirectory = controls_.Dir1->Directory();
    request.WholeWords = controls_.chkWord->isChecked();
    request.Literal = controls_.chkLiteral->isChecked();
    request.ListedFilesOnly = controls_.chkSearchListed->isChecked();
    request.FoldersToSkip = settings_.FoldersToSkip.toStdString();
    request.SearchArchives = settings_.SearchArchives;
    request.live = liveOptions_;
    return request;
}

void MainSearch::cmdSearchClick() {
    // Alt+S still reaches the Search button under Stop: one search at a time.
    if (searchRunning()) return;
    if (const std::optional<Refusal> refusal = session_.begin(readRequest())) {
        MessageBoxA(window_, *refusal);
        return;
    }
    showBusyState();
    resetForSearch();
    controller_->start(settings_.MaxMatchLen, dateDisplayFormat_);
}

void MainSearch::showBusyState() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    controls_.cmdStop->move(controls_.cmdSearch->pos());
    controls_.cmdStop->show();
    controls_.cmdStop->raise();
    results_.lblMatches->hide();
}

void MainSearch::resetForSearch() {
    controls_.cboRegExp->setCurrentIndex(-1);
    results_.lstFiles1->setEnabled(true);
    results_.lstLines1->setEnabled(false);
    results_.lstLines1->clearLines();
    controls_.cmdPrint->setEnabled(false);
    // The list is read once the search has ended: until then it grows.
    results_.lblNotSearched->hide();
    results_.NotSearched1->setEnabled(false);
    // The history is kept even when the store cannot be written: it is a
    // convenience, not worth a box at every search.
    const QString typed = controls_.cboSearch->currentText();
    history_.searchTexts = rememberEntry(history_.searchTexts, typed);
    history_.fileSpecs = rememberEntry(history_.fileSpecs, controls_.txtFilespec->text());
    writeSearchHistory(RegistryStore::standard(), history_);
    showHistory();
    controls_.cboSearch->setEditText(typed);
}

void MainSearch::showHistory() {
    controls_.cboSearch->clear();
    controls_.cboSearch->addItems(history_.searchTexts);
    fileSpecHistory_->setStringList(history_.fileSpecs);
}

void MainSearch::cmdStopClick() {
    controller_->cancel();
}

bool MainSearch::searchRunning() const {
    return controller_->running();
}

void MainSearch::endSearch() {
    results_.pnlStatus->setText(session_.summary());
    showNotSearched();
    results_.pnlStatus->repaint();
    controls_.cmdStop->hide();
    QGuiApplication::restoreOverrideCursor();
    showOutcome();
    controls_.chkSearchListed->setChecked(false);
    if (ended_) ended_();
}

void MainSearch::showNotSearched() {
    const std::size_t count = session_.notSearched().size();
    results_.NotSearched1->setEnabled(true);
    results_.lblNotSearched->setText(
        QStringLiteral("<a href=\"list\">%1</a>").arg(notSearchedLink(count).toHtmlEscaped()));
    results_.lblNotSearched->setVisible(count > 0);
}

void MainSearch::showOutcome() {
    if (const std::optional<UserMessage> nothing = outcomeMessage(session_.outcome())) {
        MessageBoxA(window_, *nothing);
        results_.lstFiles1->setEnabled(false);
        controls_.chkSearchListed->setEnabled(false);
        return;
    }
    controls_.chkSearchListed->setEnabled(true);
    results_.lstFiles1->setFocus();
    results_.lstFiles1->selectRow(0);
    controls_.cmdPrint->setEnabled(true);
}

void MainSearch::stopForClose() {
    if (!controller_->running()) return;
    controller_->abandon();
    QGuiApplication::restoreOverrideCursor();
}

} // namespace ferrolux
