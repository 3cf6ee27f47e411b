#include "results/NotSearchedList.h"
#include "search/SearchTexts.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

TEST(NotSearchedList, IsOneLinePerEntryWithEveryPathRecoverable) {
    const struct {
        std::string path;
        std::string line;
    } cases[] = {
        {"/home/u/secret.txt", "/home/u/secret.txt\tcannot be read\n"},
        {"/data/caf\xC3\xA9", "/data/caf\xC3\xA9\tcannot be read\n"},
        {"/data/caf\xE9", "/data/caf\\xE9\tcannot be read\n"},
        {"/data/two\nlines", "/data/two\\x0Alines\tcannot be read\n"},
        {"/data/a\tb\\c", "/data/a\\x09b\\\\c\tcannot be read\n"},
    };
    std::vector<NotSearchedEntry> entries;
    std::string expected;
    for (const auto& c : cases) {
        EXPECT_EQ(notSearchedText({{c.path, QStringLiteral("cannot be read")}}), c.line);
        entries.push_back({c.path, QStringLiteral("cannot be read")});
        expected += c.line;
    }
    EXPECT_EQ(notSearchedText(entries), expected);
    EXPECT_EQ(notSearchedText({}), "");
}

// The words expected; for an error of the system without words of our own,
// the system's own, in the user's language.
QString words(int error, const char* ours) {
    return ours ? QString::fromUtf8(ours)
                : QStringLiteral("Could not be read: ") +
                      QString::fromLocal8Bit(std::strerror(error));
}

TEST(NotSearchedList, EachReasonHasItsOwnPlainWords) {
    const struct {
        NotSearchedReason reason;
        int error;
        const char* words;
    } cases[] = {
        {NotSearchedReason::CannotRead, EACCES, "No permission to read it"},
        {NotSearchedReason::CannotRead, EPERM, "No permission to read it"},
        {NotSearchedReason::CannotRead, EIO, nullptr}, // the system's words follow
        {NotSearchedReason::Vanished, ENOENT, "Gone before it could be searched"},
        {NotSearchedReason::WouldBlock, EAGAIN, "Reading it would have waited for more data"},
        {NotSearchedReason::PathTooLong, ENAMETOOLONG, "Its path is too long for the system"},
        {NotSearchedReason::LinkLoop, ELOOP, "Symbolic links that lead back into themselves"},
        {NotSearchedReason::DescriptorsExhausted, EMFILE, "No more files could be opened at once"},
        {NotSearchedReason::StreamFile, ESPIPE, "A kernel file that reading would empty"},
        {NotSearchedReason::ArchiveDamaged, 0, "A damaged archive that could not be opened"},
        {NotSearchedReason::ArchiveEncrypted, 0, "An encrypted archive the password does not open"},
        {NotSearchedReason::ArchiveTooLarge, 0, "An archive larger than a search may unpack"},
        {NotSearchedReason::ArchiveTooManyEntries, 0,
         "An archive of more files than a search may unpack"},
        {NotSearchedReason::TempFolderUnwritable, 0,
         "No folder could be written to unpack the archive into"},
    };
    std::vector<NotSearched> records;
    for (const auto& c : cases) {
        records.push_back({"/f" + std::to_string(records.size()), c.reason, c.error});
        EXPECT_EQ(notSearchedReasonText(records.back()), words(c.error, c.words));
    }
    // The list keeps the search's order, each path with its own reason.
    const std::vector<NotSearchedEntry> entries = notSearchedEntries(records);
    ASSERT_EQ(entries.size(), records.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].path, records[i].path);
        EXPECT_EQ(entries[i].reason, words(cases[i].error, cases[i].words));
    }
}

TEST(NotSearchedList, TheSummarySaysHowManyOrThatNothingWasLeftOut) {
    EXPECT_EQ(notSearchedSummary(0, false),
              QStringLiteral("Every file and folder the search met was searched."));
    EXPECT_EQ(notSearchedSummary(1, false), QStringLiteral("1 file or folder was not searched."));
    EXPECT_EQ(notSearchedSummary(12, false),
              QStringLiteral("12 files or folders were not searched."));
    EXPECT_EQ(notSearchedSummary(0, true),
              QStringLiteral("Every file and folder the search met was searched. The search was "
                             "stopped before it reached every file."));
}

} // namespace
} // namespace ferrolux
