#include "MessageBoxRecorder.h"
#include "app/Startup.h"
#include "platform/ui/ScreenFonts.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

// Run on a screen of 1280 x 1024 pixels scaled by 2 (see CMakeLists.txt).
TEST(ScaledScreen, TheRefusalNamesTheRoomInTheWindowsUnits) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_EQ(screen->devicePixelRatio(), 2);
    ASSERT_EQ(screen->geometry().size() * 2, QSize(1280, 1024));
    test::MessageBoxRecorder boxes;
    EXPECT_TRUE(refuseSmallScreen(primaryScreenSize(), usableScreenSize()));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(boxes.boxes()[0].text.contains(QStringLiteral("offers 640 x 512 for its window")))
        << boxes.boxes()[0].text.toStdString();
}

} // namespace
} // namespace ferrolux
