#pragma once

#include "search/FileResult.h"

#include <QCollatorSortKey>
#include <cstddef>
#include <vector>

namespace ferrolux {

// Columns of the file list, in display order.
enum FileColumn : int {
    ColFileName = 0,
    ColDirectory = 1,
    ColMatches = 2,
    ColType = 3,
    ColSize = 4,
    ColDateTime = 5,
};

// Compares two rows of the file list by one column, the way a header click
// asks for: negative when the first row comes first, positive when after.
// Text columns compare case-insensitively in the user's collation and answer
// 0 for equal values; numeric and date columns never answer 0 (an equal pair
// answers minus sortDirection, as if the first row were the smaller).
class FileRowComparer {
public:
    FileRowComparer(const std::vector<FileResult>& rows, int column, int sortDirection);

    int compare(std::size_t first, std::size_t second) const;

private:
    const std::vector<FileResult>& rows_;
    int column_;
    int direction_;
    // Collation keys of the text columns, made once per sort so that each
    // comparison is cheap.
    std::vector<QCollatorSortKey> keys_;
};

// The new order of the rows (indices into rows) after sorting by column. A
// merge sort: it yields a permutation whatever the comparison answers, so a
// comparison that is not a strict ordering (the tie answers above) can
// neither lose nor duplicate a row.
std::vector<std::size_t> sortedOrder(const std::vector<FileResult>& rows, int column,
                                     int sortDirection);

} // namespace ferrolux
