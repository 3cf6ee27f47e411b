#include "platform/ui/ScreenFonts.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"

#include <QApplication>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

std::vector<MatchLine> numberedLines(int count) {
    std::vector<MatchLine> lines;
    for (int i = 1; i <= count; ++i)
        lines.push_back({std::to_string(i), "hello " + std::to_string(i), false});
    return lines;
}

// The match list of the compact layout, in the stand-in for "Fixedsys".
class MatchList : public ::testing::Test {
protected:
    MatchListView list;
    void SetUp() override {
        list.setGeometry(0, 0, 790, 140);
        list.setListFont(screenFont(QStringLiteral("Fixedsys"), 11, QFont::Monospace));
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    void show(std::vector<MatchLine> lines, int minimumNumberWidth) {
        list.setLines(std::move(lines));
        list.fitColumns(minimumNumberWidth);
        QApplication::processEvents();
    }
    QModelIndex cell(int row, int column) const { return list.model()->index(row, column); }
};

TEST_F(MatchList, RowsAreAsTallAsTheFontNeeds) {
    show(numberedLines(3), 45);
    const int lineHeight = QFontMetrics(list.font()).height();
    EXPECT_GE(list.rowHeight(0), lineHeight);
    EXPECT_LE(list.rowHeight(0), lineHeight + 3) << "font lines of " << lineHeight;

    FileListView files;
    files.setRows({FileResult{}});
    const int fileLineHeight = QFontMetrics(files.font()).height();
    EXPECT_GE(files.rowHeight(0), fileLineHeight);
    EXPECT_LE(files.rowHeight(0), fileLineHeight + 3);
}

TEST_F(MatchList, ShortLinesNeedNoSidewaysScrollingBesideTheVerticalScrollBar) {
    show(numberedLines(200), 45);
    EXPECT_TRUE(list.verticalScrollBar()->isVisible());
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(list.columnWidth(0) + list.columnWidth(1), list.viewport()->width());
    EXPECT_GE(list.columnWidth(0), list.cellWidthFor(QStringLiteral("200")));
}

TEST_F(MatchList, AClickOnALineKeepsTheLineNumbersInSight) {
    std::vector<MatchLine> lines = numberedLines(200);
    lines[99].Text = std::string(300, 'x'); // line 100 is wider than the list
    show(std::move(lines), 45);
    EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);
    EXPECT_GE(list.columnWidth(1), list.cellWidthFor(QString(300, QLatin1Char('x'))));

    list.scrollTo(cell(99, 1));
    const QRect line100 = list.visualRect(cell(99, 1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, line100.center());
    EXPECT_EQ(list.selectedRow(), 99);
    EXPECT_EQ(list.horizontalScrollBar()->value(), 0);
    EXPECT_GE(list.visualRect(cell(99, 0)).left(), 0) << "the number 100 is whole";
    QTest::keyClick(list.viewport(), Qt::Key_Down);
    EXPECT_EQ(list.horizontalScrollBar()->value(), 0);
    // Sideways only when asked for.
    QTest::keyClick(list.viewport(), Qt::Key_Right);
    EXPECT_GT(list.horizontalScrollBar()->value(), 0);
}

TEST_F(MatchList, BinarySnippetsHaveNoNumberColumn) {
    show({{"", "snippet", false}}, 0);
    EXPECT_EQ(list.columnWidth(0), 0);
    EXPECT_EQ(list.columnWidth(1), list.viewport()->width());
}

} // namespace
} // namespace ferrolux
