#pragma once

#include "search/GrepEngine.h"
#include "search/FileResult.h"
#include "search/SearchRequest.h"
#include "search/TTreeScanner.h"
#include "settings/Settings.h"

#include <QLocale>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace ferrolux {

class SearchHost;
struct SearchState;

// One complete search after its request was validated: the walk phase, the
// per-file search of every file the walk reports, and the Zip phase. The
// caller shows the busy state before and the summary and outcome after.
class SearchRun {
public:
    // settings: the limits in force (MaxMatchLen); dateDisplayFormat: the
    // pattern of the Date/Time column.
    SearchRun(SearchState& state, const SearchRequest& request, const Settings& settings,
              const QString& dateDisplayFormat, SearchHost& host);

    // Runs the search. listedRows are the previous results, walked instead of
    // the file specifications when the request asks for listed files only.
    void run(const std::vector<FileResult>& listedRows = {});

    // The walker's event handlers.
    void Tree1DirectoryFound();
    void Tree1FileFound();

    // The two walk phases.
    void WalkFileSpecs(const std::string& root, const std::string& specs);
    void WalkListedFiles(const std::vector<FileResult>& rows);

private:
    struct OpenedFile;

    std::optional<OpenedFile> openForSearch(const std::string& path);
    bool passesTypeFilter(bool binary) const;
    int32_t countMatches(OpenedFile& file);
    void appendRow(const std::string& path, const OpenedFile& file, int32_t count);
    int caseFlag() const;

    SearchState& state_;
    const SearchRequest& request_;
    Settings settings_;
    QString dateDisplayFormat_;
    SearchHost& host_;
    TTreeScanner Tree1;
    GrepEngine engine_;
};

// Readies the state for the search of request, once it was validated:
// counters and flags cleared, SearchPattern prepared from the typed text.
void beginSearch(SearchState& state, const SearchRequest& request);

// The status line after a search, e.g.
// " Found 12 matches in 3 files of 40 searched - elapsed time 1.5 seconds".
QString searchSummary(const SearchState& state, int64_t elapsedMs, const QLocale& locale);

// Milliseconds of a monotonic clock (stands in for the tick count).
int64_t tickCount();

} // namespace ferrolux
