#include "viewer/RowReader.h"

#include <algorithm>

namespace ferrolux {
namespace {

constexpr size_t ReadBlock = size_t(64) << 10;

} // namespace

// Reads through two aligned blocks kept from before.
size_t RowReader::readAt(int64_t offset, char* into, size_t size) const {
    if (size > ReadBlock) return text_->readAt(offset, into, size);
    const int64_t keptTo = keptFrom_ + int64_t(kept_.size());
    if (offset < keptFrom_ || offset + int64_t(size) > keptTo) {
        keptFrom_ = offset & ~int64_t(ReadBlock - 1);
        kept_.resize(2 * ReadBlock);
        kept_.resize(text_->readAt(keptFrom_, kept_.data(), kept_.size()));
    }
    const int64_t available = keptFrom_ + int64_t(kept_.size()) - offset;
    const size_t n = size_t(std::clamp<int64_t>(available, 0, int64_t(size)));
    std::copy_n(kept_.data() + (offset - keptFrom_), n, into);
    return n;
}

template <class Visit>
void RowReader::scanFrom(const RowIndex::Point& point, Visit&& visit) const {
    const RowIndex::State known = index_->state();
    std::string buffer;
    RowCursor at = point.at;
    int64_t number = point.row;
    int64_t readTo = at.offset; // the text offset just past the buffer
    bool stop = false;
    while (!stop && number < known.rows) {
        size_t want = ReadBlock;
        if (known.complete)
            want = size_t(std::clamp<int64_t>(known.knownEnd.offset - readTo, 0, int64_t(want)));
        const size_t old = buffer.size();
        buffer.resize(old + want);
        const size_t got = readAt(readTo, buffer.data() + old, want);
        buffer.resize(old + got);
        readTo += int64_t(got);
        // The end of the text, or of what is left of a file that shrank.
        const bool atEnd = got < want || (known.complete && readTo >= known.knownEnd.offset);
        const RowCursor stopped = scanRows(buffer, at, atEnd, [&](const RowSpan& row) {
            stop = !visit(NumberedRow{number, row}) || ++number >= known.rows;
            return !stop;
        });
        buffer.erase(0, size_t(stopped.offset - at.offset));
        at = stopped;
        if (atEnd) break;
    }
}

std::vector<RowSpan> RowReader::rows(int64_t first, int64_t count) const {
    std::vector<RowSpan> found;
    if (count <= 0 || first < 0) return found;
    scanFrom(index_->pointForRow(first), [&](const NumberedRow& row) {
        if (row.number >= first) found.push_back(row.span);
        return row.number + 1 < first + count;
    });
    return found;
}

std::optional<RowSpan> RowReader::row(int64_t number) const {
    const std::vector<RowSpan> found = rows(number, 1);
    if (found.empty()) return std::nullopt;
    return found.front();
}

NumberedRow RowReader::rowAt(int64_t offset) const {
    NumberedRow found;
    scanFrom(index_->pointForOffset(offset), [&](const NumberedRow& row) {
        found = row;
        return row.span.next <= offset;
    });
    return found;
}

std::optional<NumberedRow> RowReader::firstRowOfLine(int64_t line) const {
    std::optional<NumberedRow> found;
    scanFrom(index_->pointBeforeLine(line), [&](const NumberedRow& row) {
        if (row.span.line == line) found = row;
        return row.span.line < line;
    });
    return found;
}

std::string RowReader::bytes(int64_t start, int64_t end) const {
    std::string text(size_t(std::max<int64_t>(end - start, 0)), '\0');
    text.resize(readAt(start, text.data(), text.size()));
    return text;
}

} // namespace ferrolux
