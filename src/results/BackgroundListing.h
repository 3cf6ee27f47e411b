#pragma once

#include "search/FileResult.h"

#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace ferrolux {

// Lists a file's lines off the window's thread, so that a large file never
// freezes the window. A newer request wins: the older listing is told to
// stop and its lines are dropped.
class BackgroundListing {
public:
    // Lists the lines; returns early, with what it has, once stop is set.
    using Work = std::function<std::vector<MatchLine>(const std::atomic<bool>& stop)>;
    using Done = std::function<void(std::vector<MatchLine> lines)>;

    BackgroundListing();
    // Stops the listings and waits for them: nothing runs past the window.
    ~BackgroundListing();
    BackgroundListing(const BackgroundListing&) = delete;
    BackgroundListing& operator=(const BackgroundListing&) = delete;

    // Runs work on a thread of the listing's own; done gets its lines later,
    // from the event loop of the thread that called start, unless another
    // start or a cancel came first.
    void start(Work work, Done done);
    // The listing running now, if any, is stopped and its lines dropped.
    void cancel();
    // Whether a listing's lines are still to come.
    bool pending() const { return pending_; }

private:
    QThreadPool pool_;
    QObject receiver_; // delivers the lines on the caller's thread
    std::shared_ptr<std::atomic<bool>> stop_;
    uint64_t latest_ = 0;
    bool pending_ = false;
};

} // namespace ferrolux
