#pragma once

#include "search/FileResult.h"
#include "search/FileSearch.h"
#include "search/NotSearched.h"
#include "search/OrderedPool.h"
#include "search/ReadAhead.h"
#include "search/SearchRequest.h"
#include "search/TTreeScanner.h"

#include <QLocale>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ferrolux {

class SearchHost;
struct SearchState;

// One complete search after its request was validated: the walk phase, the
// per-file search of every file the walk reports, and the Zip phase. The
// walk runs on the calling thread; the files it reports are searched by a
// pool of threads, and everything the search tells its host (rows, counts,
// queued archives, skipped files, status texts, message boxes) happens on the
// calling thread in walk order, so the outcome is the same with any number
// of threads. The caller shows the busy state before and the summary and
// outcome after.
class SearchRun {
public:
    // maxMatchLen: the longest match counted in a binary file;
    // dateDisplayFormat: the pattern of the Date/Time column; threads: how
    // many files are searched at once (1: each file on the calling thread,
    // as the walk reports it).
    SearchRun(SearchState& state, const SearchRequest& request, int32_t maxMatchLen,
              const QString& dateDisplayFormat, SearchHost& host,
              int threads = defaultSearchThreads());
    ~SearchRun();

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
    class WalkOrderHost;
    struct WalkItem;

    void scanFrom(const std::string& root, const std::function<void()>& scan);
    void search(int worker, WalkItem& item);
    void release(WalkItem& item);
    void recordNotSearched(const NotSearched& record);
    FileResult makeRow(const WalkItem& item) const;

    SearchState& state_;
    const SearchRequest& request_;
    QString dateDisplayFormat_;
    QLocale locale_;
    SearchHost& host_;
    std::unique_ptr<WalkOrderHost> walkOrderHost_;
    TTreeScanner Tree1;
    ReadAhead readAhead_; // outlives the pool, whose threads tell it their progress
    uint64_t filesReported_ = 0;
    std::vector<std::unique_ptr<FileSearch>> searches_; // one per worker
    std::unique_ptr<OrderedPool<WalkItem>> pool_;
};

// Milliseconds of a monotonic clock (stands in for the tick count).
int64_t tickCount();

} // namespace ferrolux
