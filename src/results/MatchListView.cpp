#include "results/MatchListView.h"

#include "search/TextDecoding.h"

#include <QHeaderView>

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
    setListFont(font());
}

void MatchListView::setListFont(const QFont& font) {
    setFont(font);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 3);
}

} // namespace ferrolux
