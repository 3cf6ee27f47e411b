#include "results/NotSearchedList.h"

#include "search/OutputEscaping.h"
#include "search/SearchTexts.h"

namespace ferrolux {

std::vector<NotSearchedEntry> notSearchedEntries(const std::vector<NotSearched>& records) {
    std::vector<NotSearchedEntry> entries;
    entries.reserve(records.size());
    for (const NotSearched& record : records)
        entries.push_back({record.path, notSearchedReasonText(record)});
    return entries;
}

std::string notSearchedText(const std::vector<NotSearchedEntry>& entries) {
    std::string text;
    for (const NotSearchedEntry& entry : entries)
        text.append(escapeField(entry.path))
            .append("\t")
            .append(entry.reason.toStdString())
            .append("\n");
    return text;
}

QString notSearchedSummary(std::size_t count, bool stopped) {
    QString summary =
        count == 0   ? QStringLiteral("Every file and folder the search met was searched.")
        : count == 1 ? QStringLiteral("1 file or folder was not searched.")
                     : QStringLiteral("%1 files or folders were not searched.").arg(count);
    if (stopped) summary += QStringLiteral(" The search was stopped before it reached every file.");
    return summary;
}

QString notSearchedLink(std::size_t count) {
    return QStringLiteral("%1 not searched").arg(count);
}

} // namespace ferrolux
