#pragma once

#include "search/FileResult.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace ferrolux {

// Runs a call on the thread it lives on when another thread posts to it.
// The event carries nothing and is only read and freed by Qt, so nothing
// made on one thread is read on the other outside the listing's lock.
class ListingReady : public QObject {
public:
    explicit ListingReady(std::function<void()> onReady) : onReady_(std::move(onReady)) {}
    void post() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }

protected:
    void customEvent(QEvent*) override { onReady_(); }

private:
    std::function<void()> onReady_;
};

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
    struct Job {
        uint64_t request = 0;
        Work work;
        std::shared_ptr<std::atomic<bool>> stop;
    };
    struct Found {
        uint64_t request = 0;
        std::vector<MatchLine> lines;
    };

    void runNextJob(); // on a pool thread
    void deliver();    // on the caller's thread

    QThreadPool pool_;
    ListingReady ready_; // delivers the lines on the caller's thread
    // Jobs and lines cross threads only under this lock, never inside Qt's
    // queued calls, so every hand-over is one the thread checker can see.
    std::mutex handOver_;
    std::deque<Job> jobs_;
    std::optional<Found> found_;
    // The caller's thread only.
    Done done_;
    std::shared_ptr<std::atomic<bool>> stop_;
    uint64_t latest_ = 0;
    bool pending_ = false;
};

} // namespace ferrolux
