#include "print/ResultsPrint.h"

#include "platform/DisplayText.h"
#include "platform/ui/ReportPrinter.h"
#include "platform/ui/TextReportWriter.h"
#include "print/PrintTexts.h"
#include "search/MatchListing.h"

#include <QCursor>
#include <QGuiApplication>

namespace ferrolux {

ResultsPrint::ResultsPrint() {
    qrFiles.QRBand1.NeedData = [this](bool& moreData) { qrFilesNeedData(moreData); };
    qrMatches.qrMatchesFileName.NeedData = [this](bool& moreData) { qrMatchesNeedData(moreData); };
    qrMatches.qrMatchesText.NeedData = [this](bool& moreData) { qrMatchesTextNeedData(moreData); };
}

void ResultsPrint::setPrintFont(const QString& name, int32_t size) {
    qrFiles.setTaggedFont(printFontTag, name, size);
    qrMatches.setTaggedFont(printFontTag, name, size);
}

QString ResultsPrint::print(const PrintSource& source, PrintChoice choice,
                            const PrintTarget& target) {
    source_ = &source;
    choice_ = choice;
    FileCursor = -1;
    QString failure;
    if (choice == PrintChoice::FileListOnly) {
        qrFiles.lblPageHeaderF.text = source.pageHeader;
        failure = output(qrFiles, QStringLiteral("Ferrolux file list"), target);
    } else {
        qrMatches.lblPageHeaderM.text = source.pageHeader;
        failure = output(qrMatches, QStringLiteral("Ferrolux matches"), target);
    }
    source_ = nullptr;
    return failure;
}

QString ResultsPrint::output(BandReport& report, const QString& documentName,
                             const PrintTarget& target) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    report.pageDone = pageDone;
    QString failure;
    if (target.textFile.empty()) {
        printOnCurrentPrinter(report, documentName, failure);
    } else {
        std::string reason;
        if (!exportReportText(report, target.textFile, reason))
            failure = reportWriteFailureText(target.textFile, reason);
    }
    QGuiApplication::restoreOverrideCursor();
    return failure;
}

void ResultsPrint::qrFilesNeedData(bool& moreData) {
    const std::vector<FileResult>& rows = source_->session.rows();
    ++FileCursor;
    moreData = FileCursor <= int64_t(rows.size()) - 1;
    if (!moreData) return;
    const FileResult& row = rows[std::size_t(FileCursor)];
    qrFiles.lblFileNameF.text = displayText(row.FileName);
    qrFiles.lblDirectoryF.text = displayText(row.Directory);
    qrFiles.lblMatchesF.text = QString::number(row.Matches);
    qrFiles.lblTypeF.text = row.Type;
    qrFiles.lblSizeF.text = QString::number(row.Size);
    qrFiles.lblDateF.text = row.DateTime;
}

void ResultsPrint::qrMatchesNeedData(bool& moreData) {
    if (choice_ == PrintChoice::MatchesOfSelectedFile) {
        // One record: the flag comes in true the first time, false after.
        if (!source_->selectedRow) {
            moreData = false;
            return;
        }
        qrMatches.lblFileNameM.text = fileHeading(*source_->selectedRow);
        lines_ = source_->selectedLines;
        LineCursor = -1;
        return;
    }
    const std::vector<FileResult>& rows = source_->session.rows();
    ++FileCursor;
    moreData = FileCursor <= int64_t(rows.size()) - 1;
    if (!moreData) return;
    const FileResult& row = rows[std::size_t(FileCursor)];
    qrMatches.lblFileNameM.text = fileHeading(row);
    // The file is searched again, under the limits and the case option of now.
    lines_ = source_->session.lines(row, source_->caseSensitive, source_->limits);
    LineCursor = -1;
}

void ResultsPrint::qrMatchesTextNeedData(bool& moreData) {
    ++LineCursor;
    moreData = LineCursor <= int64_t(lines_.size()) - 1;
    if (!moreData) return;
    const MatchLine& line = lines_[std::size_t(LineCursor)];
    qrMatches.lblLineNo.text = displayText(line.LineNumber);
    qrMatches.lblTextLine.text = withCutMarks(line, displayText(line.Text));
}

} // namespace ferrolux
