#include "results/NotSearchedList.h"

#include "search/OutputEscaping.h"

#include <cerrno>
#include <cstring>

namespace ferrolux {

QString notSearchedReasonText(const NotSearched& record) {
    switch (record.reason) {
    case NotSearchedReason::CannotRead:
        if (record.error == EACCES || record.error == EPERM)
            return QStringLiteral("No permission to read it");
        return QStringLiteral("Could not be read: ") +
               QString::fromLocal8Bit(std::strerror(record.error));
    case NotSearchedReason::Vanished:
        return QStringLiteral("Gone before it could be searched");
    case NotSearchedReason::WouldBlock:
        return QStringLiteral("Reading it would have waited for more data");
    case NotSearchedReason::PathTooLong:
        return QStringLiteral("Its path is too long for the system");
    case NotSearchedReason::LinkLoop:
        return QStringLiteral("Symbolic links that lead back into themselves");
    case NotSearchedReason::DescriptorsExhausted:
        return QStringLiteral("No more files could be opened at once");
    case NotSearchedReason::StreamFile:
        return QStringLiteral("A kernel file that reading would empty");
    case NotSearchedReason::ArchiveDamaged:
        return QStringLiteral("A damaged archive that could not be opened");
    case NotSearchedReason::ArchiveEncrypted:
        return QStringLiteral("An encrypted archive the password does not open");
    case NotSearchedReason::ArchiveTooLarge:
        return QStringLiteral("An archive larger than a search may unpack");
    case NotSearchedReason::ArchiveTooManyEntries:
        return QStringLiteral("An archive of more files than a search may unpack");
    case NotSearchedReason::TempFolderUnwritable:
        return QStringLiteral("No folder could be written to unpack the archive into");
    }
    return {};
}

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
