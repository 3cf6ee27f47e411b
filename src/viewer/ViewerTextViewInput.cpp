// The caret, the selection and what the keys and the mouse do with them.

#include "platform/MessageBoxA.h"
#include "viewer/ViewerTextView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cstdlib>

namespace ferrolux {
namespace {

// A selection larger than this is not put on the clipboard.
constexpr int64_t CopyLimit = int64_t(64) << 20;
constexpr int DragScrollMs = 50;

} // namespace

// --- caret and selection ----------------------------------------------------

ViewerTextView::CaretPlace ViewerTextView::caretPlace() const {
    int64_t number = 0;
    const Row* r = rowHolding(caret_, &number);
    if (!r) return {};
    const RowLayout& layout = layoutOf(*r);
    const int character = int(r->text.characterAt(int32_t(caret_ - r->span.start)));
    const int line = layout.lineOf(character);
    if (caretAtLineEnd_ && character == layout.lineStart(line)) {
        // Drawn at the end of the line before, when that line runs on into this one.
        if (line > 0) return {{number, line - 1}, layout.cursorToX(line - 1, character), true};
        const Row* previous = number > 0 ? row(number - 1) : nullptr;
        if (previous && !previous->span.endsLine() && previous->span.end == caret_) {
            const RowLayout& before = layoutOf(*previous);
            const int last = before.lineCount() - 1;
            return {
                {number - 1, last}, before.cursorToX(last, int(previous->text.text.size())), true};
        }
    }
    return {{number, line}, layout.cursorToX(line, character), true};
}

ViewerTextView::Hit ViewerTextView::hitAt(const QPoint& point) const {
    if (!reader_ || known_.rows == 0) return {};
    const int screenLine = std::max(0, (point.y() - Margin) / lineHeight_);
    const LinePos pos = advance(top_, screenLine);
    const Row* r = row(pos.row);
    if (!r) return {};
    const RowLayout& layout = layoutOf(*r);
    const qreal x = point.x() - Margin + (wrap_ ? 0 : horizontalScrollBar()->value());
    // Below the last line: its end.
    const bool below = distance(top_, lastLine(), screenLine + 1) < screenLine;
    const int lineEnd = layout.lineEnd(pos.sub);
    const int character = below ? lineEnd : layout.xToCursor(pos.sub, x);
    const bool runsOn = pos.sub + 1 < layout.lineCount() || !r->span.endsLine();
    return {r->span.start + r->text.byteAt(character),
            runsOn && character == lineEnd && character > layout.lineStart(pos.sub)};
}

void ViewerTextView::setCaretPosition(int64_t offset, bool keepAnchor) {
    caret_ = std::max<int64_t>(0, offset);
    if (!keepAnchor) anchor_ = caret_;
    caretAtLineEnd_ = false;
    preferredX_ = -1;
    restartBlink();
    viewport()->update();
}

void ViewerTextView::moveCaret(int64_t offset, bool keepAnchor, bool keepX, bool atLineEnd) {
    const qreal x = preferredX_;
    setCaretPosition(offset, keepAnchor);
    if (keepX) preferredX_ = x;
    caretAtLineEnd_ = atLineEnd;
    ensureCaretVisible();
    emit userMoved();
}

void ViewerTextView::moveByCharacter(bool forward, bool words, bool keepAnchor) {
    if (hasSelection() && !keepAnchor && !words) {
        // Without Shift an arrow ends the selection at its edge.
        moveCaret(forward ? std::max(caret_, anchor_) : std::min(caret_, anchor_), false);
        return;
    }
    int64_t number = 0;
    const Row* r = rowHolding(caret_, &number);
    if (!r) return;
    const auto mode = words ? QTextLayout::SkipWords : QTextLayout::SkipCharacters;
    const int character = int(r->text.characterAt(int32_t(caret_ - r->span.start)));
    int64_t target = caret_;
    if (forward && character < r->text.text.size()) {
        target = r->span.start + r->text.byteAt(layoutOf(*r).nextCursorPosition(character, mode));
    } else if (forward) {
        if (number + 1 < known_.rows) target = r->span.next;
    } else if (character > 0) {
        target =
            r->span.start + r->text.byteAt(layoutOf(*r).previousCursorPosition(character, mode));
    } else if (const Row* previous = number > 0 ? row(number - 1) : nullptr) {
        // Into the row before: past its line break, or over its last
        // character where a long line was cut.
        const int end = int(previous->text.text.size());
        target =
            previous->span.endsLine()
                ? previous->span.end
                : previous->span.start +
                      previous->text.byteAt(layoutOf(*previous).previousCursorPosition(end, mode));
    }
    moveCaret(target, keepAnchor);
}

void ViewerTextView::moveByLines(int64_t lines, bool keepAnchor) {
    const CaretPlace place = caretPlace();
    if (!place.valid) return;
    const qreal x = preferredX_ >= 0 ? preferredX_ : place.x;
    const LinePos target = advance(place.line, lines);
    const Row* r = row(target.row);
    if (!r) return;
    const RowLayout& layout = layoutOf(*r);
    const int character = layout.xToCursor(target.sub, x);
    const int lineEnd = layout.lineEnd(target.sub);
    const bool runsOn = target.sub + 1 < layout.lineCount() || !r->span.endsLine();
    preferredX_ = x;
    moveCaret(r->span.start + r->text.byteAt(character), keepAnchor, true,
              runsOn && character == lineEnd && character > layout.lineStart(target.sub));
}

void ViewerTextView::moveToLineEdge(bool end, bool keepAnchor) {
    const CaretPlace place = caretPlace();
    const Row* r = place.valid ? row(place.line.row) : nullptr;
    if (!r) return;
    const RowLayout& layout = layoutOf(*r);
    const int character = end ? layout.lineEnd(place.line.sub) : layout.lineStart(place.line.sub);
    const bool runsOn = place.line.sub + 1 < layout.lineCount() || !r->span.endsLine();
    moveCaret(r->span.start + r->text.byteAt(character), keepAnchor, false, end && runsOn);
}

void ViewerTextView::moveToTextEdge(bool end, bool keepAnchor) {
    const Row* last = end ? row(known_.rows - 1) : nullptr;
    moveCaret(last ? last->span.end : 0, keepAnchor);
}

void ViewerTextView::selectAll() {
    const Row* last = row(known_.rows - 1);
    anchor_ = 0;
    caret_ = last ? last->span.end : 0;
    caretAtLineEnd_ = false;
    viewport()->update();
}

QString ViewerTextView::selectedText() const {
    const int64_t start = std::min(caret_, anchor_);
    const int64_t end = std::max(caret_, anchor_);
    QString text;
    if (!reader_ || start == end) return text;
    int64_t number = reader_->rowAt(start).number;
    for (bool done = false; !done;) {
        const std::vector<RowSpan> spans = reader_->rows(number, 1024);
        if (spans.empty()) break;
        for (const RowSpan& span : spans) {
            if (span.start >= end && span.start > start) {
                done = true;
                break;
            }
            const RowText row = decodeRow(reader_->bytes(span.start, span.end));
            const qsizetype from =
                row.characterAt(int32_t(std::max(start, span.start) - span.start));
            const qsizetype to = row.characterAt(int32_t(std::min(end, span.end) - span.start));
            text += QStringView(row.text).mid(from, to - from);
            if (span.endsLine() && end > span.end) text += QLatin1Char('\n');
        }
        number += int64_t(spans.size());
    }
    return text;
}

void ViewerTextView::copy() {
    if (!hasSelection()) return;
    if (std::abs(caret_ - anchor_) > CopyLimit) {
        MessageBoxA(this,
                    QStringLiteral("The selection is too large to copy. Select at most %1 MB.")
                        .arg(CopyLimit >> 20),
                    QStringLiteral("Message"), MB_OK | MB_ICONINFORMATION);
        return;
    }
    QGuiApplication::clipboard()->setText(selectedText());
}

void ViewerTextView::selectWordAt(int64_t offset) {
    int64_t number = 0;
    const Row* r = rowHolding(offset, &number);
    if (!r) return;
    const int character = int(r->text.characterAt(int32_t(offset - r->span.start)));
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, r->text.text);
    words.setPosition(character);
    const qsizetype from = words.isAtBoundary() ? character : words.toPreviousBoundary();
    words.setPosition(character);
    const qsizetype to = words.toNextBoundary();
    if (from < 0 || to < 0) return;
    anchor_ = r->span.start + r->text.byteAt(from);
    caret_ = r->span.start + r->text.byteAt(to);
    caretAtLineEnd_ = false;
    viewport()->update();
}

