#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace ferrolux {

// The state of the searches of one window (or one command-line run).
struct SearchState {
    std::string SearchPattern;   // the prepared pattern, kept for listing and viewing
    std::string TypedSearchText; // the search text as typed at the last click
    int32_t FilesSearched = 0;
    int32_t FilesWithMatches = 0;
    int32_t TotalMatches = 0;
    std::atomic<bool> Canceled{false};
    bool InZipPass = false;
    bool ZipError = false;
    std::string CurrentZip;
    std::vector<std::string> PendingZips;
    std::vector<std::string> TempFolders;
    int64_t StartTicks = 0; // milliseconds of a monotonic clock

    SearchState() = default;
    // A copy, so that a search running on its own thread writes only its own.
    SearchState(const SearchState& other) { *this = other; }
    SearchState& operator=(const SearchState& other) {
        SearchPattern = other.SearchPattern;
        TypedSearchText = other.TypedSearchText;
        FilesSearched = other.FilesSearched;
        FilesWithMatches = other.FilesWithMatches;
        TotalMatches = other.TotalMatches;
        Canceled = other.Canceled.load();
        InZipPass = other.InZipPass;
        ZipError = other.ZipError;
        CurrentZip = other.CurrentZip;
        PendingZips = other.PendingZips;
        TempFolders = other.TempFolders;
        StartTicks = other.StartTicks;
        return *this;
    }
};

} // namespace ferrolux
