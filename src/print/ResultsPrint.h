#pragma once

#include "print/Reports.h"
#include "search/FileResult.h"
#include "search/SearchSession.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ferrolux {

// The items of the print dialog, by index.
enum class PrintChoice { FileListOnly = 0, MatchesOfSelectedFile = 1, MatchesOfAllFiles = 2 };

// Where a report goes: the current printer, or a plain-text file.
struct PrintTarget {
    std::string textFile; // empty: the printer
};

// What a print reads of the results: the session's rows in the list's order
// (files of all files are searched again for their lines), and the file
// selected in the list with the lines listed for it now.
struct PrintSource {
    SearchSession& session;
    const FileResult* selectedRow = nullptr;
    std::vector<MatchLine> selectedLines;
    bool caseSensitive = false;
    MatchLimits limits;
    QString pageHeader;
};

// The two report definitions and the data handlers that feed them from the
// results: the file list, or per file a heading and its match lines.
class ResultsPrint {
public:
    ResultsPrint();
    ResultsPrint(const ResultsPrint&) = delete;
    ResultsPrint& operator=(const ResultsPrint&) = delete;

    // Every field of both reports takes the font; bold stays as designed.
    void setPrintFont(const QString& name, int32_t size);

    // Prints or exports the chosen report; the failure's text, or an empty
    // text when the report was put out.
    QString print(const PrintSource& source, PrintChoice choice, const PrintTarget& target);

    // Told the number of each page put out, so that a long print can show
    // how far it has come.
    std::function<void(int page)> pageDone;

    const FilesReport& filesReport() const { return qrFiles; }
    const MatchesReport& matchesReport() const { return qrMatches; }

    void qrFilesNeedData(bool& moreData);
    void qrMatchesNeedData(bool& moreData);
    void qrMatchesTextNeedData(bool& moreData);

private:
    QString output(BandReport& report, const QString& documentName, const PrintTarget& target);

    FilesReport qrFiles;
    MatchesReport qrMatches;
    const PrintSource* source_ = nullptr;
    PrintChoice choice_ = PrintChoice::FileListOnly;
    int64_t FileCursor = -1;
    int64_t LineCursor = -1;
    std::vector<MatchLine> lines_; // of the file being printed
};

} // namespace ferrolux
