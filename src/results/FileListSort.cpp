#include "results/FileListSort.h"

#include "platform/DisplayText.h"

#include <QCollator>
#include <algorithm>
#include <numeric>

namespace ferrolux {
namespace {

// Ordered answer for numbers and dates: equal values never answer 0.
template <typename T>
int compareNumbers(T first, T second, int direction) {
    return first > second ? direction : -direction;
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

const std::string& textOf(const FileResult& row, int column) {
    return column == ColFileName ? row.FileName : row.Directory;
}

} // namespace

FileRowComparer::FileRowComparer(const std::vector<FileResult>& rows, int column, int sortDirection)
    : rows_(rows), column_(column), direction_(sortDirection) {
    if (column_ != ColFileName && column_ != ColDirectory && column_ != ColType) return;
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    keys_.reserve(rows_.size());
    for (const FileResult& row : rows_) {
        const QString text = column_ == ColType ? row.Type : displayText(textOf(row, column_));
        // Folded first: in the C locale the collator's keys ignore its case setting.
        keys_.push_back(collator.sortKey(text.toCaseFolded()));
    }
}

int FileRowComparer::compare(std::size_t first, std::size_t second) const {
    const FileResult& a = rows_[first];
    const FileResult& b = rows_[second];
    switch (column_) {
    case ColMatches:
        return compareNumbers(a.Matches, b.Matches, direction_);
    case ColSize:
        return compareNumbers(a.Size, b.Size, direction_);
    case ColDateTime:
        return compareNumbers(a.ModifiedTime, b.ModifiedTime, direction_);
    default:
        return sign(keys_[first].compare(keys_[second])) * direction_;
    }
}

std::vector<std::size_t> sortedOrder(const std::vector<FileResult>& rows, int column,
                                     int sortDirection) {
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (rows.size() < 2) return order;
    const FileRowComparer comparer(rows, column, sortDirection);
    std::vector<std::size_t> merged(order.size());
    // Bottom-up merge sort: runs of width 1, 2, 4, ... merged pairwise.
    for (std::size_t width = 1; width < order.size(); width *= 2) {
        for (std::size_t lo = 0; lo < order.size(); lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, order.size());
            const std::size_t hi = std::min(lo + 2 * width, order.size());
            std::size_t left = lo, right = mid, out = lo;
            while (left < mid && right < hi)
                merged[out++] = comparer.compare(order[left], order[right]) <= 0 ? order[left++]
                                                                                 : order[right++];
            while (left < mid)
                merged[out++] = order[left++];
            while (right < hi)
                merged[out++] = order[right++];
        }
        order.swap(merged);
    }
    return order;
}

} // namespace ferrolux
