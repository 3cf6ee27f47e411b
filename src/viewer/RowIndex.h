#pragma once

#include "viewer/RowScanner.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolux {

// Where the rows of a text start, kept sparse: the start of every n-th row,
// n doubling whenever the points would pass MaxPoints, so the index stays a
// few megabytes however large the file. One thread builds it (through a
// RowIndexBuilder) while others read what is there so far.
class RowIndex {
public:
    static constexpr size_t MaxPoints = size_t(1) << 17;

    struct Point {
        int64_t row = 0;
        RowCursor at;
    };

    // What is known so far.
    struct State {
        int64_t rows = 0;       // complete rows
        RowCursor knownEnd;     // where the first row not yet known starts
        bool midLine = false;   // ...within a line that known rows begin
        bool complete = false;  // the whole text is indexed; knownEnd is its end
        int64_t longestRow = 0; // bytes of the longest row
    };

    State state() const;
    // The known point at or before a row, an offset, or before a line's start.
    Point pointForRow(int64_t row) const;
    Point pointForOffset(int64_t offset) const;
    Point pointBeforeLine(int64_t line) const;

private:
    friend class RowIndexBuilder;
    void publish(std::vector<Point>& points, const State& state);

    mutable std::mutex mutex_;
    std::vector<Point> points_{Point{}};
    int64_t every_ = 1;
    State state_;
};

// Feeds a text to a RowIndex in order, a chunk at a time.
class RowIndexBuilder {
public:
    explicit RowIndexBuilder(RowIndex& index) : index_(index) {}

    void feed(std::string_view chunk);
    // The text ends after what was fed.
    void finish();

private:
    void scan(bool atEnd);

    RowIndex& index_;
    std::string unscanned_; // the start of a row whose end is not there yet
    RowIndex::State state_;
    std::vector<RowIndex::Point> points_;
};

} // namespace ferrolux
