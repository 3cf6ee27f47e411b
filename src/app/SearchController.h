#pragma once

#include "search/FileSearch.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class QTimer;

namespace ferrolux {

class SearchSession;

// What the window does with what its search reports; every call comes on
// the window's thread.
struct SearchView {
    std::function<void(const QString& text)> showStatus;
    // The search is over.
    std::function<void()> ended;
};

// Runs the searches of a window's session, one at a time, each on a thread
// of its own (which hands the files to a pool of threads). While it runs,
// that thread alone writes the session's counters; the rows it finds reach
// the session on the window's thread. What the search reports (rows, the
// status text, messages for the user, its end) goes through one queue, in
// the order it was reported; a message is shown there in a message box
// while the search waits for it to be answered.
class SearchController : public QObject {
    Q_OBJECT
public:
    // window owns the message boxes; view is told what the search reports.
    SearchController(QObject* window, SearchSession& session, SearchView view);
    // Abandons a running search.
    ~SearchController() override;

    // Runs the search the session has begun.
    void start(int32_t maxMatchLen, const QString& dateDisplayFormat,
               int threads = defaultSearchThreads());
    bool running() const { return thread_.joinable(); }

    // Stop: every file in work ends within a chunk, no more are searched.
    void cancel();

    // Ends a running search at once: stops it, drops its messages unshown
    // and waits for all its threads. The view hears
    // nothing more of it.
    void abandon();

private:
    class Host;
    struct Queue;

    void wake();
    void deliver();
    void showBox();
    void finish();

    QObject* window_;
    SearchSession& session_;
    SearchView view_;
    QTimer* timer_;
    std::shared_ptr<Queue> queue_;
    std::unique_ptr<Host> host_;
    std::thread thread_;
};

} // namespace ferrolux
