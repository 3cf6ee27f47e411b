#pragma once

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace ferrolux {

class SearchForm;

// The retrieve-search dialog: lists every saved search, newest first, and
// copies the chosen one into the main window's search controls.
class TfrmSearches : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSearches(SearchForm& form, QWidget* parent = nullptr);

    // Creates the dialog owned by owner, shows it modally and frees it when
    // it closes.
    static void showModal(SearchForm& form, QWidget* owner);

    // Columns "Directory", "Files", "Search Text" and the hidden option letters.
    QTableWidget* lstSearches;
    QPushButton* cmdRetrieve;
    QPushButton* cmdCancel;

    void FormActivate();
    void cmdRetrieveClick();
    void lstSearchesDblClick();
    void cmdCancelClick();
    void RetrieveSelected();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void addRow(int row, const QStringList& texts);
    int selectedRow() const;

    SearchForm& form_;
};

} // namespace ferrolux
