#include "settings/TfrmSearches.h"

#include "platform/MessageBoxA.h"
#include "platform/registry/Registry.h"
#include "settings/SavedSearches.h"
#include "settings/SearchForm.h"
#include "settings/SettingsTexts.h"

#include <QEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

namespace ferrolux {
namespace {

constexpr QSize clientSize(787, 256);

enum Column { DirectoryColumn, FilesColumn, SearchTextColumn, LettersColumn, ColumnCount };

QPushButton* button(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* result = new QPushButton(QString::fromLatin1(caption), parent);
    result->setObjectName(QString::fromLatin1(name));
    result->setGeometry(geometry);
    result->setAutoDefault(false);
    return result;
}

} // namespace

TfrmSearches::TfrmSearches(SearchForm& form, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      form_(form) {
    setObjectName(QStringLiteral("frmSearches"));
    setWindowTitle(QStringLiteral("Retrieve Search"));
    setFixedSize(clientSize);

    lstSearches = new QTableWidget(0, ColumnCount, this);
    lstSearches->setObjectName(QStringLiteral("lstSearches"));
    lstSearches->setGeometry(8, 8, 771, 200);
    lstSearches->setHorizontalHeaderLabels({QStringLiteral("Directory"), QStringLiteral("Files"),
                                            QStringLiteral("Search Text"), QString()});
    lstSearches->setColumnWidth(DirectoryColumn, 325);
    lstSearches->setColumnWidth(FilesColumn, 125);
    lstSearches->setColumnWidth(SearchTextColumn, 300);
    lstSearches->setColumnHidden(LettersColumn, true);
    lstSearches->verticalHeader()->hide();
    lstSearches->setShowGrid(true);
    lstSearches->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstSearches->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstSearches->setSelectionMode(QAbstractItemView::SingleSelection);
    lstSearches->setWordWrap(false);

    cmdRetrieve = button(this, "cmdRetrieve", "&Retrieve", {590, 220, 90, 27});
    cmdRetrieve->setEnabled(false);
    // Esc rejects the dialog, which is what Cancel does.
    cmdCancel = button(this, "cmdCancel", "&Cancel", {689, 220, 90, 27});

    connect(cmdRetrieve, &QPushButton::clicked, this, &TfrmSearches::cmdRetrieveClick);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmSearches::cmdCancelClick);
    connect(lstSearches, &QTableWidget::itemDoubleClicked, this,
            &TfrmSearches::lstSearchesDblClick);
}

void TfrmSearches::showModal(SearchForm& form, QWidget* owner) {
    auto* dialog = new TfrmSearches(form, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}

// Filled when shown as well, for a window manager that does not activate
// new dialogs.
void TfrmSearches::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TfrmSearches::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

// The list is read afresh on every activation; nothing is kept between.
void TfrmSearches::FormActivate() {
    lstSearches->setRowCount(0);
    const std::vector<SavedSearch> searches = readSavedSearches(RegistryStore::standard());
    lstSearches->setRowCount(int(searches.size()));
    for (std::size_t i = 0; i < searches.size(); ++i) {
        const SavedSearch& search = searches[i];
        addRow(int(i),
               {search.directory, search.fileSpec, search.searchText, search.OptionLetters});
    }
    const bool any = !searches.empty();
    lstSearches->setEnabled(any);
    cmdRetrieve->setEnabled(any);
    if (!any) return;
    lstSearches->setFocus();
    lstSearches->selectRow(0);
}

void TfrmSearches::addRow(int row, const QStringList& texts) {
    for (int column = 0; column < ColumnCount; ++column)
        lstSearches->setItem(row, column, new QTableWidgetItem(texts[column]));
}

int TfrmSearches::selectedRow() const {
    const QModelIndexList rows = lstSearches->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void TfrmSearches::cmdRetrieveClick() {
    RetrieveSelected();
}

void TfrmSearches::lstSearchesDblClick() {
    RetrieveSelected();
}

void TfrmSearches::cmdCancelClick() {
    reject();
}

void TfrmSearches::RetrieveSelected() {
    const int row = selectedRow();
    const auto text = [this, row](Column column) { return lstSearches->item(row, column)->text(); };
    // A directory that is gone leaves the main window as it was.
    if (row < 0 || !form_.setDirectory(text(DirectoryColumn))) {
        MessageBoxA(this, noSearchSelected());
        return;
    }
    form_.setSearchText(text(SearchTextColumn));
    form_.setFileSpec(text(FilesColumn));
    form_.setOptionBoxes(optionBoxesFor(text(LettersColumn)));
    lstSearches->setEnabled(false);
    accept();
}

} // namespace ferrolux
