#include "search/OrderedPool.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace ferrolux;

namespace {

struct Item {
    int number = -1;
    bool isNote = false;
    int square = 0;
    std::thread::id workedOn;
};

// Work that takes a different, random time for each item, so that later
// items often finish before earlier ones.
void slowSquare(Item& item) {
    thread_local std::minstd_rand random(std::hash<std::thread::id>()(std::this_thread::get_id()));
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
    item.square = item.number * item.number;
    item.workedOn = std::this_thread::get_id();
}

} // namespace

TEST(OrderedPool, ReleasesInSubmissionOrderOnTheSubmittingThreadWithinTheWindow) {
    for (const int threads : {2, 3, 8}) {
        constexpr size_t window = 5;
        std::atomic<int> inFlight{0};
        std::atomic<int> mostInFlight{0};
        std::vector<int> released;
        std::set<std::thread::id> workers;
        const std::thread::id submitter = std::this_thread::get_id();
        bool releasedElsewhere = false;
        {
            OrderedPool<Item> pool(
                threads, window, [](int, Item& item) { slowSquare(item); },
                [&](Item& item) {
                    releasedElsewhere |= std::this_thread::get_id() != submitter;
                    if (!item.isNote) {
                        EXPECT_EQ(item.square, item.number * item.number);
                        workers.insert(item.workedOn);
                    }
                    released.push_back(item.number);
                    --inFlight;
                });
            for (int i = 0; i < 400; ++i) {
                mostInFlight = std::max(mostInFlight.load(), ++inFlight);
                if (i % 7 == 3)
                    pool.note(Item{i, true, 0, {}});
                else
                    pool.submit(Item{i, false, 0, {}});
            }
            pool.drain();
        }
        ASSERT_EQ(released.size(), 400u) << threads;
        for (int i = 0; i < 400; ++i)
            ASSERT_EQ(released[size_t(i)], i) << threads << " threads";
        EXPECT_FALSE(releasedElsewhere);
        EXPECT_LE(mostInFlight.load(), int(window) + 1) << "the window bounds what is held";
        EXPECT_FALSE(workers.count(submitter)) << "the walk's thread does no search work";
        EXPECT_GT(workers.size(), 1u) << "the work was shared";
    }
}

TEST(OrderedPool, EachItemIsWorkedOnOnceAndNotesNever) {
    // A tiny window and many notes: notes are released while the workers
    // are still busy, and their slots are taken again at once.
    constexpr int kItems = 3000;
    for (const int threads : {2, 4, 8}) {
        std::vector<std::atomic<int>> worked(kItems);
        int released = 0;
        {
            OrderedPool<Item> pool(
                threads, 2,
                [&](int, Item& item) {
                    ++worked[size_t(item.number)];
                    if (item.number % 5 == 0) std::this_thread::yield();
                },
                [&](Item& item) { EXPECT_EQ(item.number, released++); });
            for (int i = 0; i < kItems; ++i)
                if (i % 3 == 0)
                    pool.note(Item{i, true, 0, {}});
                else
                    pool.submit(Item{i, false, 0, {}});
            pool.drain();
        }
        EXPECT_EQ(released, kItems);
        for (int i = 0; i < kItems; ++i)
            ASSERT_EQ(worked[size_t(i)].load(), i % 3 == 0 ? 0 : 1)
                << "item " << i << ", " << threads << " threads";
    }
}

TEST(OrderedPool, OneThreadWorksAndReleasesEachItemAtOnceOnTheCaller) {
    std::vector<std::string> events;
    OrderedPool<Item> pool(
        1, 64,
        [&](int worker, Item& item) {
            EXPECT_EQ(worker, 0);
            slowSquare(item);
            events.push_back(std::string("work ").append(std::to_string(item.number)));
        },
        [&](Item& item) {
            events.push_back(std::string("release ").append(std::to_string(item.number)));
        });
    EXPECT_FALSE(pool.parallel());
    pool.submit(Item{1, false, 0, {}});
    EXPECT_EQ(events, (std::vector<std::string>{"work 1", "release 1"}));
    pool.note(Item{2, true, 0, {}});
    pool.submit(Item{3, false, 0, {}});
    EXPECT_EQ(events, (std::vector<std::string>{"work 1", "release 1", "release 2", "work 3",
                                                "release 3"}));
}

