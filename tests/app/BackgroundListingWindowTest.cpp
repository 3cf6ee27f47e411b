#include "MainWindowControls.h"
#include "MessageBoxRecorder.h"
#include "TempDir.h"
#include "WindowDriver.h"
#include "app/TfrmMain.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

namespace ferrolux {
namespace {

// Listing a file's lines never holds up the window: the list fills when the
// lines are found, and a newer pick wins.
class ListingInTheWindow : public ::testing::Test {
protected:
    test::TempDir store;
    test::TempDir tree;
    test::MessageBoxRecorder boxes;
    std::unique_ptr<TfrmMain> window;
    test::MainWindowControls ui;

    void SetUp() override {
        qputenv("FERROLUX_REGISTRY", QByteArray::fromStdString(store.file("store.reg")));
        window = std::make_unique<TfrmMain>();
        ui = test::MainWindowControls(*window);
        window->show();
    }

    int rowNamed(const std::string& name) const {
        for (int i = 0; i < ui.lstFiles1->count(); ++i)
            if (ui.lstFiles1->row(i).FileName == name) return i;
        return -1;
    }
};

TEST_F(ListingInTheWindow, AHugeFileListsBehindTheWindowAndANewerPickWins) {
    const std::string huge = tree.write("huge.txt", "needle at the start\n");
    tree.write("small.txt", "a needle here\n");
    ASSERT_TRUE(test::searchFolder(*window, &TfrmMain::searchFinished, tree.path(),
                                   QStringLiteral("needle")));
    ASSERT_EQ(ui.lstFiles1->count(), 2);
    // Grown since the search: 64 GiB (sparse) to read through after its match.
    ASSERT_EQ(::truncate(huge.c_str(), int64_t(64) << 30), 0);

    QSignalSpy listed(window.get(), &TfrmMain::matchesListed);
    ui.lstFiles1->selectRow(rowNamed("huge.txt"));
    window->resultLists().lstFiles1Click();
    // Back at once, with the lines still to come.
    EXPECT_TRUE(window->resultLists().listing());
    EXPECT_EQ(ui.lstLines1->count(), 0);
    EXPECT_TRUE(ui.lblMatches->isVisible());

    ui.lstFiles1->selectRow(rowNamed("small.txt"));
    window->resultLists().lstFiles1Click();
    ASSERT_TRUE(listed.wait(30000));
    ASSERT_EQ(ui.lstLines1->count(), 1);
    EXPECT_EQ(ui.lstLines1->lines()[0].Text, "a needle here");
    EXPECT_FALSE(window->resultLists().listing());
    QCoreApplication::processEvents();
    EXPECT_EQ(listed.count(), 1) << "the huge file's lines never come";
    // Closing the window does not wait for the huge file to be read.
    window.reset();
}

TEST_F(ListingInTheWindow, AKeyReleasedWithoutItsPressInTheListListsNothing) {
    tree.write("a.txt", "needle\n");
    ASSERT_TRUE(test::searchFolder(*window, &TfrmMain::searchFinished, tree.path(),
                                   QStringLiteral("needle")));
    ASSERT_EQ(ui.lstFiles1->count(), 1);
    ui.lstFiles1->setFocus();
    QSignalSpy listed(window.get(), &TfrmMain::matchesListed);

    // Esc closed the viewer: its release lands on the list.
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(ui.lstFiles1, &release);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->resultLists().listing());
    EXPECT_EQ(listed.count(), 0);

    // A key pressed and released in the list lists the lines again.
    QTest::keyClick(ui.lstFiles1, Qt::Key_Shift);
    ASSERT_TRUE(listed.wait(10000));
    EXPECT_EQ(ui.lstLines1->count(), 1);
}

} // namespace
} // namespace ferrolux
