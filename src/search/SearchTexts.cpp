#include "search/SearchTexts.h"

#include "platform/DisplayText.h"
#include "search/SearchSession.h"
#include "search/SearchState.h"

namespace ferrolux {
namespace {

QString counted(int64_t n, const char* singular, const char* plural) {
    return QString::number(n) + QLatin1String(n == 1 ? singular : plural);
}

// One decimal, with the user's decimal separator but no digit grouping.
QString seconds(int64_t elapsedMs, const QLocale& locale) {
    QString text = QString::number(double(elapsedMs) / 1000.0, 'f', 1);
    return text.replace(QLatin1Char('.'), locale.decimalPoint());
}

QString notSearchedTail() {
    return QStringLiteral("\n\nThis file will not be searched, but processing\n"
                          "will continue for other files.");
}

UserMessage regularExpressionError(const QString& text) {
    return {text, QStringLiteral("Regular Expression Error"), UserMessage::Kind::Warning};
}

} // namespace

UserMessage blankRequestRefusal() {
    return {QStringLiteral("File specification and search text must be entered"),
            QStringLiteral("Error"), UserMessage::Kind::Warning};
}

UserMessage matchEverythingRefusal(const std::string& typed) {
    return regularExpressionError(QStringLiteral("Search pattern cannot consist only of \"%1\"")
                                      .arg(QString::fromUtf8(typed)));
}

UserMessage patternRefusal(const std::string& reason) {
    return regularExpressionError(QString::fromStdString(reason));
}

std::optional<UserMessage> outcomeMessage(SearchOutcome outcome) {
    const auto message = [](const char* text) {
        return UserMessage{QString::fromLatin1(text), QStringLiteral("Message"),
                           UserMessage::Kind::Information};
    };
    switch (outcome) {
    case SearchOutcome::NoFilesFound:
        return message("No files found");
    case SearchOutcome::NoMatchesFound:
        return message("No matches found");
    case SearchOutcome::MatchesFound:
        break;
    }
    return std::nullopt;
}

UserMessage zipFileError(const std::string& archive) {
    return {QStringLiteral("Error in Zip file: ") + displayText(archive) + notSearchedTail(),
            QStringLiteral("Zip File Error"), UserMessage::Kind::Warning};
}

UserMessage archiveError(const std::string& archive) {
    return {QStringLiteral("Error in archive: ") + displayText(archive) + notSearchedTail(),
            QStringLiteral("Archive Error"), UserMessage::Kind::Warning};
}

UserMessage tempFolderError(const std::string& folder, const std::string& why) {
    return {QStringLiteral("Archives cannot be searched: the temporary folder ") +
                displayText(folder) + QStringLiteral(" cannot be written (") + displayText(why) +
                QStringLiteral(").\n\nProcessing will continue for other files."),
            QStringLiteral("Temporary Folder Error"), UserMessage::Kind::Warning};
}

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

QString deletingTemporaryFilesStatus() {
    return QStringLiteral("Deleting temporary files");
}

QString extractingStatus(const std::string& archive, bool zip) {
    return (zip ? QStringLiteral("Extracting Zip file ") : QStringLiteral("Extracting archive ")) +
           displayText(archive);
}

QString searchingStatus(const std::string& path) {
    return QStringLiteral(" Searching ") + displayText(path);
}

QString searchSummary(const SearchState& state, int64_t elapsedMs, const QLocale& locale) {
    QString text = QStringLiteral(" Found ") + counted(state.TotalMatches, " match", " matches") +
                   QStringLiteral(" in ") + counted(state.FilesWithMatches, " file", " files") +
                   QStringLiteral(" of ") + QString::number(state.FilesSearched) +
                   QStringLiteral(" searched");
    if (state.Canceled) return text + QStringLiteral(" - search canceled");
    return text + QStringLiteral(" - elapsed time ") + seconds(elapsedMs, locale) +
           QStringLiteral(" seconds");
}

} // namespace ferrolux
