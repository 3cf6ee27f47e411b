#include "viewer/ViewerMatchTable.h"

#include <gtest/gtest.h>

namespace ferrolux {
namespace {

TEST(MatchTableSteps, NextAndPreviousStopAtTheEndsWithoutWrapping) {
    ViewerMatchTable table;
    table.count = 3;
    table.positions[0] = 2;
    table.positions[1] = 5;
    table.positions[2] = int64_t(3) << 32; // past 4 GiB
    table.positions[3] = 50;               // stale entry past count
    EXPECT_EQ(table.nextAfter(0), 0);
    EXPECT_EQ(table.nextAfter(2), 1); // from a match to the next one
    EXPECT_EQ(table.nextAfter(6), 2);
    EXPECT_EQ(table.nextAfter(int64_t(3) << 32), std::nullopt);
    EXPECT_EQ(table.previousBefore(int64_t(3) << 32), 1);
    EXPECT_EQ(table.previousBefore(int64_t(4) << 32), 2);
    EXPECT_EQ(table.previousBefore(2), std::nullopt);
}

TEST(MatchTableSteps, TheLimitIsMaxMatchesHeldToTheTable) {
    EXPECT_EQ(viewerMatchLimit(3), 3);
    EXPECT_EQ(viewerMatchLimit(9000), ViewerMatchTable::Capacity);
    EXPECT_EQ(viewerMatchLimit(-1), 0);
}

} // namespace
} // namespace ferrolux
