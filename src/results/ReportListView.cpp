#include "results/ReportListView.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <cmath>

namespace ferrolux {
namespace {

// One pixel of grid line below and right of every cell.
constexpr int gridLine = 1;
// Room between the text and the grid line above it.
constexpr int rowSpacing = 1;

} // namespace

ReportListView::ReportListView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fitRowsToFont();
}

int ReportListView::selectedRow() const {
    if (!selectionModel()) return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int ReportListView::cellWidthFor(const QString& text) const {
    // The item delegate keeps this margin on both sides of the text.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    // Fractions of a pixel count: the text is cut when it is wider by any.
    const int advance = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text)));
    return advance + 2 * margin + gridLine;
}

void ReportListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    const int across = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(across);
}

void ReportListView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) fitRowsToFont();
}

void ReportListView::keyPressEvent(QKeyEvent* event) {
    const bool left = event->key() == Qt::Key_Left;
    if ((left || event->key() == Qt::Key_Right) && event->modifiers() == Qt::NoModifier) {
        horizontalScrollBar()->triggerAction(left ? QAbstractSlider::SliderSingleStepSub
                                                  : QAbstractSlider::SliderSingleStepAdd);
        return;
    }
    QTableView::keyPressEvent(event);
}

// Rows as tall as the font's lines and no taller: the header's own minimum
// follows the style's font, not the list's.
void ReportListView::fitRowsToFont() {
    const int height = fontMetrics().height() + rowSpacing + gridLine;
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}

} // namespace ferrolux
