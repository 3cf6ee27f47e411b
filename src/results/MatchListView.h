#pragma once

#include "results/ReportListView.h"
#include "search/FileResult.h"

#include <QAbstractTableModel>
#include <vector>

namespace ferrolux {

// The match lines of one file: line number (empty for a binary file) and text.
class MatchListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const std::vector<MatchLine>& lines() const { return lines_; }
    void setLines(std::vector<MatchLine> lines);

private:
    std::vector<MatchLine> lines_;
};

// The match list in report style without column headers: grid lines,
// whole-row selection, read-only.
class MatchListView : public ReportListView {
    Q_OBJECT
public:
    explicit MatchListView(QWidget* parent = nullptr);

    const std::vector<MatchLine>& lines() const { return model_->lines(); }
    int count() const { return model_->rowCount(); }
    void setLines(std::vector<MatchLine> lines) { model_->setLines(std::move(lines)); }
    void clearLines() { model_->setLines({}); }

    // The font of the lines; row heights follow it.
    void setListFont(const QFont& font);

private:
    MatchListModel* model_;
};

} // namespace ferrolux
