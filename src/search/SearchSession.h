#pragma once

#include "search/FileResult.h"
#include "search/FileSearch.h"
#include "search/GrepEngine.h"
#include "search/NotSearched.h"
#include "search/PatternPreparation.h"
#include "search/SearchRequest.h"
#include "search/SearchState.h"

#include <QLocale>
#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

namespace ferrolux {

class SearchHost;

// The limits of the preferences that a search and its listings work under.
struct MatchLimits {
    int32_t MaxMatches = 500;  // lines listed per file
    int32_t MaxMatchLen = 300; // longest match counted or listed in a binary file
};

// How a search ended, for the message that follows it (outcomeMessage).
enum class SearchOutcome { NoFilesFound, NoMatchesFound, MatchesFound };

// Told before and after every change of a session's rows, so that a view
// over them (the window's file list) can follow.
class SessionRowsObserver {
public:
    enum class Change { Reset, Append, Remove, Reorder };
    virtual ~SessionRowsObserver() = default;
    // first and count: the rows appended or removed.
    virtual void rowsChanging(Change change, std::size_t first, std::size_t count) = 0;
    // order: for Reorder, the old position of each row in its new place.
    virtual void rowsChanged(Change change, const std::vector<std::size_t>& order) = 0;
};

// One search from its request to its results, the same for the window and
// the command line: it takes and checks the request, prepares the pattern,
// runs the search, keeps the counters, the rows in the order the walk found
// them (until the user sorts or removes some), what could not be searched,
// and lists the lines of a row on demand.
//
// The rows belong to the thread that owns the session; a search may run on
// another thread, which writes the counters and the archive lists and
// hands its rows over through its host. Nothing else reads those while it
// runs.
class SearchSession {
public:
    SearchSession();
    // Deletes the extraction folders the searches left.
    ~SearchSession();
    SearchSession(const SearchSession&) = delete;
    SearchSession& operator=(const SearchSession&) = delete;

    // Takes the request of a press of Search. The typed text replaces the
    // search text and the pattern even when the request is refused, and a
    // refused request changes nothing else. An accepted one resets the
    // counters, prepares the pattern and empties the rows (handing them to
    // the walk when only the listed files are searched again).
    std::optional<Refusal> begin(const SearchRequest& request);

    // Runs the search begun last on the calling thread until it ends or is
    // stopped; host hears of its rows, status texts and problems in walk
    // order. threads: how many files are searched at once.
    void run(SearchHost& host, int32_t maxMatchLen, const QString& dateDisplayFormat,
             int threads = defaultSearchThreads());
    // Stop: from any thread.
    void cancel() { state_.Canceled = true; }

    const SearchRequest& request() const { return request_; }
    // The pattern, the typed text, the counters and the archives' folders.
    const SearchState& state() const { return state_; }
    SearchOutcome outcome() const;
    // The status line after the search: counts and elapsed time.
    QString summary(const QLocale& locale = QLocale::system()) const;
    const std::vector<NotSearched>& notSearched() const { return state_.NotSearchedFiles; }

    const std::vector<FileResult>& rows() const { return rows_; }
    void appendRows(std::vector<FileResult> rows);
    void removeRow(std::size_t index);
    // order: the present position of each row, in the new order.
    void reorderRows(const std::vector<std::size_t>& order);
    void setRowsObserver(SessionRowsObserver* observer) { observer_ = observer; }

    // Searches a row's file again for its lines, with the pattern of the
    // last search and the case option now in force.
    std::vector<MatchLine> lines(const FileResult& row, bool caseSensitive,
                                 const MatchLimits& limits);

    // Deletes the folders the archives were extracted into.
    void deleteExtractionFolders();

private:
    void changeRows(SessionRowsObserver::Change change, std::size_t first, std::size_t count,
                    const std::vector<std::size_t>& order, const std::function<void()>& apply);

    SearchRequest request_;
    SearchState state_;
    std::vector<FileResult> rows_;
    std::vector<FileResult> listedRows_; // walked by a search of the listed files only
    GrepEngine listing_;
    SessionRowsObserver* observer_ = nullptr;
};

} // namespace ferrolux
