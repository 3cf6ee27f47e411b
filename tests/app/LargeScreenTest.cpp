#include "MainWindowControls.h"
#include "TempDir.h"
#include "app/TfrmMain.h"
#include "settings/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

// The main window on a 1920 x 1080 screen: the designed layout at its
// designed size, lists that grow with the window, and the size and place
// of the last run.
class LargeScreen : public ::testing::Test {
protected:
    test::TempDir store;

    void SetUp() override {
        qputenv("FERROLUX_REGISTRY", QByteArray::fromStdString(store.file("store.reg")));
        ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(1920, 1080));
    }

    // Resizes the window and waits until its client area has that size.
    static bool resized(TfrmMain& window, QSize client) {
        const QSize outside = window.size() - window.centralWidget()->size() + client;
        window.resize(outside);
        return QTest::qWaitFor([&] { return window.centralWidget()->size() == client; });
    }
};

TEST_F(LargeScreen, AtItsDesignedSizeTheWindowHasTheDesignedLayoutAndLargerItsListsGrow) {
    TfrmMain window;
    const test::MainWindowControls ui(window);
    window.show();
    ASSERT_EQ(window.centralWidget()->size(), QSize(914, 651));
    EXPECT_EQ(ui.lstFiles1->geometry(), QRect(0, 0, 914, 193));
    EXPECT_EQ(ui.lblMatches->pos(), QPoint(8, 201));
    EXPECT_EQ(ui.lstLines1->geometry(), QRect(0, 224, 914, 215));
    EXPECT_EQ(ui.pnlBottom->geometry(), QRect(0, 441, 915, 180));
    EXPECT_EQ(ui.pnlStatus->geometry(), QRect(0, 621, 914, 30));
    const int directory = ui.lstFiles1->columnWidth(1);
    const int fileName = ui.lstFiles1->columnWidth(0);
    const QPoint search = ui.cmdSearch->pos();

    ASSERT_TRUE(resized(window, QSize(914 + 400, 651 + 300)));
    EXPECT_EQ(ui.lstFiles1->geometry(), QRect(0, 0, 914 + 400, 193 + 150));
    EXPECT_EQ(ui.lblMatches->pos(), QPoint(8, 201 + 150));
    EXPECT_EQ(ui.lstLines1->geometry(), QRect(0, 224 + 150, 914 + 400, 215 + 150));
    EXPECT_EQ(ui.pnlBottom->geometry(), QRect(0, 441 + 300, 915 + 400, 180));
    EXPECT_EQ(ui.pnlStatus->geometry(), QRect(0, 621 + 300, 914 + 400, 30));
    EXPECT_EQ(ui.lstFiles1->columnWidth(1), directory + 400);
    EXPECT_EQ(ui.lstFiles1->columnWidth(0), fileName);
    EXPECT_EQ(ui.cmdSearch->pos(), search) << "the controls keep their places in the panel";

    // Back at the designed size, the designed layout again; no smaller.
    ASSERT_TRUE(resized(window, QSize(914, 651)));
    EXPECT_EQ(ui.lstLines1->geometry(), QRect(0, 224, 914, 215));
    EXPECT_EQ(ui.lstFiles1->columnWidth(1), directory);
    EXPECT_EQ(window.minimumSize(), window.size());
}

TEST_F(LargeScreen, TheWindowComesBackWhereAndAsLargeAsItWasLeft) {
    QRect left;
    {
        TfrmMain window;
        window.show();
        // An untouched window leaves the store as it was.
        window.close();
        EXPECT_EQ(readWindowPlacement(RegistryStore::standard()), std::nullopt);
    }
    {
        TfrmMain window;
        window.show();
        ASSERT_TRUE(resized(window, QSize(1200, 800)));
        window.move(100, 80);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.pos() == QPoint(100, 80); }));
        left = window.geometry();
        window.close();
    }
    {
        TfrmMain window;
        window.show();
        EXPECT_EQ(window.geometry(), left);
        window.showMaximized();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.isMaximized(); }));
        const test::MainWindowControls ui(window);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return ui.pnlStatus->geometry().bottom() == window.centralWidget()->height() - 1;
        }));
        EXPECT_EQ(ui.lstFiles1->width(), window.centralWidget()->width());
        window.close();
    }
    TfrmMain window;
    window.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isMaximized(); }));
    EXPECT_EQ(window.normalGeometry(), left) << "unmaximised, it goes back where it was";
}

} // namespace
} // namespace ferrolux
