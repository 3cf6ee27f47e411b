#pragma once

#include <QFont>
#include <QString>
#include <QTextLayout>
#include <memory>
#include <vector>

class QPainter;

namespace ferrolux {

// One row of the viewer laid out for drawing, in pieces of a few thousand
// characters: laying out a row in one piece costs more than its length (a
// wrapped row of 100,000 digits took over a second) and drawing it costs
// its whole length on every paint. Without word wrap the pieces stand side
// by side and are laid out as far as they are needed; with it they stack,
// each starting where a line of the whole row would start, so that the
// lines break exactly where they would in one piece.
class RowLayout {
public:
    // wrapWidth: the width lines wrap at; 0 for no wrap. Tab stops every
    // tabStop from the row's start.
    RowLayout(QString text, const QFont& font, qreal tabStop, qreal wrapWidth, int lineHeight);
    ~RowLayout();
    RowLayout(const RowLayout&) = delete;
    RowLayout& operator=(const RowLayout&) = delete;

    // Visual lines: one without word wrap.
    int lineCount() const;
    // The visual line that holds a character (the last one for the end).
    int lineOf(int character) const;
    // The characters of a visual line: [lineStart, lineEnd).
    int lineStart(int line) const;
    int lineEnd(int line) const;
    // The x of the place before a character on its line, and the character
    // whose place is nearest to an x on a line.
    qreal cursorToX(int line, int character) const;
    int xToCursor(int line, qreal x) const;
    int nextCursorPosition(int character, QTextLayout::CursorMode mode) const;
    int previousCursorPosition(int character, QTextLayout::CursorMode mode) const;
    // The widest line; of a row not laid out to its end, an estimate.
    qreal width() const;
    // Without word wrap: lays the row out as far as x; whether it is laid
    // out to its end (always, with word wrap).
    void layOutTo(qreal x) const { layOutUntil(-1, x); }
    bool laidOutToEnd() const { return complete_; }
    bool laidOutTo(qreal x) const {
        return complete_ || (!pieces_.empty() && pieces_.back().x + pieces_.back().advance > x);
    }

    // Draws what falls in clip (relative to the painter, like origin).
    void draw(QPainter* painter, const QPointF& origin,
              const QList<QTextLayout::FormatRange>& formats, const QRectF& clip) const;

private:
    struct Piece {
        int start = 0;     // the piece's first character in the row
        int length = 0;    // characters that are the piece's
        qreal x = 0;       // without word wrap: where the piece starts
        qreal advance = 0; // ...and how far it reaches
        int firstLine = 0;
        std::unique_ptr<QTextLayout> layout;
    };

    // Without word wrap: lays pieces out until one reaches past character
    // or past x (a negative bound does not bind).
    void layOutUntil(int character, qreal x) const;
    void layOutWrapped();
    std::unique_ptr<QTextLayout> layOutPiece(int start, int length, qreal x) const;
    // The piece that holds a character (the end: the last piece), and the
    // one that holds a visual line or an x.
    const Piece& pieceOf(int character) const;
    const Piece& pieceOfLine(int line) const;
    const Piece& pieceAtX(qreal x) const;
    int pieceEnd(size_t index) const;
    // Where the next piece of a row without word wrap ends.
    int nextCut(int start) const;

    QString text_;
    QFont font_;
    qreal tabStop_;
    qreal wrapWidth_;
    int lineHeight_;
    mutable std::vector<Piece> pieces_;
    mutable bool complete_ = false;
    int lines_ = 1;
    mutable qreal width_ = 0;
};

} // namespace ferrolux
