#include "FakeHost.h"
#include "TempDir.h"
#include "viewer/TfrmViewer.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

// This program's screen is 1024 x 600: lower than the viewer's designed
// window, which must shrink to the screen with its buttons on it.
TEST(ViewerOnASmallScreen, FitsTheScreensAvailableAreaWithItsButtons) {
    test::TempDir dir;
    test::FakeHost host;
    host.pattern = "needle";
    dir.write("a.txt", "one needle\n");
    host.row = test::diskRow(dir.path(), "a.txt", "T", 11);
    ViewerMatchTable table;
    TfrmViewer viewer(nullptr, host,
                      ViewerRequest{host.row->fullPath(), QStringLiteral("File Viewer - a"), -1},
                      table);
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(available.size(), QSize(1024, 600));
    EXPECT_TRUE(available.contains(viewer.frameGeometry())) << viewer.height();
    for (const QPushButton* button : {viewer.cmdPrev, viewer.cmdNext, viewer.cmdClose})
        EXPECT_TRUE(viewer.rect().contains(button->geometry()))
            << button->objectName().toStdString();
    EXPECT_GT(viewer.edtFile->height(), 0);
    EXPECT_LE(viewer.edtFile->geometry().bottom(), viewer.cmdClose->y());
}

} // namespace
} // namespace ferrolux
