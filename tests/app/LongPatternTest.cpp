#include "MessageBoxRecorder.h"
#include "TempDir.h"
#include "WindowDriver.h"
#include "app/TfrmMain.h"
#include "results/FileListView.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

// A pattern pasted into "Search for" is taken whole: a long one is searched
// for as it is, one too large for the engine is refused with its reason.
class LongPattern : public ::testing::Test {
protected:
    test::TempDir store;
    test::TempDir tree;
    test::MessageBoxRecorder boxes;
    std::unique_ptr<TfrmMain> window;

    void SetUp() override {
        qputenv("FERROLUX_REGISTRY", QByteArray::fromStdString(store.file("store.reg")));
        window = std::make_unique<TfrmMain>();
        window->show();
        boxes.clear();
    }

    // Pastes text into the search box as a user does; what the box holds.
    QString paste(const QString& text) {
        QComboBox* search = test::named<QComboBox>(*window, "cboSearch");
        search->clearEditText();
        QGuiApplication::clipboard()->setText(text);
        search->setFocus();
        QTest::keyClick(search, Qt::Key_V, Qt::ControlModifier);
        return search->currentText();
    }
};

TEST_F(LongPattern, APastedPatternIsSearchedForWhole) {
    const std::string head(32767, 'x');
    // The first file holds only what a box of 32,767 characters keeps.
    tree.write("cut.txt", head + "\n");
    tree.write("whole.txt", head + "yz\n");
    test::named<QCheckBox>(*window, "chkLiteral")->setChecked(true);
    const QString pattern = QString::fromStdString(head) + QStringLiteral("yz");
    ASSERT_EQ(paste(pattern), pattern);
    QComboBox* search = test::named<QComboBox>(*window, "cboSearch");
    ASSERT_TRUE(
        test::searchFolder(*window, &TfrmMain::searchFinished, tree.path(), search->currentText()));
    const FileListView* files = test::named<FileListView>(*window, "lstFiles1");
    ASSERT_EQ(files->count(), 1);
    EXPECT_EQ(files->row(0).FileName, "whole.txt");
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(LongPattern, APatternTooLargeForTheEngineIsRefusedWithItsReason) {
    tree.write("a.txt", "anything\n");
    QString pattern;
    for (int i = 0; i < 400000; ++i)
        pattern += QStringLiteral("a%1|").arg(i % 10);
    pattern += QStringLiteral("b");
    ASSERT_EQ(paste(pattern), pattern);
    QComboBox* search = test::named<QComboBox>(*window, "cboSearch");
    EXPECT_FALSE(
        test::searchFolder(*window, &TfrmMain::searchFinished, tree.path(), search->currentText()));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Regular Expression Error"));
    EXPECT_TRUE(boxes.boxes()[0].text.contains(QStringLiteral("too large")))
        << boxes.boxes()[0].text.toStdString();
}

} // namespace
} // namespace ferrolux
