#include "engine/LineSearch.h"

#include <algorithm>
#include <cstring>

namespace ferrolux::engine {

LineSearch::LineSearch(std::shared_ptr<const CompiledPattern> pattern,
                       std::unique_ptr<ByteSource> source, ReadBuffer& buffer,
                       const GrepLimits& limits, const std::atomic<bool>* canceled)
    : pattern_(std::move(pattern)), source_(std::move(source)), limits_(limits),
      canceled_(canceled), buffer_(buffer) {
    limits_.chunkSize = std::max<size_t>(limits_.chunkSize, 16);
    limits_.maxLineBuffer = std::max(limits_.maxLineBuffer, limits_.chunkSize);
    limits_.longLineOverlap = std::min(limits_.longLineOverlap, limits_.maxLineBuffer / 2);
    if (!pattern_ || !source_) done_ = true;
    if (buffer_.size() != limits_.chunkSize) buffer_.resize(limits_.chunkSize, 0);
}

LineSearch::LineSearch(std::shared_ptr<const CompiledPattern> pattern, std::string_view head,
                       std::unique_ptr<ByteSource> rest, ReadBuffer& buffer,
                       const GrepLimits& limits, const std::atomic<bool>* canceled)
    : LineSearch(std::move(pattern), std::move(rest), buffer, limits, canceled) {
    eof_ = !source_;
    done_ = !pattern_ || (eof_ && head.empty());
    head_ = head;
    if (done_) return;
    if (eof_ && head.back() != '\n') {
        regionEnd_ = head.size();
        regionFinal_ = true;
    } else if (eof_) {
        // Nothing follows the last line break: no empty line after it.
        regionEnd_ = head.size() - 1;
        regionFinal_ = false;
    } else if (const void* lf = memrchr(head.data(), '\n', head.size())) {
        regionEnd_ = static_cast<size_t>(static_cast<const char*>(lf) - head.data());
        regionFinal_ = false;
    } else {
        leaveHead(); // not one whole line: the buffer takes it all
        return;
    }
    inHead_ = inRegion_ = true;
    loneMark_ = {};
}

void LineSearch::leaveHead() {
    const size_t consumed = inHead_ ? std::min(pos_, head_.size()) : 0;
    if (numbering_) numberOf(consumed);
    const size_t partial = head_.size() - consumed;
    inHead_ = false;
    if (buffer_.size() < partial) buffer_.resize(partial, 0);
    std::memcpy(buffer_.data(), head_.data() + consumed, partial);
    filled_ = partial;
    pos_ = 0;
    numberedPos_ = 0;
    head_ = {};
}

bool LineSearch::canceled() const {
    return canceled_ && canceled_->load(std::memory_order_relaxed);
}

int64_t LineSearch::numberOf(size_t lineStart) {
    linesBefore_ += int64_t(countLineFeeds({text() + numberedPos_, lineStart - numberedPos_}));
    numberedPos_ = lineStart;
    return linesBefore_ + 1;
}

std::optional<LineMatch> LineSearch::next() {
    while (!done_) {
        if (inRegion_) {
            const std::string_view region(text(), regionEnd_);
            if (const auto line = pattern_->nextMatchingLine(region, pos_, canceled_, &loneMark_)) {
                pos_ = line->end + 1;
                ++count_;
                size_t end = line->end;
                if ((!regionFinal_ || end < regionEnd_) && end > line->start &&
                    region[end - 1] == '\r')
                    --end; // the CR of a CR LF line end
                const int64_t number = numbering_ ? numberOf(line->start) : 0;
                return LineMatch{number, region.substr(line->start, end - line->start)};
            }
            inRegion_ = false;
            pos_ = regionEnd_ + 1;
        }
        if (loadNext()) return LineMatch{longLineNumber_, longLine_};
    }
    return std::nullopt;
}

int64_t LineSearch::countRemaining() {
    numbering_ = false;
    while (!done_) {
        if (inRegion_) {
            const std::string_view region(text(), regionEnd_);
            count_ += static_cast<int64_t>(pattern_->countMatchingLines(region, pos_, canceled_));
            inRegion_ = false;
            pos_ = regionEnd_ + 1;
        }
        loadNext();
    }
    return count_;
}

bool LineSearch::loadNext() {
    switch (load()) {
    case Load::Region:
        inRegion_ = true;
        loneMark_ = {};
        return false;
    case Load::LongLine:
        if (longLineMatched_) ++count_;
        return longLineMatched_;
    case Load::End:
        done_ = true;
        return false;
    }
    return false;
}

void LineSearch::discardConsumed() {
    const size_t consumed = std::min(pos_, filled_);
    if (numbering_) numberOf(consumed);
    std::memmove(buffer_.data(), buffer_.data() + consumed, filled_ - consumed);
    filled_ -= consumed;
    pos_ = 0;
    numberedPos_ = 0;
}

LineSearch::Load LineSearch::load() {
    if (inHead_)
        leaveHead();
    else
        discardConsumed();
    if (!tailChecked_) {
        // What followed a long line may hold whole lines already.
        tailChecked_ = true;
        if (const void* lf = memrchr(buffer_.data(), '\n', filled_)) {
            regionEnd_ = static_cast<size_t>(static_cast<const char*>(lf) - buffer_.data());
            regionFinal_ = false;
            return Load::Region;
        }
    }
    for (;;) {
        if (canceled()) return Load::End;
        if (eof_) {
            if (filled_ == 0) return Load::End;
            regionEnd_ = filled_;
            regionFinal_ = true;
            return Load::Region;
        }
        if (filled_ == buffer_.size()) {
            if (buffer_.size() >= limits_.maxLineBuffer) return scanLongLine();
            buffer_.resize(std::min(buffer_.size() * 2, limits_.maxLineBuffer), filled_);
        }
        const size_t n = source_->read(buffer_.data() + filled_, buffer_.size() - filled_);
        if (n == 0) {
            eof_ = true;
            continue;
        }
        const void* lf = memrchr(buffer_.data() + filled_, '\n', n);
        filled_ += n;
        if (lf) {
            regionEnd_ = static_cast<size_t>(static_cast<const char*>(lf) - buffer_.data());
            regionFinal_ = false;
            return Load::Region;
        }
    }
}

// A line that does not fit in the largest buffer is searched in windows that
// overlap by longLineOverlap bytes: a match no longer than the overlap is
// always found; a longer one only when it lies within one window. Only its
// first longLineShown bytes are kept as its text.
LineSearch::Load LineSearch::scanLongLine() {
    longLineNumber_ = numbering_ ? linesBefore_ + 1 : 0;
    longLine_.assign(buffer_.data(), std::min(filled_, limits_.longLineShown));
    const uint64_t all = pattern_->allConjuncts();
    uint64_t found = 0;
    size_t searchFrom = 0;
    for (;;) {
        // The last byte stays as context: the line goes on after it.
        if (found != all)
            found |= pattern_->conjunctsMatchedIn({buffer_.data(), filled_}, searchFrom,
                                                  filled_ - 1, canceled_);
        const size_t keep = found == all ? 1 : std::min(filled_, limits_.longLineOverlap + 1);
        std::memmove(buffer_.data(), buffer_.data() + filled_ - keep, keep);
        filled_ = keep;
        searchFrom = 1; // the first byte is context, so ^ cannot match there
        if (canceled()) return Load::End;
        const size_t n = source_->read(buffer_.data() + filled_, buffer_.size() - filled_);
        const void* lf = n ? std::memchr(buffer_.data() + filled_, '\n', n) : nullptr;
        filled_ += n;
        if (n == 0 || lf) {
            const size_t lineEnd =
                lf ? static_cast<size_t>(static_cast<const char*>(lf) - buffer_.data()) : filled_;
            if (found != all)
                found |= pattern_->conjunctsMatchedIn({buffer_.data(), filled_}, searchFrom,
                                                      lineEnd, canceled_);
            eof_ = n == 0;
            pos_ = lf ? lineEnd + 1 : filled_;
            numberedPos_ = pos_;
            linesBefore_ += 1;
            longLineMatched_ = found == all;
            tailChecked_ = false;
            return Load::LongLine;
        }
    }
}

} // namespace ferrolux::engine
