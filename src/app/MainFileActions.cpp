#include "app/MainFileActions.h"

#include "platform/MessageBoxA.h"
#include "platform/ui/DirectoryListBox.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"
#include "results/TfrmDirListing.h"
#include "search/SearchSession.h"
#include "settings/Settings.h"
#include "viewer/TfrmViewer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

namespace ferrolux {

MainFileActions::MainFileActions(QWidget* window, const SearchSession& session,
                                 const Settings& settings, const SearchControls& controls,
                                 const ResultControls& results)
    : QObject(window), window_(window), session_(session), settings_(settings), controls_(controls),
      results_(results), actions_(*this, shell_) {
    controls_.Dir1->viewport()->installEventFilter(this);
}

const FileResult* MainFileActions::selectedFileRow() const {
    const int row = results_.lstFiles1->selectedRow();
    return row < 0 ? nullptr : &results_.lstFiles1->row(row);
}

bool MainFileActions::caseSensitive() const {
    return controls_.chkCase->isChecked();
}

const std::string& MainFileActions::searchPattern() const {
    return session_.state().SearchPattern;
}

ViewerSettings MainFileActions::viewerSettings() const {
    return {settings_.ViewerFontName,  settings_.ViewerFontSize, settings_.ViewerTextColor,
            settings_.ViewerHighColor, settings_.MaxMatches,     settings_.MaxMatchLen};
}

QString MainFileActions::editor() const {
    return settings_.Editor;
}

std::optional<SelectedMatch> MainFileActions::selectedMatch() const {
    const int row = results_.lstLines1->selectedRow();
    if (row < 0) return std::nullopt;
    return SelectedMatch{row, results_.lstLines1->lines()[size_t(row)].LineNumber};
}

void MainFileActions::tell(const UserMessage& message) {
    MessageBoxA(window_, message);
}

bool MainFileActions::ask(const UserMessage& question) {
    return MessageBoxA(window_, question) == IDYES;
}

QObject* MainFileActions::messageOwner() {
    return window_;
}

void MainFileActions::showViewer(const ViewerRequest& request) {
    TfrmViewer::showModal(window_, *this, request);
}

QString MainFileActions::searchText() const {
    return controls_.cboSearch->currentText();
}

void MainFileActions::setSearchText(const QString& text) {
    controls_.cboSearch->setEditText(text);
}

QString MainFileActions::fileSpec() const {
    return controls_.txtFilespec->text();
}

void MainFileActions::setFileSpec(const QString& text) {
    controls_.txtFilespec->setText(text);
}

std::string MainFileActions::currentDirectory() const {
    return controls_.Dir1->Directory();
}

ListingAnchor MainFileActions::listingAnchor() const {
    const QPoint client = window_->mapToGlobal(QPoint(0, 0));
    const QPoint filespec = controls_.txtFilespec->mapTo(window_, QPoint(0, 0));
    return {client.x(), client.y(), window_->height(), filespec.x(), results_.pnlStatus->height()};
}

void MainFileActions::Dir1MouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton) TfrmDirListing::showModal(window_, *this);
}

// A right-button press in the directory tree lists the current directory's
// files; it is not passed on, so it does not change the directory too.
bool MainFileActions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress) return QObject::eventFilter(watched, event);
    const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
    Dir1MouseDown(button);
    return button == Qt::RightButton;
}

} // namespace ferrolux
