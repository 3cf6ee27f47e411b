#pragma once

#include "platform/ui/BandReport.h"

namespace ferrolux {

// Fields with this tag take the print font of the preferences.
inline constexpr int printFontTag = 1;

// The file list report: a page header with the search and the column
// captions, then one line per listed file.
class FilesReport : public BandReport {
public:
    FilesReport();

    ReportField lblPageHeaderF;
    ReportField QRSysData1;
    ReportField QRLabel1;
    ReportField QRLabel2;
    ReportField QRLabel3;
    ReportField QRLabel5;
    ReportField QRLabel6;
    ReportField QRLabel7;
    ReportField lblFileNameF;
    ReportField lblDirectoryF;
    ReportField lblMatchesF;
    ReportField lblTypeF;
    ReportField lblSizeF;
    ReportField lblDateF;

    ReportBand QRBand2; // page header
    ReportBand QRBand1; // one per file row
};

// The matches report: a page header, then per file a heading followed by
// its match lines.
class MatchesReport : public BandReport {
public:
    MatchesReport();

    ReportField lblPageHeaderM;
    ReportField lblPageNoM;
    ReportField lblFileNameM;
    ReportField lblLineNo;
    ReportField lblTextLine;

    ReportBand qrMatchHeader;     // page header
    ReportBand qrMatchesFileName; // one per file
    ReportBand qrMatchesText;     // one per match line of that file
};

} // namespace ferrolux
