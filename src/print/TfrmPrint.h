#pragma once

#include "print/ResultsPrint.h"

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QButtonGroup;
class QFileDialog;
class QGroupBox;
class QPrinter;
class QPushButton;

namespace ferrolux {

// What the print dialog was asked for.
struct PrintRequest {
    PrintChoice choice = PrintChoice::FileListOnly;
    PrintTarget target;
};

// The print options dialog: what to print (the file list, the matches of
// the selected file or of all files) and where (the printer or a text file).
// Created once and kept, so the choice carries over from one print to the
// next.
class TfrmPrint : public QDialog {
    Q_OBJECT
public:
    // fileSelected: whether a file is selected in the main window's list,
    // which the matches of the selected file need.
    explicit TfrmPrint(std::function<bool()> fileSelected, QWidget* parent = nullptr);

    // Shows the dialog modally; the print asked for, or nothing.
    std::optional<PrintRequest> choosePrint();
    // -1: nothing to print; 0, 1, 2: the chosen item of optPrint.
    int32_t PrintOption() const { return printOption_; }
    // The text file chosen with Print to File; empty: print to the printer.
    const std::string& PrintFileName() const { return printFileName_; }

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
    // The option := the chosen item; false, after telling the user, when
    // the matches of the selected file are wanted and no file is selected.
    bool takeOption();
    // The file to print to, once confirmed for an existing file.
    std::optional<QString> chooseFile();
    bool confirmPdfReplacement();

    std::function<bool()> fileSelected_;
    QButtonGroup* items_;
    int32_t printOption_ = -1;
    std::string printFileName_;
    // An existing PDF file chosen with Print Setup, whose replacement the
    // setup dialog confirmed.
    QString replaceConfirmed_;
};

} // namespace ferrolux
