#include "viewer/ViewerTextView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace ferrolux {
namespace {

// As a plain text control: tab stops every 80 pixels.
constexpr qreal TabStop = 80;
// Rows kept laid out besides those on screen, and the characters they may
// hold at most (a long row's layout takes some tens of bytes a character).
constexpr int64_t CachedAround = 300;
constexpr qsizetype CachedCharacters = qsizetype(1) << 20;
// What one paint spends laying rows out before it leaves the rest to the next.
constexpr qint64 PaintBudgetMs = 30;
// Drawn after a row that is cut from a longer line.
const QString CutMark = QStringLiteral("\u00BB");

bool before(const ViewerTextView::LinePos& a, const ViewerTextView::LinePos& b) {
    return a.row < b.row || (a.row == b.row && a.sub < b.sub);
}

} // namespace

ViewerTextView::ViewerTextView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    lineHeight_ = std::max(1, qCeil(QFontMetricsF(font()).lineSpacing()));
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()})
        connect(bar, &QAbstractSlider::actionTriggered, this, [this] { emit userMoved(); });
    connect(&highlights_, &ViewerHighlights::changed, viewport(), qOverload<>(&QWidget::update));
}

ViewerTextView::~ViewerTextView() = default;

void ViewerTextView::setRows(std::shared_ptr<const RowReader> reader) {
    reader_ = std::move(reader);
    rows_.clear();
    maxTop_.reset();
    known_ = reader_ ? reader_->state() : RowIndex::State{};
    highlights_.clear();
    top_ = {};
    caret_ = anchor_ = 0;
    caretAtLineEnd_ = false;
    preferredX_ = -1;
    widestRow_ = 0;
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

void ViewerTextView::rowsGrew() {
    if (!reader_) return;
    const int64_t knownBefore = known_.rows;
    known_ = reader_->state();
    maxTop_.reset();
    updateScrollBars();
    if (knownBefore <= top_.row + visibleLineCount()) viewport()->update();
}

void ViewerTextView::setWordWrap(bool wrap) {
    wrap_ = wrap;
    setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    dropLayouts();
    setTopLine({top_.row, 0});
}

// --- rows -------------------------------------------------------------------

std::unique_ptr<RowLayout> ViewerTextView::layOut(const QString& text) const {
    const qreal width = wrap_ ? std::max(1, viewport()->width() - 2 * Margin) : 0;
    return std::make_unique<RowLayout>(text, font(), TabStop, width, lineHeight_);
}

void ViewerTextView::cacheRows(int64_t first, int64_t count) const {
    if (!reader_ || count <= 0) return;
    // One scan for the rows that are not there yet.
    int64_t missing = first;
    while (missing < first + count && rows_.count(missing))
        ++missing;
    if (missing >= first + count) return;
    int64_t number = missing;
    for (const RowSpan& span : reader_->rows(missing, first + count - missing)) {
        if (!rows_.count(number)) {
            rows_.emplace(number,
                          Row{span, decodeRow(reader_->bytes(span.start, span.end)), nullptr});
        }
        ++number;
    }
}

// Rows are laid out when they are drawn or the caret moves in them.
const RowLayout& ViewerTextView::layoutOf(const Row& row) const {
    if (!row.layout) row.layout = layOut(row.text.text);
    return *row.layout;
}

const ViewerTextView::Row* ViewerTextView::row(int64_t number) const {
    if (!reader_ || number < 0 || number >= known_.rows) return nullptr;
    cacheRows(number, 1);
    const auto found = rows_.find(number);
    return found == rows_.end() ? nullptr : &found->second;
}

const ViewerTextView::Row* ViewerTextView::rowHolding(int64_t offset, int64_t* number) const {
    if (!reader_ || known_.rows == 0) return nullptr;
    const NumberedRow holder = reader_->rowAt(offset);
    *number = holder.number;
    return row(holder.number);
}

void ViewerTextView::dropLayouts() {
    rows_.clear();
    maxTop_.reset();
    widestRow_ = 0;
    updateScrollBars();
    viewport()->update();
}

void ViewerTextView::trimCache() const {
    const int64_t firstShown = top_.row;
    const int64_t lastShown = top_.row + visibleLineCount();
    rows_.erase(rows_.begin(), rows_.lower_bound(firstShown - CachedAround));
    rows_.erase(rows_.upper_bound(lastShown + CachedAround), rows_.end());
    qsizetype characters = 0;
    for (const auto& [number, r] : rows_)
        characters += r.text.text.size();
    // Long rows: the rows farthest from the screen go first.
    while (characters > CachedCharacters && !rows_.empty()) {
        const auto first = rows_.begin();
        const auto last = std::prev(rows_.end());
        const bool dropFirst = firstShown - first->first >= last->first - lastShown;
        const auto victim = dropFirst ? first : last;
        if (victim->first >= firstShown && victim->first <= lastShown) break;
        characters -= victim->second.text.text.size();
        rows_.erase(victim);
    }
}

int ViewerTextView::lineCountOf(int64_t number) const {
    if (!wrap_) return 1;
    const Row* r = row(number);
    return r ? std::max(1, layoutOf(*r).lineCount()) : 1;
}

// --- scrolling --------------------------------------------------------------

int ViewerTextView::visibleLineCount() const {
    return std::max(1, (viewport()->height() - Margin) / lineHeight_);
}

ViewerTextView::LinePos ViewerTextView::lastLine() const {
    if (known_.rows == 0) return {};
    const int64_t last = known_.rows - 1;
    return {last, lineCountOf(last) - 1};
}

ViewerTextView::LinePos ViewerTextView::advance(LinePos pos, int64_t lines) const {
    if (known_.rows == 0) return {};
    if (!wrap_) return {std::clamp<int64_t>(pos.row + lines, 0, known_.rows - 1), 0};
    while (lines > 0) {
        const int count = lineCountOf(pos.row);
        if (pos.sub + lines < count) return {pos.row, pos.sub + int(lines)};
        if (pos.row + 1 >= known_.rows) return {pos.row, count - 1};
        lines -= count - pos.sub;
        pos = {pos.row + 1, 0};
    }
    while (lines < 0) {
        if (pos.sub + lines >= 0) return {pos.row, pos.sub + int(lines)};
        if (pos.row == 0) return {0, 0};
        lines += pos.sub + 1;
        pos = {pos.row - 1, lineCountOf(pos.row - 1) - 1};
    }
    return pos;
}

int64_t ViewerTextView::distance(LinePos from, LinePos to, int64_t limit) const {
    if (!wrap_) return to.row - from.row;
    if (before(to, from)) return -distance(to, from, limit);
    int64_t lines = 0;
    while (from.row < to.row && lines <= limit) {
        lines += lineCountOf(from.row) - from.sub;
        from = {from.row + 1, 0};
    }
    return lines + to.sub - from.sub;
}

ViewerTextView::LinePos ViewerTextView::maxTop() const {
    if (!wrap_) return {std::max<int64_t>(0, known_.rows - visibleLineCount()), 0};
    // Wrapped rows must be laid out to count their lines: until the index is
    // complete the last row may come to the top.
    if (!known_.complete) return {std::max<int64_t>(0, known_.rows - 1), 0};
    if (!maxTop_) {
        cacheRows(std::max<int64_t>(0, known_.rows - visibleLineCount()), visibleLineCount());
        maxTop_ = advance(lastLine(), -(visibleLineCount() - 1));
    }
    return *maxTop_;
}

int64_t ViewerTextView::rowsPerStep() const {
    // A scroll bar counts in int: very long texts scroll a few rows per step.
    return 1 + maxTop().row / (int64_t(1) << 30);
}

void ViewerTextView::setTopLine(LinePos top) {
    const LinePos most = maxTop();
    if (before(most, top)) top = most;
    if (top.row < 0) top = {};
    top_ = top;
    updateScrollBars();
    viewport()->update();
}

void ViewerTextView::scrollContentsBy(int, int) {
    // Scroll bar moves; a bar that shows where the view is already keeps its line.
    const int64_t row = int64_t(verticalScrollBar()->value()) * rowsPerStep();
    if (row / rowsPerStep() != top_.row / rowsPerStep()) top_ = {row, 0};
    viewport()->update();
}

void ViewerTextView::updateScrollBars() {
    const int64_t step = rowsPerStep();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, int(maxTop().row / step));
    vertical->setPageStep(visibleLineCount());
    vertical->setSingleStep(1);
    vertical->setValue(int(top_.row / step));
    QScrollBar* horizontal = horizontalScrollBar();
    if (wrap_) {
        horizontal->setRange(0, 0);
        return;
    }
    // Rows not laid out yet are guessed from their length.
    const qreal guessed = qreal(known_.longestRow) * QFontMetricsF(font()).averageCharWidth();
    const int content = qCeil(std::max(widestRow_, guessed)) + 2 * Margin;
    horizontal->setRange(0, std::max(0, content - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(std::max(1, QFontMetrics(font()).averageCharWidth() * 2));
}

ViewerTextView::LinePos ViewerTextView::linePosOf(int64_t offset) const {
    int64_t number = 0;
    const Row* r = rowHolding(offset, &number);
    if (!r) return {};
    if (!wrap_) return {number, 0};
    const qsizetype character = r->text.characterAt(int32_t(offset - r->span.start));
    return {number, layoutOf(*r).lineOf(int(character))};
}

std::optional<int> ViewerTextView::screenLineOf(int64_t offset) const {
    const LinePos pos = linePosOf(offset);
    if (before(pos, top_)) return std::nullopt;
    const int64_t lines = distance(top_, pos, visibleLineCount());
    if (lines >= visibleLineCount()) return std::nullopt;
    return int(lines);
}

void ViewerTextView::scrollToShow(int64_t offset, int screenLine) {
    setTopLine(advance(linePosOf(offset), -screenLine));
}

void ViewerTextView::ensureCaretVisible() {
    const CaretPlace place = caretPlace();
    const int visible = visibleLineCount();
    if (before(place.line, top_))
        setTopLine(place.line);
    else if (distance(top_, place.line, visible) >= visible)
        setTopLine(advance(place.line, -(visible - 1)));
    if (wrap_) return;
    QScrollBar* horizontal = horizontalScrollBar();
    const int x = qRound(place.x);
    const int width = viewport()->width() - 2 * Margin;
    if (x > widestRow_) widestRow_ = x;
    updateScrollBars();
    if (x < horizontal->value())
        horizontal->setValue(std::max(0, x - width / 4));
    else if (x >= horizontal->value() + width)
        horizontal->setValue(x - width * 3 / 4);
}

// --- what is shown ----------------------------------------------------------

int64_t ViewerTextView::rowCount() const {
    return known_.rows;
}

QString ViewerTextView::rowText(int64_t number) const {
    const Row* r = row(number);
    return r ? r->text.text : QString();
}

int64_t ViewerTextView::lineOf(int64_t offset) const {
    return reader_ && known_.rows > 0 ? reader_->rowAt(offset).span.line : 0;
}

std::vector<std::pair<qsizetype, qsizetype>> ViewerTextView::colouredRuns(int64_t number) const {
    const Row* r = row(number);
    return r ? highlights_.runsIn(r->span, r->text)
             : std::vector<std::pair<qsizetype, qsizetype>>{};
}

bool ViewerTextView::isCut(int64_t number, const Row& r) const {
    return !r.span.endsLine() && !(known_.complete && number == known_.rows - 1);
}

std::optional<QRectF> ViewerTextView::cutMark(int64_t number, const Row& r, const QPointF& origin,
                                              const QRectF& clip) const {
    if (!isCut(number, r)) return std::nullopt;
    const RowLayout& layout = layoutOf(r);
    // A row not laid out to its end after all that is in sight ends out of sight.
    layout.layOutTo(clip.right() - origin.x());
    if (!layout.laidOutToEnd()) return std::nullopt;
    const int last = layout.lineCount() - 1;
    const qreal x = origin.x() + layout.cursorToX(last, int(r.text.text.size())) + 1;
    const QRectF mark(x, origin.y() + last * lineHeight_,
                      QFontMetricsF(font()).horizontalAdvance(CutMark), lineHeight_);
    return mark.intersects(clip) ? std::optional(mark) : std::nullopt;
}

std::optional<QRectF> ViewerTextView::cutMarkRect(int64_t number) const {
    const Row* r = row(number);
    if (!r || number < top_.row) return std::nullopt;
    const int64_t lines = distance(top_, {number, 0}, visibleLineCount());
    if (lines >= visibleLineCount()) return std::nullopt;
    const qreal left = Margin - (wrap_ ? 0 : horizontalScrollBar()->value());
    return cutMark(number, *r, QPointF(left, Margin + lines * lineHeight_),
                   QRectF(viewport()->rect()));
}

QList<QTextLayout::FormatRange> ViewerTextView::formatsFor(const Row& r) const {
    QList<QTextLayout::FormatRange> formats;
    QTextCharFormat matched;
    matched.setForeground(highlights_.color());
    for (const auto& [start, length] : highlights_.runsIn(r.span, r.text))
        formats.append({int(start), int(length), matched});
    const int64_t selStart = std::min(caret_, anchor_);
    const int64_t selEnd = std::max(caret_, anchor_);
    if (selStart < r.span.next && selEnd > r.span.start) {
        const qsizetype from =
            r.text.characterAt(int32_t(std::max(selStart, r.span.start) - r.span.start));
        const qsizetype to =
            r.text.characterAt(int32_t(std::min(selEnd, r.span.end) - r.span.start));
        QTextCharFormat selected;
        selected.setBackground(palette().brush(QPalette::Highlight));
        selected.setForeground(palette().brush(QPalette::HighlightedText));
        if (to > from) formats.append({int(from), int(to - from), selected});
    }
    return formats;
}

void ViewerTextView::paintEvent(QPaintEvent* event) {
    if (!reader_) return;
    trimCache();
    const int visible = visibleLineCount() + 1;
    cacheRows(top_.row, visible);
    QPainter painter(viewport());
    // The top margin stays clear of the line above a wrapped row's first visible line.
    painter.setClipRect(event->rect() & viewport()->rect().adjusted(0, Margin, 0, 0));
    painter.setPen(palette().color(QPalette::Text));
    const qreal left = Margin - (wrap_ ? 0 : horizontalScrollBar()->value());
    const CaretPlace caret = hasFocus() && caretShown_ ? caretPlace() : CaretPlace{};
    QElapsedTimer spent;
    spent.start();
    layoutPending_ = false;
    int y = Margin;
    for (int64_t number = top_.row; y < viewport()->height(); ++number) {
        const Row* r = row(number);
        if (!r) break;
        const int sub = number == top_.row ? top_.sub : 0;
        const QPointF origin(left, y - sub * lineHeight_);
        // Long rows far to the right take a while to lay out: past the
        // budget they wait for the next paint, so the window keeps answering.
        if (!layoutOf(*r).laidOutTo(event->rect().right() - left) &&
            spent.elapsed() > PaintBudgetMs) {
            layoutPending_ = true;
            y += (lineCountOf(number) - sub) * lineHeight_;
            continue;
        }
        layoutOf(*r).draw(&painter, origin, formatsFor(*r), event->rect());
        if (!wrap_) widestRow_ = std::max(widestRow_, layoutOf(*r).width());
        if (const std::optional<QRectF> mark = cutMark(number, *r, origin, event->rect())) {
            painter.save();
            painter.setPen(palette().color(QPalette::PlaceholderText));
            painter.drawText(*mark, Qt::AlignLeft | Qt::AlignVCenter, CutMark);
            painter.restore();
        }
        if (caret.valid && caret.line.row == number) {
            const QRectF bar(left + caret.x, origin.y() + caret.line.sub * lineHeight_, 1,
                             lineHeight_);
            painter.fillRect(bar, palette().color(QPalette::Text));
        }
        y += (lineCountOf(number) - sub) * lineHeight_;
    }
    if (layoutPending_ && !layoutTimer_.isActive()) layoutTimer_.start(0, this);
}

// --- events -----------------------------------------------------------------

void ViewerTextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (!wrap_ || !reader_) {
        maxTop_.reset();
        setTopLine(top_);
        return;
    }
    // Wrapped anew, a row's lines hold other text: the text at the top stays
    // at the top, and a caret in sight stays in sight.
    const bool caretShown = screenLineOf(caret_).has_value();
    const Row* r = row(top_.row);
    const int64_t topOffset =
        r ? r->span.start + r->text.byteAt(layoutOf(*r).lineStart(top_.sub)) : 0;
    rows_.clear();
    maxTop_.reset();
    setTopLine(linePosOf(topOffset));
    if (caretShown) ensureCaretVisible();
}

void ViewerTextView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        lineHeight_ = std::max(1, qCeil(QFontMetricsF(font()).lineSpacing()));
        dropLayouts();
    }
}

} // namespace ferrolux
