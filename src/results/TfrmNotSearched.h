#pragma once

#include "results/NotSearchedList.h"

#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

class QFileDialog;
class QLabel;
class QPushButton;
class QTableView;

namespace ferrolux {

class NotSearchedModel;

// "Not Searched": what the last search met and could not search, each with
// its reason, to read, copy and save as text.
class TfrmNotSearched : public QDialog {
    Q_OBJECT

public:
    TfrmNotSearched(QWidget* owner, std::vector<NotSearchedEntry> entries, bool stopped);

    // Creates the window owned by owner, shows it modally, frees it on close.
    static void showModal(QWidget* owner, std::vector<NotSearchedEntry> entries, bool stopped);

    // Copy: the whole list, or the selected rows when some are, to the clipboard.
    void cmdCopyClick();
    // Save As: the whole list into a text file the user chooses.
    void cmdSaveClick();
    void cmdCloseClick();

    // Shows the save dialog; the file chosen, or nothing when cancelled.
    // Tests answer it in place of the user.
    std::function<std::optional<QString>(QFileDialog& dialog)> showSaveDialog;

private:
    std::vector<NotSearchedEntry> selectedEntries() const;

    std::vector<NotSearchedEntry> entries_;
    QLabel* lblSummary_;
    NotSearchedModel* model_;
    QTableView* lstNotSearched_;
    QPushButton* cmdCopy_;
    QPushButton* cmdSave_;
    QPushButton* cmdClose_;
    QFileDialog* dlgSave_;
};

} // namespace ferrolux