void ViewerTextView::restartBlink() {
    caretShown_ = true;
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0 && hasFocus())
        blinkTimer_.start(flash / 2, this);
    else
        blinkTimer_.stop();
}

// --- events -----------------------------------------------------------------

void ViewerTextView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) return copy();
    if (event == QKeySequence::SelectAll) return selectAll();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const int page = visibleLineCount();
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        return moveByCharacter(event->key() == Qt::Key_Right, control, shift);
    case Qt::Key_Up:
    case Qt::Key_Down:
        return moveByLines(event->key() == Qt::Key_Down ? 1 : -1, shift);
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int lines = event->key() == Qt::Key_PageDown ? page : -page;
        setTopLine(advance(top_, lines));
        return moveByLines(lines, shift);
    }
    case Qt::Key_Home:
    case Qt::Key_End:
        if (control) return moveToTextEdge(event->key() == Qt::Key_End, shift);
        return moveToLineEdge(event->key() == Qt::Key_End, shift);
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void ViewerTextView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const Hit hit = hitAt(event->position().toPoint());
    moveCaret(hit.offset, event->modifiers() & Qt::ShiftModifier, false, hit.atLineEnd);
    selecting_ = true;
}

void ViewerTextView::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_ || !(event->buttons() & Qt::LeftButton)) return;
    dragPoint_ = event->position().toPoint();
    if (viewport()->rect().contains(dragPoint_)) {
        dragTimer_.stop();
        const Hit hit = hitAt(dragPoint_);
        moveCaret(hit.offset, true, false, hit.atLineEnd);
    } else if (!dragTimer_.isActive()) {
        scrollDuringDrag();
        dragTimer_.start(DragScrollMs, this);
    }
}

