#pragma once

#include "search/NotSearched.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace ferrolux {

// The state of one search session (a window's or a command-line run's). It
// is never copied: the thread that runs a search writes it, and others read
// it once that search is over.
struct SearchState {
    std::string SearchPattern;   // the prepared pattern, kept for listing and viewing
    std::string TypedSearchText; // the search text as typed at the last click
    int64_t FilesSearched = 0;
    int64_t FilesWithMatches = 0;
    int64_t TotalMatches = 0;
    std::atomic<bool> Canceled{false};
    bool InZipPass = false;
    bool ZipError = false;
    std::string CurrentZip;
    std::vector<std::string> PendingZips;
    std::vector<std::string> TempFolders;
    std::vector<NotSearched> NotSearchedFiles; // in walk order
    int64_t StartTicks = 0;                    // milliseconds of a monotonic clock
    int64_t ElapsedMs = 0;                     // of the last search, once it is over
};

} // namespace ferrolux
