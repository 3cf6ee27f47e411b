#pragma once

#include "platform/ui/BandReport.h"

#include <QString>
#include <string>
#include <vector>

namespace ferrolux {

class AtomicFile;

// How report positions become plain text: one column per sixteenth of an
// inch from the left margin, and one line per sixth of an inch (a band has
// at least one line).
int textColumnOf(Length x);
int textLinesOf(Length height);

// The lines of one page, without trailing blanks; trailing empty lines are
// left out.
std::vector<QString> pageLines(const ReportPage& page);

// Writes each page as UTF-8 text lines; a line holding only a form feed
// separates two pages.
class TextReportWriter : public ReportPageSink {
public:
    explicit TextReportWriter(AtomicFile& file) : file_(file) {}
    bool addPage(const ReportPage& page) override;

private:
    AtomicFile& file_;
    bool firstPage_ = true;
};

// Runs the report into a plain-text file at path. The file is replaced only
// once the whole text is written; on failure error says why and an older
// file at path is left as it was.
bool exportReportText(BandReport& report, const std::string& path, std::string& error);

} // namespace ferrolux
