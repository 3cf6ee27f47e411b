#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ferrolux {

// Works on items in worker threads and hands them back in the order they
// were submitted. The submitting thread releases finished items (between
// submissions, and while it waits for room), so a release never runs
// concurrently with another and always on that thread. At most `window`
// items are between submission and release: memory stays bounded however
// many items come. With one thread there are no workers: each item is
// worked on and released at once, on the submitting thread.
//
// An item submitted as done (a note) needs no work; it is only released in
// its turn.
//
// Hand-offs are batched, as items are often tiny files: a worker that is
// busy comes back for more without being woken, an idle one is woken when
// nobody works or a run's worth waits, and a full window is made room in by
// a quarter at a time, not an item at a time.
template <typename Item>
class OrderedPool {
public:
    // work(worker, item) runs on worker `worker` (0 .. threads-1);
    // release(item) on the submitting thread, in submission order.
    using Work = std::function<void(int worker, Item& item)>;
    using Release = std::function<void(Item& item)>;
    // Told about an item it waits for (the oldest one, still being worked on).
    using Waiting = std::function<void(const Item& item)>;

    OrderedPool(int threads, size_t window, Work work, Release release, Waiting waiting = {})
        : work_(std::move(work)), release_(std::move(release)), waiting_(std::move(waiting)),
          slots_(threads > 1 ? std::max<size_t>(window, 1) : 0),
          workerCount_(threads > 1 ? size_t(threads) : 0) {
        for (int i = 0; threads > 1 && i < threads; ++i)
            workers_.emplace_back([this, i] { workLoop(i); });
    }

    // Finishes the work already handed out, without releasing more.
    ~OrderedPool() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        workAvailable_.notify_all();
        for (std::thread& worker : workers_)
            worker.join();
    }

    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;

    bool parallel() const { return workerCount_ > 0; }

    void submit(Item item) { add(std::move(item), false); }
    void note(Item item) { add(std::move(item), true); }

    // Releases every item submitted so far.
    void drain() {
        if (!parallel()) return;
        std::unique_lock lock(mutex_);
        while (released_ < submitted_)
            releaseHead(lock, released_);
    }

    // Wakes idle workers for the items not started yet: the submitter calls
    // it before it may be a while without submitting (listing a folder).
    void wakeIdle() {
        if (!parallel()) return;
        const std::lock_guard lock(mutex_);
        wakeForBacklog();
    }

private:
    struct Slot {
        Item item;
        bool done = false;
        bool started = false;
    };

    Slot& slot(uint64_t sequence) { return slots_[sequence % slots_.size()]; }

    void add(Item item, bool done) {
        if (!parallel()) {
            if (!done) work_(0, item);
            release_(item);
            return;
        }
        std::unique_lock lock(mutex_);
        while (submitted_ - released_ == slots_.size())
            releaseHead(lock, released_ + std::min<uint64_t>(slots_.size() / 4,
                                                             submitted_ - released_ - 1));
        Slot& s = slot(submitted_++);
        s.item = std::move(item);
        s.done = done;
        s.started = false;
        if (!done && idleWorkers_ > 0 &&
            (idleWorkers_ == int(workerCount_) || submitted_ - started_ >= kMaxRun))
            workAvailable_.notify_one();
        releaseFinished(lock);
    }

    // One idle worker per item not started (notes count too: a spare wake-up at most).
    void wakeForBacklog() {
        const uint64_t wake = std::min<uint64_t>(submitted_ - started_, uint64_t(idleWorkers_));
        for (uint64_t i = 0; i < wake; ++i)
            workAvailable_.notify_one();
    }

    // Waits until the oldest item and `until` (not older, not yet submitted
    // past) are done, then releases the finished items from the oldest on.
    void releaseHead(std::unique_lock<std::mutex>& lock, uint64_t until) {
        Slot& head = slot(released_);
        const auto ready = [&] { return head.done && slot(until).done; };
        if (!ready()) {
            if (waiting_ && head.started && !head.done) {
                lock.unlock();
                waiting_(head.item); // the worker on it does not touch what is read here
                lock.lock();
            }
            wakeForBacklog(); // nobody may be working on what is waited for
            waitedFor_ = until;
            ++releaserWaiting_;
            releasable_.wait(lock, ready);
            --releaserWaiting_;
        }
        releaseFinished(lock);
    }

    // Releases finished items from the oldest on; the lock is not held while
    // release_ runs, as no worker touches a finished item.
    void releaseFinished(std::unique_lock<std::mutex>& lock) {
        while (released_ < submitted_ && slot(released_).done) {
            Slot& s = slot(released_);
            lock.unlock();
            release_(s.item);
            s.item = Item();
            lock.lock();
            ++released_;
            // A note can be released before any worker stepped past it; its
            // slot is taken again soon, and must not look like work to start.
            started_ = std::max(started_, released_);
        }
    }

    // A worker takes a run of items at once when many wait: one lock and at
    // most one wake-up per run instead of per item, as files are often tiny.
    void workLoop(int worker) {
        std::vector<uint64_t> run;
        std::unique_lock lock(mutex_);
        for (;;) {
            takeRun(run);
            if (run.empty()) {
                if (stopping_) return;
                ++idleWorkers_;
                workAvailable_.wait(lock);
                --idleWorkers_;
                continue;
            }
            lock.unlock();
            for (const uint64_t sequence : run)
                work_(worker, slot(sequence).item);
            lock.lock();
            for (const uint64_t sequence : run)
                slot(sequence).done = true;
            if (releaserWaiting_ > 0 && slot(released_).done && slot(waitedFor_).done)
                releasable_.notify_one();
        }
    }

    // Up to kMaxRun unstarted items, fewer when the others would go idle.
    void takeRun(std::vector<uint64_t>& run) {
        run.clear();
        while (started_ < submitted_ && slot(started_).done)
            ++started_; // notes need no work
        const uint64_t waiting = submitted_ - started_;
        const uint64_t share = waiting / uint64_t(workerCount_ + 1);
        const size_t most = size_t(std::clamp<uint64_t>(share, 1, kMaxRun));
        while (run.size() < most && started_ < submitted_) {
            Slot& s = slot(started_);
            if (!s.done) {
                s.started = true;
                run.push_back(started_);
            }
            ++started_;
        }
    }

    static constexpr uint64_t kMaxRun = 8;

    Work work_;
    Release release_;
    Waiting waiting_;
    std::vector<Slot> slots_;
    // Set before the first worker starts: workers_ grows while they run.
    const size_t workerCount_;
    std::vector<std::thread> workers_;

    std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable releasable_;
    uint64_t submitted_ = 0; // items handed in
    uint64_t started_ = 0;   // items a worker took (notes skipped)
    uint64_t released_ = 0;  // items handed back
    uint64_t waitedFor_ = 0; // besides the oldest, the item the releaser waits for
    int idleWorkers_ = 0;
    int releaserWaiting_ = 0;
    bool stopping_ = false;
};

} // namespace ferrolux
