#pragma once

#include "results/ReportListView.h"
#include "search/FileResult.h"
#include "search/SearchSession.h"

#include <QAbstractTableModel>
#include <QSet>
#include <vector>

namespace ferrolux {

// The rows of a search session as a table: the file list is a view of them.
class FileListModel : public QAbstractTableModel, private SessionRowsObserver {
    Q_OBJECT
public:
    explicit FileListModel(SearchSession& session, QObject* parent = nullptr);
    ~FileListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    SearchSession& session() const { return session_; }

private:
    void rowsChanging(Change change, std::size_t first, std::size_t count) override;
    void rowsChanged(Change change, const std::vector<std::size_t>& order) override;

    SearchSession& session_;
    QModelIndexList persistentBefore_; // the selection and current row, across a sort
};

// A file list in report style over the rows of a search session: one row
// per file with matches, six columns, grid lines, whole-row selection,
// read-only. Signals mirror the handlers the main window attaches: a click
// anywhere, a key released, a header clicked.
class FileListView : public ReportListView {
    Q_OBJECT
public:
    explicit FileListView(SearchSession& session, QWidget* parent = nullptr);

    const std::vector<FileResult>& rows() const { return session().rows(); }
    int count() const { return model_->rowCount(); }
    const FileResult& row(int index) const { return rows()[std::size_t(index)]; }
    void removeRowAt(int index) { session().removeRow(std::size_t(index)); }

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
    // A key released whose press the list had: a release whose press went to
    // another window (Esc closing the viewer) is no key of the list's.
    void KeyUp(int key);
    void ColumnClick(int column);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void reset() override;

private:
    SearchSession& session() const { return model_->session(); }
    int headingWidth(int column) const;
    void widenForValues(std::size_t first, std::size_t end);

    FileListModel* model_;
    QSet<int> pressedKeys_; // pressed while the list had the focus, not yet released
};

} // namespace ferrolux
