#include "MessageBoxRecorder.h"
#include "TempDir.h"
#include "app/TfrmMain.h"
#include "platform/ui/HelpWindow.h"

#include <QApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

TEST(SmallScreen, TheMainAndHelpWindowsFitWithTheirFrames) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_EQ(screen->geometry().size(), QSize(800, 600));
    test::TempDir store;
    test::MessageBoxRecorder boxes;
    qputenv("FERROLUX_REGISTRY", QByteArray::fromStdString(store.file("store.reg")));
    TfrmMain window;
    window.show();
    const QRect room = screen->availableGeometry();
    EXPECT_TRUE(room.contains(window.frameGeometry()));

    window.Contents1Click();
    const HelpWindow* help = window.findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(room.contains(help->frameGeometry()))
        << help->frameGeometry().width() << "x" << help->frameGeometry().height();
}

} // namespace
} // namespace ferrolux
