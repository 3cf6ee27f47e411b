#pragma once

#include "search/FileResult.h"
#include "search/FileSearch.h"
#include "search/SearchRequest.h"
#include "search/SearchState.h"
#include "settings/Settings.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class QTimer;

namespace ferrolux {

// What the window does with what its search reports; every call comes on
// the window's thread.
struct SearchView {
    std::function<void(std::vector<FileResult> rows)> appendRows;
    std::function<void(const QString& text)> showStatus;
    // The search is over and its state is back in the window's SearchState.
    std::function<void()> ended;
};

// Runs the searches of one window, one at a time, each on a thread of its
// own (which hands the files to a pool of threads) with a private copy of
// the window's search state: the search writes only what it owns, and the
// window's state receives it back when the search is over. What the search
// reports (rows, the status text, message boxes, its end) reaches the
// window's thread through one queue, in the order it was reported; a message
// box is shown there, with MessageBoxA, while the search waits for the answer.
class SearchController : public QObject {
    Q_OBJECT
public:
    // window owns the message boxes and its search state; view is told what
    // the search reports.
    SearchController(QObject* window, SearchState& windowState, SearchView view);
    // Abandons a running search.
    ~SearchController() override;

    // Starts a search of request with a copy of the window's state (prepared
    // by beginSearch). listedRows: the previous rows, for listed files only.
    void start(const SearchRequest& request, const Settings& settings,
               const QString& dateDisplayFormat, std::vector<FileResult> listedRows,
               int threads = defaultSearchThreads());
    bool running() const { return thread_.joinable(); }

    // Stop: every file in work ends within a chunk, no more are searched.
    void cancel();

    // Ends a running search at once: stops it, answers its message boxes
    // without showing them, waits for all its threads and gives its state
    // back to the window. The view hears nothing more of it.
    void abandon();

private:
    class Host;
    struct Queue;

    void wake();
    void deliver();
    void showBox();
    void finish();

    QObject* window_;
    SearchState& windowState_;
    SearchView view_;
    QTimer* timer_;
    std::shared_ptr<Queue> queue_;
    std::unique_ptr<Host> host_;
    SearchState runState_;
    std::thread thread_;
};

} // namespace ferrolux
