#include "viewer/RowLayout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>

namespace ferrolux {
namespace {

// Characters laid out in one piece: side by side a piece is drawn whole
// when any of it is in sight, so those pieces are shorter.
constexpr int PieceCharacters = 512;
constexpr int WrappedPieceCharacters = 2048;
// With word wrap, text after a piece that its last line is laid out with,
// so that it breaks as it would in the whole row.
constexpr int WrapLookahead = 1024;
// Without word wrap a piece ends after a blank this close to its end, so
// that no word is shaped in two pieces.
constexpr int BlankReach = 128;
// Wide enough for any piece without word wrap.
constexpr qreal UnwrappedWidth = 1e7;

// Grapheme boundaries near a cut are found in a small window of the text.
bool isGraphemeBoundary(const QString& text, int position) {
    const int from = std::max(0, position - 8);
    const QString window = text.mid(from, 16);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, window);
    finder.setPosition(position - from);
    return finder.isAtBoundary();
}

// Tab stops every `stop` from a point `offset` before the piece's start,
// far enough for a piece `width` wide. Each stands a twentieth of a pixel
// early: a tab that reaches a stop goes on to the next, as in one piece,
// though the piece's start was summed from the widths of the pieces before.
QList<QTextOption::Tab> shiftedTabs(qreal offset, qreal stop, qreal width) {
    constexpr qreal Early = 0.05;
    QList<QTextOption::Tab> tabs;
    const qreal first = stop - std::fmod(offset, stop);
    for (qreal at = first; at <= width + stop; at += stop)
        tabs.append(QTextOption::Tab(at - Early, QTextOption::LeftTab));
    return tabs;
}

} // namespace

RowLayout::RowLayout(QString text, const QFont& font, qreal tabStop, qreal wrapWidth,
                     int lineHeight)
    : text_(std::move(text)), font_(font), tabStop_(tabStop), wrapWidth_(wrapWidth),
      lineHeight_(lineHeight) {
    if (wrapWidth_ > 0) layOutWrapped();
}

RowLayout::~RowLayout() = default;

std::unique_ptr<QTextLayout> RowLayout::layOutPiece(int start, int length, qreal x) const {
    const QString piece = text_.mid(start, length);
    auto layout = std::make_unique<QTextLayout>(piece, font_);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(tabStop_);
    layout->setCacheEnabled(true);
    const auto layOut = [&] {
        layout->setTextOption(option);
        layout->beginLayout();
        QTextLine line = layout->createLine();
        line.setLineWidth(UnwrappedWidth);
        line.setPosition(QPointF(0, 0));
        layout->endLayout();
    };
    layOut();
    // Tab stops count from the row's start, not from the piece's (a piece
    // that starts within a hundredth of a stop starts at it).
    const qreal phase = std::fmod(x, tabStop_);
    const bool aligned = phase < 0.01 || phase > tabStop_ - 0.01;
    if (!aligned && piece.contains(QLatin1Char('\t'))) {
        option.setTabs(shiftedTabs(x, tabStop_, layout->lineAt(0).cursorToX(length)));
        layOut();
    }
    return layout;
}

int RowLayout::nextCut(int start) const {
    const int size = int(text_.size());
    int end = std::min(start + PieceCharacters, size);
    if (end == size) return end;
    for (int at = end; at > end - BlankReach; --at) {
        const QChar c = text_[at - 1];
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) return at;
    }
    while (end > start + 1 && !isGraphemeBoundary(text_, end))
        --end;
    return end;
}

void RowLayout::layOutUntil(int character, qreal x) const {
    if (wrapWidth_ > 0) return;
    const int size = int(text_.size());
    while (!complete_) {
        if (!pieces_.empty()) {
            const Piece& last = pieces_.back();
            const bool farEnough = (character >= 0 && last.start + last.length > character) ||
                                   (x >= 0 && last.x + last.advance > x);
            if (farEnough) return;
        }
        const int start = pieces_.empty() ? 0 : pieceEnd(pieces_.size() - 1);
        const qreal at = pieces_.empty() ? 0 : pieces_.back().x + pieces_.back().advance;
        const int end = nextCut(start);
        Piece piece;
        piece.start = start;
        piece.length = end - start;
        piece.x = at;
        piece.layout = layOutPiece(start, end - start, at);
        // Up to the piece's end, with the blanks there (a line's width leaves them out).
        piece.advance = piece.layout->lineAt(0).cursorToX(end - start);
        width_ = at + piece.advance;
        pieces_.push_back(std::move(piece));
        complete_ = end >= size;
    }
}

void RowLayout::layOutWrapped() {
    const int size = int(text_.size());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(tabStop_);
    int start = 0;
    int lines = 0;
    for (;;) {
        const bool last = size - start <= WrappedPieceCharacters + WrapLookahead;
        const int length = last ? size - start : WrappedPieceCharacters + WrapLookahead;
        auto layout = std::make_unique<QTextLayout>(text_.mid(start, length), font_);
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        int count = 0;
        int lineEnd = 0;
        // A piece that is not the last ends with the first line that
        // reaches past WrappedPieceCharacters; the text after it is only context.
        while (last || lineEnd < WrappedPieceCharacters) {
            QTextLine line = layout->createLine();
            if (!line.isValid()) break;
            line.setLineWidth(wrapWidth_);
            line.setPosition(QPointF(0, count * lineHeight_));
            ++count;
            lineEnd = line.textStart() + line.textLength();
        }
        layout->endLayout();
        Piece piece;
        piece.start = start;
        piece.length = last ? length : std::max(lineEnd, 1);
        piece.firstLine = lines;
        width_ = std::max(width_, layout->maximumWidth());
        piece.layout = std::move(layout);
        pieces_.push_back(std::move(piece));
        lines += std::max(count, 1);
        start += pieces_.back().length;
        if (last || start >= size) break;
    }
    lines_ = lines;
    complete_ = true;
}

