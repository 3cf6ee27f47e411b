#pragma once

#include "viewer/RowIndex.h"
#include "viewer/ViewerText.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ferrolux {

// A row and where it stands among the rows.
struct NumberedRow {
    int64_t number = 0;
    RowSpan span;
};

// Finds rows of a text through its (possibly still growing) index, reading
// from the nearest index point on. Only rows the index knows are found.
// It keeps the last stretch of text it read, since rows are mostly wanted
// near each other; so it serves one thread (the window's).
class RowReader {
public:
    RowReader(std::shared_ptr<const ViewerText> text, std::shared_ptr<const RowIndex> index)
        : text_(std::move(text)), index_(std::move(index)) {}

    RowIndex::State state() const { return index_->state(); }

    // Up to `count` rows from `first` on.
    std::vector<RowSpan> rows(int64_t first, int64_t count) const;
    std::optional<RowSpan> row(int64_t number) const;
    // The row that holds an offset; an offset past the known rows is in the
    // last known row.
    NumberedRow rowAt(int64_t offset) const;
    // The first row of a 0-based line, when the index has got there.
    std::optional<NumberedRow> firstRowOfLine(int64_t line) const;

    // The bytes of the text in [start, end).
    std::string bytes(int64_t start, int64_t end) const;

private:
    // Visits the rows from an index point on, numbered, while visit returns
    // true and the rows are known.
    template <class Visit>
    void scanFrom(const RowIndex::Point& point, Visit&& visit) const;
    size_t readAt(int64_t offset, char* into, size_t size) const;

    std::shared_ptr<const ViewerText> text_;
    std::shared_ptr<const RowIndex> index_;
    mutable std::string kept_;
    mutable int64_t keptFrom_ = 0;
};

} // namespace ferrolux