// Dragging above or below the text scrolls it and extends the selection.
void ViewerTextView::scrollDuringDrag() {
    const QRect area = viewport()->rect();
    if (dragPoint_.y() < area.top())
        setTopLine(advance(top_, -1));
    else if (dragPoint_.y() > area.bottom())
        setTopLine(advance(top_, 1));
    const QPoint inside(std::clamp(dragPoint_.x(), area.left(), area.right()),
                        std::clamp(dragPoint_.y(), area.top(), area.bottom()));
    moveCaret(hitAt(inside).offset, true);
}

void ViewerTextView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    selecting_ = false;
    dragTimer_.stop();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection() && std::abs(caret_ - anchor_) <= CopyLimit)
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void ViewerTextView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    selectWordAt(hitAt(event->position().toPoint()).offset);
    emit userMoved();
}

void ViewerTextView::wheelEvent(QWheelEvent* event) {
    const QPoint steps = event->angleDelta() / 120;
    const bool sideways = steps.x() != 0 || (event->modifiers() & Qt::ShiftModifier);
    if (sideways && !wrap_) {
        QScrollBar* horizontal = horizontalScrollBar();
        const int delta = steps.x() != 0 ? steps.x() : steps.y();
        horizontal->setValue(horizontal->value() - delta * horizontal->singleStep() * 3);
    } else if (steps.y() != 0) {
        setTopLine(advance(top_, -int64_t(steps.y()) * QApplication::wheelScrollLines()));
    }
    emit userMoved();
    event->accept();
}

void ViewerTextView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(QStringLiteral("&Copy"), this, &ViewerTextView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    QAction* all = menu.addAction(QStringLiteral("Select &All"), this, &ViewerTextView::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    menu.exec(event->globalPos());
}

void ViewerTextView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    viewport()->update();
}

void ViewerTextView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    blinkTimer_.stop();
    viewport()->update();
}

void ViewerTextView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == blinkTimer_.timerId()) {
        caretShown_ = !caretShown_;
        viewport()->update();
    } else if (event->timerId() == dragTimer_.timerId()) {
        scrollDuringDrag();
    } else if (event->timerId() == layoutTimer_.timerId()) {
        layoutTimer_.stop();
        viewport()->update();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

} // namespace ferrolux
