#include "results/RowDisplay.h"

namespace ferrolux {

std::string displayName(const FileResult& row) {
    if (row.ExtractedPath.empty()) return row.Directory + row.FileName;
    return row.FileName + " (in " + row.Directory + ")";
}

QString listedOfTotal(std::size_t listed, int64_t total, bool binary, const QLocale& locale) {
    if (total <= 0 || int64_t(listed) >= total) return {};
    return locale.toString(qlonglong(listed)) + QStringLiteral(" of ") +
           locale.toString(qlonglong(total)) +
           (binary ? QStringLiteral(" matches") : QStringLiteral(" matching lines"));
}

} // namespace ferrolux
