#include "results/MatchListView.h"

#include "search/TextDecoding.h"

#include <QHeaderView>
#include <algorithm>

namespace ferrolux {
namespace {

// Tabs would show as boxes or be swallowed by a table cell; spaces keep the
// line's layout readable.
QString lineForDisplay(const MatchLine& line) {
    QString text = displayText(line.Text);
    text.replace(QLatin1Char('\t'), QLatin1String("    "));
    if (line.CutBefore) text.prepend(QStringLiteral("\u2026 "));
    if (line.Truncated) text += QStringLiteral(" \u2026");
    return text;
}

} // namespace

int MatchListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(lines_.size());
}

int MatchListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant MatchListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    const MatchLine& line = lines_[std::size_t(index.row())];
    return index.column() == 0 ? QString::fromStdString(line.LineNumber) : lineForDisplay(line);
}

void MatchListModel::setLines(std::vector<MatchLine> lines) {
    beginResetModel();
    lines_ = std::move(lines);
    endResetModel();
}

MatchListView::MatchListView(QWidget* parent)
    : ReportListView(parent), model_(new MatchListModel(this)) {
    setModel(model_);
    horizontalHeader()->hide();
}

void MatchListView::setListFont(const QFont& font) {
    setFont(font);
    if (minimumNumberWidth_ >= 0) fitColumns(minimumNumberWidth_);
}

void MatchListView::fitColumns(int minimumNumberWidth) {
    int numberWidth = 0;
    if (minimumNumberWidth > 0) {
        numberWidth = minimumNumberWidth;
        for (const MatchLine& line : model_->lines())
            numberWidth =
                std::max(numberWidth, cellWidthFor(QString::fromStdString(line.LineNumber)));
    }
    setColumnWidth(0, numberWidth);
    minimumNumberWidth_ = minimumNumberWidth;
    lineWidth_ = widestLine();
    fitTextColumn();
}

// Only lines that could be wider than the widest so far are measured.
int MatchListView::widestLine() const {
    const int widestCharacter = fontMetrics().maxWidth();
    int widest = 0;
    for (int row = 0; row < model_->rowCount(); ++row) {
        const QString text = model_->data(model_->index(row, 1), Qt::DisplayRole).toString();
        if (cellWidthFor(QString()) + text.size() * widestCharacter > widest)
            widest = std::max(widest, cellWidthFor(text));
    }
    return widest;
}

void MatchListView::fitTextColumn() {
    setColumnWidth(1, std::max(viewport()->width() - columnWidth(0), lineWidth_));
}

void MatchListView::resizeEvent(QResizeEvent* event) {
    ReportListView::resizeEvent(event);
    if (minimumNumberWidth_ >= 0) fitTextColumn();
}

} // namespace ferrolux
