#include "results/BackgroundListing.h"

namespace ferrolux {

BackgroundListing::BackgroundListing() : ready_([this] { deliver(); }) {
    // One listing that is stopping and the one that replaced it.
    pool_.setMaxThreadCount(2);
}

BackgroundListing::~BackgroundListing() {
    cancel();
    pool_.waitForDone();
    // What the pool threads left is given back under the lock they wrote it under.
    const std::lock_guard lock(handOver_);
    jobs_.clear();
    found_.reset();
}

void BackgroundListing::start(Work work, Done done) {
    cancel();
    stop_ = std::make_shared<std::atomic<bool>>(false);
    done_ = std::move(done);
    pending_ = true;
    {
        const std::lock_guard lock(handOver_);
        jobs_.push_back({++latest_, std::move(work), stop_});
    }
    // The task carries nothing but this: the job itself waits under the lock.
    pool_.start([this] { runNextJob(); });
}

void BackgroundListing::runNextJob() {
    Job job;
    {
        const std::lock_guard lock(handOver_);
        job = std::move(jobs_.front());
        jobs_.pop_front();
    }
    std::vector<MatchLine> lines = job.work(*job.stop);
    job.work = nullptr;
    if (job.stop->load()) return;
    {
        const std::lock_guard lock(handOver_);
        // An older listing that ends late never hides a newer one's lines.
        if (found_ && found_->request > job.request) return;
        found_ = Found{job.request, std::move(lines)};
    }
    ready_.post();
}

void BackgroundListing::deliver() {
    std::optional<Found> found;
    {
        const std::lock_guard lock(handOver_);
        found.swap(found_);
    }
    if (!found || found->request != latest_ || !pending_) return;
    pending_ = false;
    // Done may start the next listing, which replaces done_.
    const Done done = std::move(done_);
    done(std::move(found->lines));
}

void BackgroundListing::cancel() {
    if (stop_) stop_->store(true);
    pending_ = false;
}

} // namespace ferrolux
