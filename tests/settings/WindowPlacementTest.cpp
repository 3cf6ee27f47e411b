#include "settings/WindowPlacement.h"

#include "StoreTesting.h"

#include <QMargins>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

TEST(WindowPlacement, IsStoredAsFiveNumbersAndReadBackOnlyWhenSound) {
    const WindowPlacement placed{QRect(10, 20, 1200, 900), true};
    EXPECT_EQ(encodePlacement(placed), QStringLiteral("10,20,1200,900,1"));
    EXPECT_EQ(parsePlacement(encodePlacement(placed)), placed);
    EXPECT_EQ(parsePlacement(QStringLiteral("-5, 0, 914, 670, 0")),
              (WindowPlacement{QRect(-5, 0, 914, 670), false}));
    for (const char* bad :
         {"", "1,2,3,4", "1,2,3,4,5,6", "a,2,3,4,0", "1,2,0,4,0", "1,2,3,-4,0", "1,2,3,4,2"})
        EXPECT_EQ(parsePlacement(QLatin1String(bad)), std::nullopt) << bad;
}

using WindowPlacementStore = test::StoreTest;

TEST_F(WindowPlacementStore, RemembersThePlacementAcrossRuns) {
    EXPECT_EQ(readWindowPlacement(store), std::nullopt);
    const WindowPlacement placed{QRect(100, 50, 1000, 700), false};
    ASSERT_TRUE(writeWindowPlacement(store, placed));
    EXPECT_EQ(readWindowPlacement(RegistryStore(path)), placed);
}

TEST(WindowPlacement, IsBroughtOntoTheScreenAsItIsNow) {
    const QRect screen(0, 0, 1280, 1024);
    const QSize minimum(914, 670);
    const QMargins frame(1, 20, 1, 5);
    const struct {
        const char* name;
        QRect stored;
        QRect shown;
    } cases[] = {
        {"as it was", QRect(100, 100, 1000, 800), QRect(100, 100, 1000, 800)},
        {"off to the right", QRect(2000, 100, 1000, 800), QRect(279, 100, 1000, 800)},
        {"above the screen", QRect(100, -300, 1000, 800), QRect(100, 20, 1000, 800)},
        {"larger than the screen", QRect(0, 0, 3000, 2000), QRect(1, 20, 1278, 999)},
        {"smaller than the layout", QRect(50, 60, 400, 300), QRect(50, 60, 914, 670)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(placementOnScreen(c.stored, screen, minimum, frame), c.shown) << c.name;
}

} // namespace
} // namespace ferrolux
