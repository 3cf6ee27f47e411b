#pragma once

#include "results/FileActionHost.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace ferrolux {

// "Files in Directory": lists the files of the directory selected in the
// main window, so the user can pick names into the file masks box.
class TfrmDirListing : public QDialog {
    Q_OBJECT

public:
    TfrmDirListing(QWidget* owner, FileActionHost& host);

    // Creates the window owned by owner, shows it modally, frees it on close.
    static void showModal(QWidget* owner, FileActionHost& host);

    void cmdSelectClick();
    void cmdCloseClick();

    QLabel* lblDirName1;
    QLabel* lblDirName2;
    QListWidget* File1;
    QPushButton* cmdSelect;
    QPushButton* cmdClose;

private:
    void FormCreate();

    FileActionHost& host_;
};

} // namespace ferrolux
