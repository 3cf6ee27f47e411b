#pragma once

#include "viewer/RowLayout.h"
#include "viewer/RowReader.h"
#include "viewer/RowText.h"
#include "viewer/ViewerHighlights.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QTextLayout>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace ferrolux {

// A read-only view of a text of any size. It holds no document: rows come
// from a RowReader as they are needed, and only the rows on screen (and a
// few around them) are decoded and laid out. It draws the matches in the
// highlight colour, and has a caret and a selection that the mouse and the
// keys move, as in a read-only text control.
class ViewerTextView : public QAbstractScrollArea {
    Q_OBJECT

public:
    // A visual line: a row, or one line of a wrapped row.
    struct LinePos {
        int64_t row = 0;
        int sub = 0;
        bool operator==(const LinePos&) const = default;
    };
    // The caret and the other end of the selection, as offsets in the text.
    struct TextCursor {
        int64_t position = 0;
        int64_t anchor = 0;

        bool hasSelection() const { return position != anchor; }
        int64_t selectionStart() const { return std::min(position, anchor); }
    };

    explicit ViewerTextView(QWidget* parent = nullptr);
    ~ViewerTextView() override;

    // Shows the rows of a text from the top, caret at its start, no matches.
    void setRows(std::shared_ptr<const RowReader> reader);
    // The index knows more rows than before.
    void rowsGrew();
    const RowReader* reader() const { return reader_.get(); }

    // The matches drawn in the highlight colour; a new text drops them.
    ViewerHighlights& highlights() { return highlights_; }

    // Word wrap: rows wider than the view go on over several lines.
    void setWordWrap(bool wrap);
    bool wordWrap() const { return wrap_; }

    TextCursor textCursor() const { return {caret_, anchor_}; }
    // Moves the caret (and, unless keepAnchor, the anchor); does not scroll.
    void setCaretPosition(int64_t offset, bool keepAnchor = false);
    QString selectedText() const;
    void copy();
    void selectAll();

    // Scrolling, in visual lines.
    LinePos topLine() const { return top_; }
    // Scrolls so that `top` is the first visible line, as far as the text allows.
    void setTopLine(LinePos top);
    int visibleLineCount() const;
    // The line on screen (0 = the first visible one) that shows an offset.
    std::optional<int> screenLineOf(int64_t offset) const;
    // Scrolls so that the line of an offset is the given line on screen.
    void scrollToShow(int64_t offset, int screenLine);
    void ensureCaretVisible();

    // What a user sees.
    int64_t rowCount() const;
    QString rowText(int64_t row) const;
    // Runs of characters of a row drawn in the highlight colour.
    std::vector<std::pair<qsizetype, qsizetype>> colouredRuns(int64_t row) const;
    // The 0-based line (line feeds counted) that holds an offset.
    int64_t lineOf(int64_t offset) const;
    // Where the mark after a row cut from a longer line is drawn in the
    // viewport, while that place is in sight.
    std::optional<QRectF> cutMarkRect(int64_t row) const;
    // Rows on screen are still being laid out (a paint lays out what it can
    // in a short time, and paints again for the rest).
    bool layoutPending() const { return layoutPending_; }

signals:
    // The user moved the caret or scrolled.
    void userMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // As a plain text control: a margin round the text.
    static constexpr int Margin = 4;

    struct Row {
        RowSpan span;
        RowText text;
        mutable std::unique_ptr<RowLayout> layout; // made when first needed
    };

    const Row* row(int64_t number) const;
    const Row* rowHolding(int64_t offset, int64_t* number) const;
    void cacheRows(int64_t first, int64_t count) const;
    std::unique_ptr<RowLayout> layOut(const QString& text) const;
    const RowLayout& layoutOf(const Row& row) const;
    void dropLayouts();
    void trimCache() const;
    int lineCountOf(int64_t row) const;
    bool hasSelection() const { return caret_ != anchor_; }

    LinePos linePosOf(int64_t offset) const;
    LinePos lastLine() const;
    LinePos maxTop() const;
    LinePos advance(LinePos pos, int64_t lines) const;
    int64_t distance(LinePos from, LinePos to, int64_t limit) const;
    void updateScrollBars();
    int64_t rowsPerStep() const;

    // Where the caret is drawn: its visual line and its x in that line.
    struct CaretPlace {
        LinePos line;
        qreal x = 0;
        bool valid = false;
    };
    CaretPlace caretPlace() const;
    // The offset under a point of the viewport; atLineEnd when the point is
    // past the end of a line that runs on into the next.
    struct Hit {
        int64_t offset = 0;
        bool atLineEnd = false;
    };
    Hit hitAt(const QPoint& point) const;
    void moveCaret(int64_t offset, bool keepAnchor, bool keepX = false, bool atLineEnd = false);
    void moveByCharacter(bool forward, bool words, bool keepAnchor);
    void moveByLines(int64_t lines, bool keepAnchor);
    void moveToLineEdge(bool end, bool keepAnchor);
    void moveToTextEdge(bool end, bool keepAnchor);
    void selectWordAt(int64_t offset);
    void scrollDuringDrag();
    void restartBlink();
    QList<QTextLayout::FormatRange> formatsFor(const Row& row) const;
    // A row that ends where a longer line was cut, not at a line break.
    bool isCut(int64_t number, const Row& row) const;
    std::optional<QRectF> cutMark(int64_t number, const Row& row, const QPointF& origin,
                                  const QRectF& clip) const;

    std::shared_ptr<const RowReader> reader_;
    mutable std::map<int64_t, Row> rows_;
    RowIndex::State known_;

    ViewerHighlights highlights_;

    bool wrap_ = false;
    LinePos top_;
    int64_t caret_ = 0;
    int64_t anchor_ = 0;
    // The caret sits at the end of the line before, where a line that is cut
    // or wrapped meets the next one at the same offset.
    bool caretAtLineEnd_ = false;
    qreal preferredX_ = -1;
    int lineHeight_ = 1;
    qreal widestRow_ = 0;
    mutable std::optional<LinePos> maxTop_; // worked out once per layout

    bool caretShown_ = true;
    QBasicTimer blinkTimer_;
    QBasicTimer dragTimer_;
    QBasicTimer layoutTimer_;
    bool layoutPending_ = false;
    bool selecting_ = false;
    QPoint dragPoint_;
};

} // namespace ferrolux
