#include "viewer/RowIndex.h"

#include <algorithm>

namespace ferrolux {

RowIndex::State RowIndex::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

RowIndex::Point RowIndex::pointForRow(int64_t row) const {
    std::lock_guard lock(mutex_);
    const auto after = std::upper_bound(points_.begin(), points_.end(), row,
                                        [](int64_t r, const Point& p) { return r < p.row; });
    return *std::prev(after == points_.begin() ? std::next(after) : after);
}

RowIndex::Point RowIndex::pointForOffset(int64_t offset) const {
    std::lock_guard lock(mutex_);
    const auto after = std::upper_bound(points_.begin(), points_.end(), offset,
                                        [](int64_t o, const Point& p) { return o < p.at.offset; });
    return *std::prev(after == points_.begin() ? std::next(after) : after);
}

RowIndex::Point RowIndex::pointBeforeLine(int64_t line) const {
    std::lock_guard lock(mutex_);
    const auto from = std::lower_bound(points_.begin(), points_.end(), line,
                                       [](const Point& p, int64_t l) { return p.at.line < l; });
    return *std::prev(from == points_.begin() ? std::next(from) : from);
}

void RowIndex::publish(std::vector<Point>& points, const State& state) {
    std::lock_guard lock(mutex_);
    for (const Point& point : points) {
        if ((point.row & (every_ - 1)) != 0) continue;
        if (points_.size() == MaxPoints) {
            // Keep every other point: rows 0, 2n, 4n, ...
            size_t kept = 0;
            for (size_t i = 0; i < points_.size(); i += 2)
                points_[kept++] = points_[i];
            points_.resize(kept);
            every_ *= 2;
            if ((point.row & (every_ - 1)) != 0) continue;
        }
        points_.push_back(point);
    }
    points.clear();
    state_ = state;
}

void RowIndexBuilder::feed(std::string_view chunk) {
    unscanned_.append(chunk);
    scan(false);
}

void RowIndexBuilder::finish() {
    scan(true);
    state_.complete = true;
    index_.publish(points_, state_);
}

void RowIndexBuilder::scan(bool atEnd) {
    // The builder is the index's only writer, so it may read `every_` unlocked.
    const int64_t everyMask = index_.every_ - 1; // a power of two
    const RowCursor stopped = scanRows(unscanned_, state_.knownEnd, atEnd, [&](const RowSpan& row) {
        if ((state_.rows & everyMask) == 0 && state_.rows > 0)
            points_.push_back({state_.rows, {row.start, row.line}});
        ++state_.rows;
        state_.longestRow = std::max(state_.longestRow, row.end - row.start);
        state_.midLine = !row.endsLine();
        return true;
    });
    unscanned_.erase(0, size_t(stopped.offset - state_.knownEnd.offset));
    state_.knownEnd = stopped;
    if (!atEnd) index_.publish(points_, state_);
}

} // namespace ferrolux
