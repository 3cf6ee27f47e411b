#pragma once

#include "results/ReportListView.h"
#include "search/FileResult.h"

#include <QAbstractTableModel>
#include <vector>

namespace ferrolux {

// The rows of a file list, by position, as the search appends them.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const std::vector<FileResult>& rows() const { return rows_; }
    void setRows(std::vector<FileResult> rows);
    void appendRows(const std::vector<FileResult>& rows);
    void removeRowAt(int row);
    // Puts the rows in the given order (indices into the current rows).
    void reorder(const std::vector<std::size_t>& order);

private:
    std::vector<FileResult> rows_;
};

// A file list in report style: one row per file with matches, six columns,
// grid lines, whole-row selection, read-only. Signals mirror the handlers the
// main window attaches: a click anywhere, a key released, a header clicked.
class FileListView : public ReportListView {
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);

    const std::vector<FileResult>& rows() const { return model_->rows(); }
    int count() const { return model_->rowCount(); }
    const FileResult& row(int index) const { return model_->rows()[std::size_t(index)]; }
    void setRows(std::vector<FileResult> rows);
    void appendRows(const std::vector<FileResult>& rows);
    void removeRowAt(int index) { model_->removeRowAt(index); }
    void clearRows() { model_->setRows({}); }

    void selectRow(int index);

    // Sorts the rows by column with the list's comparison and keeps the
    // selected row selected.
    void sortRows(int column, int sortDirection);

    // Sets the six widths, widening the number and date columns as far as
    // their headings and values of every likely size need in the list's
    // font; the directory column gives up that room, so the columns keep
    // their total width. A row whose value is wider still widens its column.
    void setColumnWidths(const std::vector<int>& widths);

signals:
    void Click();
    void KeyUp(int key);
    void ColumnClick(int column);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    int headingWidth(int column) const;
    void widenForValues(const std::vector<FileResult>& rows);

    FileListModel* model_;
};

} // namespace ferrolux
