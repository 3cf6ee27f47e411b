#include "platform/ui/ScreenFonts.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"

#include <QApplication>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>
#include <functional>
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

    SearchSession session;
    FileListView files(session);
    session.appendRows({FileResult{}});
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

    // Emptied for the next search, it keeps no sideways scroll bar.
    list.clearLines();
    QApplication::processEvents();
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
    EXPECT_FALSE(list.horizontalScrollBar()->isVisible());
}

// The columns, in logical pixels, where a row's cell holds pixels that pass.
std::vector<int> columnsWith(const QImage& image, const QRect& cell,
                             const std::function<bool(QColor)>& passes) {
    const qreal ratio = image.devicePixelRatio();
    std::vector<int> columns;
    for (int x = int(cell.left() * ratio); x <= int(cell.right() * ratio); ++x)
        for (int y = int((cell.top() + 1) * ratio); y < int((cell.bottom() - 1) * ratio); ++y)
            if (passes(image.pixelColor(x, y))) {
                columns.push_back(int(x / ratio));
                break;
            }
    return columns;
}

TEST_F(MatchList, MatchesAreDrawnInTheHighlightColour) {
    show({{"1", "xx KEY yy", false, false, {{3, 6}}}, {"2", "xx KEY yy", false, false, {}}}, 45);
    list.setHighlightColor(QColor(255, 0, 0));
    QApplication::processEvents();
    const QImage image = list.viewport()->grab().toImage();
    const auto red = [](QColor c) { return c.red() > 150 && c.green() < 100 && c.blue() < 100; };
    const auto dark = [](QColor c) { return c.red() < 100 && c.green() < 100 && c.blue() < 100; };

    const QRect first = list.visualRect(cell(0, 1));
    const std::vector<int> text = columnsWith(image, first, dark);
    const std::vector<int> match = columnsWith(image, first, red);
    ASSERT_FALSE(text.empty());
    ASSERT_FALSE(match.empty()) << "the match is coloured";
    const QFontMetricsF metrics(list.font());
    const int left = text.front(); // where "xx" begins
    EXPECT_GE(match.front(), left + metrics.horizontalAdvance(QStringLiteral("xx ")) - 2);
    EXPECT_LE(match.back(), left + metrics.horizontalAdvance(QStringLiteral("xx KEY")) + 2);
    EXPECT_GT(text.back(), match.back()) << "what follows the match is in the text colour";
    EXPECT_TRUE(columnsWith(image, list.visualRect(cell(1, 1)), red).empty())
        << "a line without spans has no colour";
}

TEST_F(MatchList, BinarySnippetsHaveNoNumberColumn) {
    show({{"", "snippet", false}}, 0);
    EXPECT_EQ(list.columnWidth(0), 0);
    EXPECT_EQ(list.columnWidth(1), list.viewport()->width());
}

} // namespace
} // namespace ferrolux
