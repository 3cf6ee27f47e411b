// The main window's side of printing: the Print button, the output step and
// the data handlers that feed the two reports from the hidden lists.
#include "app/TfrmMain.h"
#include "platform/MessageBoxA.h"
#include "platform/ui/DirectoryListBox.h"
#include "platform/ui/ReportPrinter.h"
#include "platform/ui/TextReportWriter.h"
#include "print/PrintRequest.h"
#include "print/PrintTexts.h"
#include "print/TfrmPrint.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"
#include "search/TextDecoding.h"

#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>

namespace ferrolux {
namespace {

enum PrintChoice { FileListOnly = 0, MatchesOfSelectedFile = 1, MatchesOfAllFiles = 2 };

} // namespace

void TfrmMain::connectReports() {
    qrFiles.QRBand1.NeedData = [this](bool& moreData) { qrFilesNeedData(moreData); };
    qrMatches.qrMatchesFileName.NeedData = [this](bool& moreData) { qrMatchesNeedData(moreData); };
    qrMatches.qrMatchesText.NeedData = [this](bool& moreData) { qrMatchesTextNeedData(moreData); };
}

void TfrmMain::cmdPrintClick() {
    PrintFileName.clear();
    PrintOption = -1;
    qrFiles.setTaggedFont(printFontTag, Settings.PrintFontName, Settings.PrintFontSize);
    qrMatches.setTaggedFont(printFontTag, Settings.PrintFontName, Settings.PrintFontSize);
    if (frmPrint) frmPrint->exec();
    if (PrintOption < FileListOnly || PrintOption > MatchesOfAllFiles) return;
    PageHeaderText = pageHeaderText(State.TypedSearchText, Dir1->Directory(), txtFilespec->text());
    switch (PrintOption) {
    case FileListOnly:
        lstFiles2->setRows(lstFiles1->rows());
        FileCursor = -1;
        qrFiles.lblPageHeaderF.text = PageHeaderText;
        return outputReport(qrFiles, QStringLiteral("Ferrolux file list"));
    case MatchesOfSelectedFile:
        qrMatches.lblPageHeaderM.text = PageHeaderText;
        return outputReport(qrMatches, QStringLiteral("Ferrolux matches"));
    case MatchesOfAllFiles:
        lstFiles2->setRows(lstFiles1->rows());
        FileCursor = -1;
        qrMatches.lblPageHeaderM.text = PageHeaderText;
        return outputReport(qrMatches, QStringLiteral("Ferrolux matches"));
    }
}

void TfrmMain::outputReport(BandReport& report, const QString& documentName) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QString failure;
    if (PrintFileName.empty()) {
        printOnCurrentPrinter(report, documentName, failure);
    } else {
        std::string reason;
        if (!exportReportText(report, PrintFileName, reason))
            failure = QStringLiteral("The report could not be written to ") +
                      QFile::decodeName(QByteArray::fromStdString(PrintFileName)) +
                      QStringLiteral(".\n") + QString::fromLocal8Bit(reason);
    }
    QGuiApplication::restoreOverrideCursor();
    if (!failure.isEmpty())
        MessageBoxA(this, failure, QStringLiteral("Error"), MB_OK | MB_ICONWARNING);
}

void TfrmMain::qrFilesNeedData(bool& moreData) {
    ++FileCursor;
    moreData = FileCursor <= lstFiles2->count() - 1;
    if (!moreData) return;
    lstFiles2->selectRow(FileCursor);
    const FileResult& row = lstFiles2->row(FileCursor);
    qrFiles.lblFileNameF.text = displayText(row.FileName);
    qrFiles.lblDirectoryF.text = displayText(row.Directory);
    qrFiles.lblMatchesF.text = QString::number(row.Matches);
    qrFiles.lblTypeF.text = row.Type;
    qrFiles.lblSizeF.text = QString::number(row.Size);
    qrFiles.lblDateF.text = row.DateTime;
}

void TfrmMain::qrMatchesNeedData(bool& moreData) {
    if (PrintOption == MatchesOfSelectedFile) {
        // One record: the flag comes in true the first time, false after.
        const int selected = lstFiles1->selectedRow();
        if (selected < 0) {
            moreData = false;
            return;
        }
        qrMatches.lblFileNameM.text = fileHeading(lstFiles1->row(selected));
        lstLines2->setLines(lstLines1->lines());
        LineCursor = -1;
        return;
    }
    ++FileCursor;
    moreData = FileCursor <= lstFiles2->count() - 1;
    if (!moreData) return;
    lstFiles2->selectRow(FileCursor);
    qrMatches.lblFileNameM.text = fileHeading(lstFiles2->row(FileCursor));
    ListFileMatches(true);
    LineCursor = -1;
}

void TfrmMain::qrMatchesTextNeedData(bool& moreData) {
    ++LineCursor;
    moreData = LineCursor <= lstLines2->count() - 1;
    if (!moreData) return;
    // Read by position: nothing reads the hidden list's selection.
    const MatchLine& line = lstLines2->lines()[std::size_t(LineCursor)];
    qrMatches.lblLineNo.text = displayText(line.LineNumber);
    qrMatches.lblTextLine.text = displayText(line.Text);
}

} // namespace ferrolux
