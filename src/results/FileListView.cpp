#include "results/FileListView.h"

#include "results/FileListSort.h"
#include "platform/DisplayText.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <algorithm>
#include <cstring>

namespace ferrolux {
namespace {

constexpr int columnCountOfList = 6;
// The narrowest the directory column gets when number columns take its room.
constexpr int narrowestDirectory = 100;

// The widest value each number or date column is made for: sizes below
// 10 GB, counts up to millions, a date with a two-digit hour and am/pm.
struct SizedColumn {
    FileColumn column;
    const char* widestValue;
};
constexpr SizedColumn sizedColumns[] = {
    {ColMatches, "8888888"}, {ColSize, "8888888888"}, {ColDateTime, "28/12/2026  12:58pm"}};

QString cellText(const FileResult& row, int column) {
    switch (column) {
    case ColFileName:
        return displayText(row.FileName);
    case ColDirectory:
        return displayText(row.Directory);
    case ColMatches:
        return QString::number(row.Matches);
    case ColType:
        return row.Type;
    case ColSize:
        return QString::number(row.Size);
    default:
        return row.DateTime;
    }
}

QString headerText(int column) {
    static const char* const captions[columnCountOfList] = {"File Name", "Directory", "Matches",
                                                            "Type",      "Size",      "Date/Time"};
    return QString::fromLatin1(captions[column]);
}

Qt::Alignment alignmentOf(int column) {
    if (column == ColMatches || column == ColSize) return Qt::AlignRight | Qt::AlignVCenter;
    if (column == ColType) return Qt::AlignCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

} // namespace

FileListModel::FileListModel(SearchSession& session, QObject* parent)
    : QAbstractTableModel(parent), session_(session) {
    session_.setRowsObserver(this);
}

FileListModel::~FileListModel() {
    session_.setRowsObserver(nullptr);
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(session_.rows().size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCountOfList;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const FileResult& row = session_.rows()[std::size_t(index.row())];
    if (role == Qt::DisplayRole) return cellText(row, index.column());
    if (role == Qt::TextAlignmentRole) return int(alignmentOf(index.column()));
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole) return headerText(section);
    if (role == Qt::TextAlignmentRole) return int(alignmentOf(section));
    return {};
}

void FileListModel::rowsChanging(Change change, std::size_t first, std::size_t count) {
    switch (change) {
    case Change::Reset:
        return beginResetModel();
    case Change::Append:
        return beginInsertRows({}, int(first), int(first + count) - 1);
    case Change::Remove:
        return beginRemoveRows({}, int(first), int(first + count) - 1);
    case Change::Reorder:
        emit layoutAboutToBeChanged();
        persistentBefore_ = persistentIndexList();
        return;
    }
}

void FileListModel::rowsChanged(Change change, const std::vector<std::size_t>& order) {
    switch (change) {
    case Change::Reset:
        return endResetModel();
    case Change::Append:
        return endInsertRows();
    case Change::Remove:
        return endRemoveRows();
    case Change::Reorder:
        break;
    }
    std::vector<int> newPosition(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        newPosition[order[i]] = int(i);
    QModelIndexList after;
    for (const QModelIndex& index : persistentBefore_)
        after.push_back(this->index(newPosition[std::size_t(index.row())], index.column()));
    changePersistentIndexList(persistentBefore_, after);
    persistentBefore_.clear();
    emit layoutChanged();
}

FileListView::FileListView(SearchSession& session, QWidget* parent)
    : ReportListView(parent), model_(new FileListModel(session, this)) {
    setModel(model_);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStretchLastSection(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &FileListView::ColumnClick);
}

void FileListView::selectRow(int index) {
    const QModelIndex cell = model_->index(index, 0);
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
}

void FileListView::sortRows(int column, int sortDirection) {
    session().reorderRows(sortedOrder(rows(), column, sortDirection));
}

void FileListView::rowsInserted(const QModelIndex& parent, int start, int end) {
    ReportListView::rowsInserted(parent, start, end);
    widenForValues(std::size_t(start), std::size_t(end) + 1);
}

void FileListView::reset() {
    ReportListView::reset();
    widenForValues(0, rows().size());
}

void FileListView::setColumnWidths(const std::vector<int>& widths) {
    std::vector<int> fitted = widths;
    int taken = 0;
    for (const SizedColumn& sized : sizedColumns) {
        int& width = fitted[std::size_t(sized.column)];
        const int needed = std::max(cellWidthFor(QString::fromLatin1(sized.widestValue)),
                                    headingWidth(sized.column));
        taken += std::max(0, needed - width);
        width = std::max(width, needed);
    }
    int& directory = fitted[ColDirectory];
    directory = std::max(std::min(directory, narrowestDirectory), directory - taken);
    for (std::size_t i = 0; i < fitted.size(); ++i)
        setColumnWidth(int(i), fitted[i]);
    widenForValues(0, rows().size());
}

int FileListView::headingWidth(int column) const {
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader());
    return horizontalHeader()->fontMetrics().horizontalAdvance(headerText(column)) + 2 * margin;
}

// Only values longer than the longest so far are measured.
void FileListView::widenForValues(std::size_t first, std::size_t end) {
    for (const SizedColumn& sized : sizedColumns) {
        qsizetype longest = qsizetype(std::strlen(sized.widestValue));
        for (std::size_t i = first; i < end; ++i) {
            const QString text = cellText(rows()[i], sized.column);
            if (text.size() <= longest) continue;
            longest = text.size();
            setColumnWidth(sized.column, std::max(columnWidth(sized.column), cellWidthFor(text)));
        }
    }
}

void FileListView::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit Click();
}

void FileListView::keyPressEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) pressedKeys_.insert(event->key());
    ReportListView::keyPressEvent(event);
}

void FileListView::keyReleaseEvent(QKeyEvent* event) {
    QTableView::keyReleaseEvent(event);
    if (event->isAutoRepeat() || !pressedKeys_.remove(event->key())) return;
    emit KeyUp(event->key());
}

// A key held while the focus moves away is released elsewhere.
void FileListView::focusOutEvent(QFocusEvent* event) {
    pressedKeys_.clear();
    ReportListView::focusOutEvent(event);
}

} // namespace ferrolux
