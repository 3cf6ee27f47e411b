#include "results/BackgroundListing.h"

#include <QMetaObject>

namespace ferrolux {

BackgroundListing::BackgroundListing() {
    // One listing that is stopping and the one that replaced it.
    pool_.setMaxThreadCount(2);
}

BackgroundListing::~BackgroundListing() {
    cancel();
    pool_.waitForDone();
}

void BackgroundListing::start(Work work, Done done) {
    cancel();
    stop_ = std::make_shared<std::atomic<bool>>(false);
    const uint64_t request = ++latest_;
    pending_ = true;
    pool_.start([this, request, stop = stop_, work = std::move(work), done = std::move(done)] {
        std::vector<MatchLine> lines = work(*stop);
        if (stop->load()) return;
        // Queued to the caller's thread; dropped if the listing is gone.
        QMetaObject::invokeMethod(
            &receiver_,
            [this, request, done, lines = std::move(lines)]() mutable {
                if (request != latest_ || !pending_) return;
                pending_ = false;
                done(std::move(lines));
            },
            Qt::QueuedConnection);
    });
}

void BackgroundListing::cancel() {
    if (stop_) stop_->store(true);
    pending_ = false;
}

} // namespace ferrolux
