#include "results/TfrmNotSearched.h"

#include "platform/DisplayText.h"
#include "platform/MessageBoxA.h"
#include "platform/files/AtomicFile.h"
#include "results/ReportListView.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

namespace ferrolux {

class NotSearchedModel : public QAbstractTableModel {
public:
    NotSearchedModel(const std::vector<NotSearchedEntry>& entries, QObject* parent)
        : QAbstractTableModel(parent), entries_(entries) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(entries_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 2;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
        const NotSearchedEntry& entry = entries_[std::size_t(index.row())];
        return index.column() == 0 ? displayText(entry.path) : entry.reason;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return section == 0 ? QStringLiteral("File or folder") : QStringLiteral("Reason");
    }

private:
    const std::vector<NotSearchedEntry>& entries_;
};

namespace {

std::optional<QString> runSaveDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

TfrmNotSearched::TfrmNotSearched(QWidget* owner, std::vector<NotSearchedEntry> entries,
                                 bool stopped)
    : QDialog(owner), showSaveDialog(runSaveDialog), entries_(std::move(entries)) {
    setObjectName(QStringLiteral("frmNotSearched"));
    setWindowTitle(QStringLiteral("Not Searched"));
    resize(720, 360);

    lblSummary_ = new QLabel(notSearchedSummary(entries_.size(), stopped), this);
    lblSummary_->setObjectName(QStringLiteral("lblSummary"));
    lblSummary_->setWordWrap(true);
    model_ = new NotSearchedModel(entries_, this);
    auto* list = new ReportListView(this);
    lstNotSearched_ = list;
    list->setObjectName(QStringLiteral("lstNotSearched"));
    list->setModel(model_);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->horizontalHeader()->setStretchLastSection(true);
    list->setColumnWidth(0, 440);
    list->setVisible(!entries_.empty());

    cmdCopy_ = makeButton(this, "cmdCopy", "&Copy");
    cmdSave_ = makeButton(this, "cmdSave", "&Save As...");
    cmdClose_ = makeButton(this, "cmdClose", "C&lose");
    cmdCopy_->setEnabled(!entries_.empty());
    cmdSave_->setEnabled(!entries_.empty());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCopy_);
    buttons->addWidget(cmdSave_);
    buttons->addWidget(cmdClose_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary_);
    layout->addWidget(list, 1);
    if (entries_.empty()) layout->addStretch(1);
    layout->addLayout(buttons);

    dlgSave_ = new QFileDialog(this, QStringLiteral("Save the List As"));
    dlgSave_->setObjectName(QStringLiteral("dlgSave"));
    dlgSave_->setAcceptMode(QFileDialog::AcceptSave);
    dlgSave_->setFileMode(QFileDialog::AnyFile);
    dlgSave_->setNameFilters(
        {QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*)")});
    dlgSave_->setDefaultSuffix(QStringLiteral("txt"));
    dlgSave_->selectFile(QStringLiteral("not-searched.txt"));

    connect(cmdCopy_, &QPushButton::clicked, this, &TfrmNotSearched::cmdCopyClick);
    connect(cmdSave_, &QPushButton::clicked, this, &TfrmNotSearched::cmdSaveClick);
    connect(cmdClose_, &QPushButton::clicked, this, &TfrmNotSearched::cmdCloseClick);
    auto* copy = new QShortcut(QKeySequence::Copy, list);
    copy->setContext(Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &TfrmNotSearched::cmdCopyClick);
}

void TfrmNotSearched::showModal(QWidget* owner, std::vector<NotSearchedEntry> entries,
                                bool stopped) {
    auto* window = new TfrmNotSearched(owner, std::move(entries), stopped);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->exec();
}

std::vector<NotSearchedEntry> TfrmNotSearched::selectedEntries() const {
    const QModelIndexList rows = lstNotSearched_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return entries_;
    std::vector<std::size_t> picked;
    for (const QModelIndex& row : rows)
        picked.push_back(std::size_t(row.row()));
    std::sort(picked.begin(), picked.end());
    std::vector<NotSearchedEntry> selected;
    for (std::size_t row : picked)
        selected.push_back(entries_[row]);
    return selected;
}

void TfrmNotSearched::cmdCopyClick() {
    QApplication::clipboard()->setText(QString::fromStdString(notSearchedText(selectedEntries())));
}

void TfrmNotSearched::cmdSaveClick() {
    const std::optional<QString> chosen = showSaveDialog(*dlgSave_);
    if (!chosen) return;
    const std::string path = QFile::encodeName(*chosen).toStdString();
    AtomicFile file(path);
    if (file.open() && file.write(notSearchedText(entries_)) && file.commit()) return;
    MessageBoxA(this,
                QStringLiteral("The list could not be written to ") + *chosen +
                    QStringLiteral(".\n") + QString::fromLocal8Bit(file.error().c_str()),
                QStringLiteral("Error"), MB_OK | MB_ICONWARNING);
}

void TfrmNotSearched::cmdCloseClick() {
    close();
}

} // namespace ferrolux
