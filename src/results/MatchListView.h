#pragma once

#include "results/ReportListView.h"
#include "search/FileResult.h"

#include <QAbstractTableModel>
#include <QColor>
#include <vector>

class QStyledItemDelegate;

namespace ferrolux {

struct ShownLine;

// The match lines of one file: line number (empty for a binary file) and text.
class MatchListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const std::vector<MatchLine>& lines() const { return lines_; }
    // A line as the list shows it, with where its matches lie.
    ShownLine shown(int row) const;
    void setLines(std::vector<MatchLine> lines);

private:
    std::vector<MatchLine> lines_;
};

// The match list in report style without column headers: grid lines,
// whole-row selection, read-only; the matches in each line in colour.
class MatchListView : public ReportListView {
    Q_OBJECT
public:
    explicit MatchListView(QWidget* parent = nullptr);

    const std::vector<MatchLine>& lines() const { return model_->lines(); }
    int count() const { return model_->rowCount(); }
    void setLines(std::vector<MatchLine> lines) { model_->setLines(std::move(lines)); }
    // Empties the list; the text column goes back to the list's width, so no
    // sideways scroll bar is left from wide lines listed before.
    void clearLines();

    // The font of the lines; row heights follow it.
    void setListFont(const QFont& font);
    // The colour of the matches in the lines (red until set).
    void setHighlightColor(const QColor& colour);

    // Sizes the columns for the lines now listed: the line numbers at least
    // minimumNumberWidth wide (0 hides them) and wide enough for the largest;
    // the text up to the list's visible right edge (a vertical scroll bar
    // left out), or wider when a line needs it. The text column follows
    // later changes of the visible width.
    void fitColumns(int minimumNumberWidth);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int widestLine() const;
    void fitTextColumn();

    MatchListModel* model_;
    QStyledItemDelegate* delegate_;
    // -1 until the columns are first fitted.
    int minimumNumberWidth_ = -1;
    int lineWidth_ = 0;
};

} // namespace ferrolux
