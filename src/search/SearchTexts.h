#pragma once

#include "platform/UserMessage.h"

#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace ferrolux {

struct NotSearched;
struct SearchState;
enum class SearchOutcome;

// The words the search shows its user: refusals of a request, status
// texts, the summary, the messages after a search and about archives.

UserMessage blankRequestRefusal();
// A pattern that would match every line, e.g. "*".
UserMessage matchEverythingRefusal(const std::string& typed);
// The engine's reason for refusing a pattern.
UserMessage patternRefusal(const std::string& reason);

// "No files found" or "No matches found"; nothing after a search with matches.
std::optional<UserMessage> outcomeMessage(SearchOutcome outcome);

// An archive whose extraction reported a problem: it is not searched.
UserMessage zipFileError(const std::string& archive);
// The same for a tar, 7z or RAR archive.
UserMessage archiveError(const std::string& archive);
// Archives cannot be unpacked into folder, and why (the system's words).
UserMessage tempFolderError(const std::string& folder, const std::string& why);

// Why a record was not searched, in plain words: the window's list and
// ferrolux-search --verbose say the same.
QString notSearchedReasonText(const NotSearched& record);

QString deletingTemporaryFilesStatus();
QString extractingStatus(const std::string& archive, bool zip);
QString searchingStatus(const std::string& path);

// The status line after a search, e.g.
// " Found 12 matches in 3 files of 40 searched - elapsed time 1.5 seconds".
QString searchSummary(const SearchState& state, int64_t elapsedMs, const QLocale& locale);

} // namespace ferrolux
