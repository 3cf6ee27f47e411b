#include "viewer/RowLayout.h"

#include <QFont>
#include <QTextLayout>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace ferrolux {
namespace {

constexpr qreal TabStop = 80;
constexpr int LineHeight = 16;

// The same text laid out in one piece, as a check.
std::unique_ptr<QTextLayout> wholeLayout(const QString& text, const QFont& font, qreal width) {
    auto layout = std::make_unique<QTextLayout>(text, font);
    QTextOption option;
    option.setWrapMode(width > 0 ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    option.setTabStopDistance(TabStop);
    layout->setTextOption(option);
    layout->beginLayout();
    for (int i = 0;; ++i) {
        QTextLine line = layout->createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width > 0 ? width : 1e7);
        line.setPosition(QPointF(0, i * LineHeight));
    }
    layout->endLayout();
    return layout;
}

// Words, and (with tabs) tabs that stand where a piece may start anywhere.
QString longText(int characters, bool tabs = false) {
    QString text;
    for (int i = 0; text.size() < characters; ++i)
        text +=
            tabs && i % 11 == 5 ? QStringLiteral("\tcol") : QStringLiteral("word%1 ").arg(i % 97);
    return text.left(characters);
}

TEST(RowLayout, InPiecesWithoutWrapItPlacesEveryCharacterAsOnePieceDoes) {
    const QFont font;
    const QString text = longText(20000);
    const RowLayout pieces(text, font, TabStop, 0, LineHeight);
    const auto whole = wholeLayout(text, font, 0);
    const QTextLine line = whole->lineAt(0);
    EXPECT_EQ(pieces.lineCount(), 1);
    for (int c = 0; c <= text.size(); c += 997) {
        const qreal x = line.cursorToX(c);
        EXPECT_NEAR(pieces.cursorToX(0, c), x, 0.5) << c;
        EXPECT_EQ(pieces.xToCursor(0, x + 0.25), line.xToCursor(x + 0.25)) << c;
    }
    EXPECT_NEAR(pieces.cursorToX(0, int(text.size())), line.naturalTextWidth(), 0.5);
    EXPECT_NEAR(pieces.width(), line.naturalTextWidth(), 0.5);
}

// Tab stops count from the start of the row, not of a piece.
TEST(RowLayout, InPiecesTabsStopEveryTabStopFromTheRowsStart) {
    const QString text = longText(20000, true);
    const RowLayout pieces(text, QFont(), TabStop, 0, LineHeight);
    int tabs = 0;
    for (int c = 0; c < text.size(); ++c) {
        if (text[c] != QLatin1Char('\t')) continue;
        ++tabs;
        const qreal x = pieces.cursorToX(0, c + 1);
        EXPECT_NEAR(x, std::round(x / TabStop) * TabStop, 0.1) << c;
        EXPECT_GT(x, pieces.cursorToX(0, c)) << c;
    }
    EXPECT_GT(tabs, 200);
}

TEST(RowLayout, WrappedInPiecesItsLinesBreakWhereOnePiecesDo) {
    const QFont font;
    const QString text = longText(20000, true);
    for (const qreal width : {180.0, 500.0}) {
        const RowLayout pieces(text, font, TabStop, width, LineHeight);
        const auto whole = wholeLayout(text, font, width);
        ASSERT_EQ(pieces.lineCount(), whole->lineCount()) << width;
        for (int i = 0; i < whole->lineCount(); ++i) {
            const QTextLine line = whole->lineAt(i);
            ASSERT_EQ(pieces.lineStart(i), line.textStart()) << width << " line " << i;
            ASSERT_EQ(pieces.lineEnd(i), line.textStart() + line.textLength()) << i;
        }
        for (int c = 0; c < text.size(); c += 1009) {
            const int l = whole->lineForTextPosition(c).lineNumber();
            EXPECT_EQ(pieces.lineOf(c), l) << c;
            EXPECT_NEAR(pieces.cursorToX(l, c), whole->lineAt(l).cursorToX(c), 0.5) << c;
        }
    }
}

TEST(RowLayout, MovesOverPieceBoundariesCharacterByCharacter) {
    const RowLayout pieces(longText(9000), QFont(), TabStop, 0, LineHeight);
    int forward = 0;
    for (int c = 0; c < 9000; c = pieces.nextCursorPosition(c, QTextLayout::SkipCharacters))
        ++forward;
    int backward = 0;
    for (int c = 9000; c > 0; c = pieces.previousCursorPosition(c, QTextLayout::SkipCharacters))
        ++backward;
    EXPECT_EQ(forward, 9000);
    EXPECT_EQ(backward, 9000);
}

} // namespace
} // namespace ferrolux
