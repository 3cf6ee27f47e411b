#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

class QButtonGroup;
class QFileDialog;
class QGroupBox;
class QPrinter;
class QPushButton;

namespace ferrolux {

class FileListView;

// The print options dialog: what to print (the file list, the matches of
// the selected file or of all files) and where (the printer or a text file).
// Created once and kept, so the choice carries over from one print to the
// next; the request goes back through PrintOption and PrintFileName.
class TfrmPrint : public QDialog {
    Q_OBJECT
public:
    // files: the main window's file list, whose selected row the matches of
    // the selected file need.
    explicit TfrmPrint(const FileListView* files, QWidget* parent = nullptr);

    QGroupBox* optPrint;
    QPushButton* cmdPrintSetup;
    QPushButton* cmdPrint;
    QPushButton* cmdFile;
    QPushButton* cmdCancel;
    QFileDialog* dlgSave;

    // The chosen item of optPrint: 0 "File list only", 1 "Matches for
    // currently selected file", 2 "Matches for all files".
    int ItemIndex() const;
    void setItemIndex(int index);

    void cmdPrintSetupClick();
    void cmdPrintClick();
    void cmdFileClick();
    void cmdCancelClick();

    // How the printer-setup and save dialogs are shown; tests answer them
    // in their place. The save dialog gives the chosen path, or nothing when
    // cancelled.
    std::function<void(QPrinter& printer)> showPrinterSetup;
    std::function<std::optional<QString>(QFileDialog& dialog)> showSaveDialog;

private:
    void createOptions();
    void createButtons();
    void createSaveDialog();
    // PrintOption := the chosen item; false, after telling the user, when
    // the matches of the selected file are wanted and no file is selected.
    bool takeOption();
    // The file to print to, once confirmed for an existing file.
    std::optional<QString> chooseFile();
    bool confirmPdfReplacement();

    const FileListView* files_;
    QButtonGroup* items_;
    // An existing PDF file chosen with Print Setup, whose replacement the
    // setup dialog confirmed.
    QString replaceConfirmed_;
};

} // namespace ferrolux
