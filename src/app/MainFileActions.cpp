#include "app/MainFileActions.h"

#include "app/TfrmMain.h"
#include "platform/ui/DirectoryListBox.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"
#include "viewer/TfrmViewer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

namespace ferrolux {

MainFileActions::MainFileActions(TfrmMain& main)
    : QObject(&main), main_(main), actions_(*this, shell_) {
    main_.Dir1->viewport()->installEventFilter(this);
}

const FileResult* MainFileActions::selectedFileRow() const {
    const int row = main_.lstFiles1->selectedRow();
    return row < 0 ? nullptr : &main_.lstFiles1->row(row);
}

bool MainFileActions::caseSensitive() const {
    return main_.chkCase->isChecked();
}

const std::string& MainFileActions::searchPattern() const {
    return main_.State.SearchPattern;
}

const Settings& MainFileActions::settings() const {
    return main_.Settings;
}

std::optional<SelectedMatch> MainFileActions::selectedMatch() const {
    const int row = main_.lstLines1->selectedRow();
    if (row < 0) return std::nullopt;
    return SelectedMatch{row, main_.lstLines1->lines()[size_t(row)].LineNumber};
}

QObject* MainFileActions::messageOwner() {
    return &main_;
}

void MainFileActions::showViewer(const ViewerRequest& request) {
    TfrmViewer::showModal(&main_, *this, request);
}

QString MainFileActions::searchText() const {
    return main_.cboSearch->currentText();
}

void MainFileActions::setSearchText(const QString& text) {
    main_.setSearchText(text);
}

QString MainFileActions::fileSpec() const {
    return main_.txtFilespec->text();
}

void MainFileActions::setFileSpec(const QString& text) {
    main_.setFileSpec(text);
}

std::string MainFileActions::currentDirectory() const {
    return main_.Dir1->Directory();
}

ListingAnchor MainFileActions::listingAnchor() const {
    const QPoint client = main_.mapToGlobal(QPoint(0, 0));
    const QPoint filespec = main_.txtFilespec->mapTo(&main_, QPoint(0, 0));
    return {client.x(), client.y(), main_.height(), filespec.x(), main_.pnlStatus->height()};
}

// A right-button press in the directory tree lists the current directory's
// files; it is not passed on, so it does not change the directory too.
bool MainFileActions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress) return QObject::eventFilter(watched, event);
    const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
    main_.Dir1MouseDown(button);
    return button == Qt::RightButton;
}

} // namespace ferrolux