TEST(OrderedPool, TellsWhichItemItWaitsFor) {
    std::atomic<bool> taken{false};
    std::atomic<bool> letGo{false};
    std::vector<int> waitedFor;
    {
        OrderedPool<Item> pool(
            2, 4,
            [&](int, Item& item) {
                if (item.number != 0) return;
                taken = true;
                while (!letGo)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            },
            [](Item&) {},
            [&](const Item& item) {
                waitedFor.push_back(item.number);
                letGo = true;
            });
        pool.submit(Item{0, false, 0, {}});
        // Only an item a worker has taken is reported as waited for; a fixed
        // sleep is not enough on a busy machine.
        while (!taken)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        pool.drain();
    }
    EXPECT_EQ(waitedFor, std::vector<int>{0});
}

// A wide window holds a large backlog, which workers take in runs: each item
// is still worked on once and released in its turn.
TEST(OrderedPool, RunsOfABacklogAreWorkedOnceAndReleasedInOrder) {
    constexpr int kItems = 20000;
    std::vector<std::atomic<int>> worked(kItems);
    std::vector<int> released;
    {
        OrderedPool<Item> pool(
            2, 512, [&](int, Item& item) { ++worked[size_t(item.number)]; },
            [&](Item& item) { released.push_back(item.number); });
        for (int i = 0; i < kItems; ++i) {
            if (i % 11 == 5)
                pool.note(Item{i, true, 0, {}});
            else
                pool.submit(Item{i, false, 0, {}});
            if (i % 1000 == 999) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        pool.drain();
    }
    ASSERT_EQ(released.size(), size_t(kItems));
    for (int i = 0; i < kItems; ++i) {
        ASSERT_EQ(released[size_t(i)], i);
        ASSERT_EQ(worked[size_t(i)].load(), i % 11 == 5 ? 0 : 1) << i;
    }
}

// A worker that is busy is not woken for every item; before the submitter
// turns to something slow, wakeIdle hands what waits to an idle worker.
TEST(OrderedPool, WakeIdleStartsWhatWaitsWhileAnotherWorkerIsBusy) {
    std::atomic<bool> firstTaken{false};
    std::atomic<bool> letGo{false};
    std::atomic<bool> secondDone{false};
    {
        OrderedPool<Item> pool(
            2, 64,
            [&](int, Item& item) {
                if (item.number == 1) {
                    secondDone = true;
                    return;
                }
                firstTaken = true;
                while (!letGo)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            },
            [](Item&) {});
        pool.submit(Item{0, false, 0, {}});
        while (!firstTaken)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        pool.submit(Item{1, false, 0, {}});
        pool.wakeIdle();
        // Item 0 holds its worker until item 1 was searched by the other.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!secondDone && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_TRUE(secondDone.load()) << "the waiting item was left for the busy worker";
        letGo = true;
        pool.drain();
    }
}

// Making room in a full window waits for more than the oldest item; every
// window size still releases each item once, in order.
TEST(OrderedPool, AFullWindowOfAnySizeReleasesInOrder) {
    constexpr int kItems = 2000;
    for (const size_t window : {1u, 3u, 4u, 7u, 8u, 33u}) {
        std::vector<int> released;
        {
            OrderedPool<Item> pool(
                3, window, [](int, Item& item) { item.square = item.number * item.number; },
                [&](Item& item) {
                    if (!item.isNote) {
                        EXPECT_EQ(item.square, item.number * item.number);
                    }
                    released.push_back(item.number);
                });
            for (int i = 0; i < kItems; ++i) {
                if (i % 13 == 0)
                    pool.note(Item{i, true, 0, {}});
                else
                    pool.submit(Item{i, false, 0, {}});
            }
            pool.drain();
        }
        ASSERT_EQ(released.size(), size_t(kItems)) << "window " << window;
        for (int i = 0; i < kItems; ++i)
            ASSERT_EQ(released[size_t(i)], i) << "window " << window;
    }
}
