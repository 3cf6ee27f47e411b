#include "results/MatchListView.h"

#include "platform/DisplayText.h"
#include "search/MatchListing.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <algorithm>

namespace ferrolux {
namespace {

// Draws a line's text with its matches in the highlight colour; on the
// selected row, where the colour may not stand out, they are underlined.
class MatchTextDelegate : public QStyledItemDelegate {
public:
    MatchTextDelegate(const MatchListModel& model, QObject* parent)
        : QStyledItemDelegate(parent), model_(model) {}

    void setHighlightColor(const QColor& colour) { colour_ = colour; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.column() != 1) return QStyledItemDelegate::paint(painter, option, index);
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        item.text.clear();
        const QWidget* widget = item.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

        const ShownLine shown = model_.shown(index.row());
        const bool selected = item.state & QStyle::State_Selected;
        QPalette::ColorGroup group =
            item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(item.state & QStyle::State_Active))
            group = QPalette::Inactive;
        QTextCharFormat match;
        if (selected)
            match.setFontUnderline(true);
        else
            match.setForeground(colour_);
        QList<QTextLayout::FormatRange> formats;
        for (const auto& [start, length] : shown.matches)
            formats.append({start, length, match});

        // The margins and centring of the list's other cells.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget)
                               .adjusted(margin, 0, -margin, 0);
        QTextLayout layout(shown.text, item.font);
        layout.setFormats(formats);
        QTextOption noWrap;
        noWrap.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(noWrap);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(text.width());
        layout.endLayout();

        painter->save();
        painter->setClipRect(text);
        painter->setPen(
            item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        layout.draw(painter,
                    QPointF(text.left(), text.top() + (text.height() - line.height()) / 2));
        painter->restore();
    }

private:
    const MatchListModel& model_;
    QColor colour_ = Qt::red;
};

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
    return index.column() == 0 ? QString::fromStdString(line.LineNumber) : shownLine(line).text;
}

ShownLine MatchListModel::shown(int row) const {
    return shownLine(lines_[std::size_t(row)]);
}

void MatchListModel::setLines(std::vector<MatchLine> lines) {
    beginResetModel();
    lines_ = std::move(lines);
    endResetModel();
}

MatchListView::MatchListView(QWidget* parent)
    : ReportListView(parent), model_(new MatchListModel(this)),
      delegate_(new MatchTextDelegate(*model_, this)) {
    setModel(model_);
    setItemDelegate(delegate_);
    horizontalHeader()->hide();
}

void MatchListView::setHighlightColor(const QColor& colour) {
    static_cast<MatchTextDelegate*>(delegate_)->setHighlightColor(colour);
    viewport()->update();
}

void MatchListView::clearLines() {
    model_->setLines({});
    lineWidth_ = 0;
    if (minimumNumberWidth_ >= 0) fitTextColumn();
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
