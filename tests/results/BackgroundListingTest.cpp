#include "results/BackgroundListing.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <thread>

namespace ferrolux {
namespace {

std::vector<MatchLine> oneLine(const char* text) {
    return {MatchLine{"1", text}};
}

// A listing that runs until it is told to stop, as a huge file's would.
std::vector<MatchLine> untilStopped(const std::atomic<bool>& stop) {
    while (!stop.load())
        std::this_thread::yield();
    return oneLine("stopped");
}

TEST(BackgroundListing, TheLinesArriveLaterFromTheEventLoop) {
    BackgroundListing listing;
    std::vector<std::string> got;
    listing.start([](const std::atomic<bool>&) { return oneLine("found"); },
                  [&](std::vector<MatchLine> lines) { got.push_back(lines.at(0).Text); });
    EXPECT_TRUE(got.empty()) << "start returns before the lines";
    EXPECT_TRUE(listing.pending());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !got.empty(); }));
    EXPECT_EQ(got, std::vector<std::string>{"found"});
    EXPECT_FALSE(listing.pending());
}

TEST(BackgroundListing, ANewerRequestStopsTheOlderAndOnlyItsLinesArrive) {
    BackgroundListing listing;
    std::atomic<bool> olderStopped = false;
    std::vector<std::string> got;
    listing.start(
        [&](const std::atomic<bool>& stop) {
            auto lines = untilStopped(stop);
            olderStopped = true;
            return lines;
        },
        [&](std::vector<MatchLine> lines) { got.push_back("older " + lines.at(0).Text); });
    listing.start([](const std::atomic<bool>&) { return oneLine("newer"); },
                  [&](std::vector<MatchLine> lines) { got.push_back(lines.at(0).Text); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !got.empty() && olderStopped; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(got, std::vector<std::string>{"newer"});
}

TEST(BackgroundListing, ACancelledListingStopsAndTellsNothing) {
    BackgroundListing listing;
    std::atomic<bool> stopped = false;
    bool told = false;
    listing.start(
        [&](const std::atomic<bool>& stop) {
            auto lines = untilStopped(stop);
            stopped = true;
            return lines;
        },
        [&](std::vector<MatchLine>) { told = true; });
    listing.cancel();
    EXPECT_FALSE(listing.pending());
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped.load(); }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(told);
}

TEST(BackgroundListing, GoingAwayStopsTheRunningListingFirst) {
    std::atomic<bool> stopped = false;
    {
        BackgroundListing listing;
        listing.start(
            [&](const std::atomic<bool>& stop) {
                auto lines = untilStopped(stop);
                stopped = true;
                return lines;
            },
            [](std::vector<MatchLine>) {});
    }
    EXPECT_TRUE(stopped) << "the listing ended before its owner";
    QCoreApplication::processEvents(); // nothing is delivered to the gone listing
}

} // namespace
} // namespace ferrolux