int RowLayout::pieceEnd(size_t index) const {
    return pieces_[index].start + pieces_[index].length;
}

const RowLayout::Piece& RowLayout::pieceOf(int character) const {
    if (wrapWidth_ <= 0) layOutUntil(character, -1);
    const auto after = std::upper_bound(pieces_.begin(), pieces_.end(), character,
                                        [](int c, const Piece& p) { return c < p.start; });
    return after == pieces_.begin() ? pieces_.front() : *std::prev(after);
}

// With word wrap only.
const RowLayout::Piece& RowLayout::pieceOfLine(int line) const {
    const auto after = std::upper_bound(pieces_.begin(), pieces_.end(), line,
                                        [](int l, const Piece& p) { return l < p.firstLine; });
    return after == pieces_.begin() ? pieces_.front() : *std::prev(after);
}

const RowLayout::Piece& RowLayout::pieceAtX(qreal x) const {
    layOutUntil(-1, x);
    const auto after = std::upper_bound(pieces_.begin(), pieces_.end(), x,
                                        [](qreal v, const Piece& p) { return v < p.x; });
    return after == pieces_.begin() ? pieces_.front() : *std::prev(after);
}

int RowLayout::lineCount() const {
    return lines_;
}

int RowLayout::lineOf(int character) const {
    if (wrapWidth_ <= 0) return 0;
    const Piece& piece = pieceOf(character);
    const QTextLine line = piece.layout->lineForTextPosition(character - piece.start);
    return piece.firstLine + (line.isValid() ? line.lineNumber() : piece.layout->lineCount() - 1);
}

int RowLayout::lineStart(int line) const {
    if (wrapWidth_ <= 0) return 0;
    const Piece& piece = pieceOfLine(line);
    return piece.start + piece.layout->lineAt(line - piece.firstLine).textStart();
}

int RowLayout::lineEnd(int line) const {
    if (wrapWidth_ <= 0) return int(text_.size());
    const Piece& piece = pieceOfLine(line);
    const QTextLine l = piece.layout->lineAt(line - piece.firstLine);
    return piece.start + l.textStart() + l.textLength();
}

qreal RowLayout::cursorToX(int line, int character) const {
    const Piece& piece = wrapWidth_ > 0 ? pieceOfLine(line) : pieceOf(character);
    const QTextLine l = piece.layout->lineAt(wrapWidth_ > 0 ? line - piece.firstLine : 0);
    return piece.x + l.cursorToX(character - piece.start);
}

int RowLayout::xToCursor(int line, qreal x) const {
    const Piece& piece = wrapWidth_ > 0 ? pieceOfLine(line) : pieceAtX(x);
    const QTextLine l = piece.layout->lineAt(wrapWidth_ > 0 ? line - piece.firstLine : 0);
    return piece.start + l.xToCursor(x - piece.x);
}

int RowLayout::nextCursorPosition(int character, QTextLayout::CursorMode mode) const {
    if (character >= text_.size()) return int(text_.size());
    const Piece& piece = pieceOf(character);
    return piece.start + piece.layout->nextCursorPosition(character - piece.start, mode);
}

int RowLayout::previousCursorPosition(int character, QTextLayout::CursorMode mode) const {
    if (character <= 0) return 0;
    const Piece& piece = pieceOf(character - 1);
    return piece.start + piece.layout->previousCursorPosition(character - piece.start, mode);
}

qreal RowLayout::width() const {
    if (complete_) return width_;
    const int laid = pieces_.empty() ? 0 : pieceEnd(pieces_.size() - 1);
    return width_ + qreal(text_.size() - laid) * QFontMetricsF(font_).averageCharWidth();
}

void RowLayout::draw(QPainter* painter, const QPointF& origin,
                     const QList<QTextLayout::FormatRange>& formats, const QRectF& clip) const {
    const bool wrapped = wrapWidth_ > 0;
    if (!wrapped) layOutUntil(-1, clip.right() - origin.x());
    for (const Piece& piece : pieces_) {
        const QPointF at = origin + QPointF(piece.x, piece.firstLine * lineHeight_);
        const qreal extent = wrapped ? piece.layout->lineCount() * lineHeight_ : 0;
        if (wrapped ? (at.y() > clip.bottom() || at.y() + extent < clip.top())
                    : (at.x() > clip.right() || at.x() + piece.advance < clip.left()))
            continue;
        QList<QTextLayout::FormatRange> own;
        for (const QTextLayout::FormatRange& range : formats) {
            const int from = std::max(range.start, piece.start);
            const int to = std::min(range.start + range.length, piece.start + piece.length);
            if (to > from) own.append({from - piece.start, to - from, range.format});
        }
        piece.layout->draw(painter, at, own, clip);
    }
}

} // namespace ferrolux
