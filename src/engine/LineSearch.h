#pragma once

#include "engine/ByteSource.h"
#include "engine/CompiledPattern.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolux {

// Buffer sizes of the line search; tests shrink them to reach chunk and
// window boundaries with small files. Each searching thread may hold up to
// maxLineBuffer while it searches a long line.
struct GrepLimits {
    size_t chunkSize = size_t(1) << 20;       // first buffer size and usual read size
    size_t maxLineBuffer = size_t(8) << 20;   // a longer line is searched in windows
    size_t longLineOverlap = size_t(1) << 20; // windows of a long line overlap by this
    size_t longLineShown = size_t(64) << 10;  // bytes of a long line kept for output
};

namespace engine {

// One matching line of a file.
struct LineMatch {
    int64_t number;        // 1-based line number; 0 when the search does not number lines
    std::string_view text; // without the line end; valid until the search moves on
};

// The matching lines of one file, found by searching whole buffers: the
// pattern finds the next candidate, the line around it is checked against
// every conjunct, and the search goes on after that line. Lines end at LF; a
// CR before the LF belongs to the line end.
class LineSearch {
public:
    // The buffer is the caller's, so that one serves many files.
    LineSearch(std::shared_ptr<const CompiledPattern> pattern, std::unique_ptr<ByteSource> source,
               ReadBuffer& buffer, const GrepLimits& limits, const std::atomic<bool>* canceled);
    // For a text whose first bytes are in memory already: its whole lines
    // are searched where they lie, the rest of it (rest, or nothing when the
    // head is all of the text) from the buffer. The head must outlive the
    // search.
    LineSearch(std::shared_ptr<const CompiledPattern> pattern, std::string_view head,
               std::unique_ptr<ByteSource> rest, ReadBuffer& buffer, const GrepLimits& limits,
               const std::atomic<bool>* canceled);

    // The next matching line, or nothing at the end (or when canceled).
    std::optional<LineMatch> next();
    // Runs to the end without keeping line numbers; returns count().
    int64_t countRemaining();
    // Matching lines found so far.
    int64_t count() const { return count_; }

private:
    enum class Load { Region, LongLine, End };

    // Loads what comes next: a region of whole lines, a long line searched
    // in windows (true when it matched; it is counted) or the end.
    bool loadNext();
    Load load();
    // Leaves the head: the part of a line it ends with goes into the buffer.
    void leaveHead();
    // Where the current region lies: the head, then the buffer.
    const char* text() const { return inHead_ ? head_.data() : buffer_.data(); }
    Load scanLongLine();
    void discardConsumed();
    bool canceled() const;
    int64_t numberOf(size_t lineStart);

    std::shared_ptr<const CompiledPattern> pattern_;
    std::unique_ptr<ByteSource> source_;
    GrepLimits limits_;
    const std::atomic<bool>* canceled_;

    ReadBuffer& buffer_;
    std::string_view head_;
    bool inHead_ = false;
    size_t filled_ = 0;
    size_t regionEnd_ = 0;     // the LF ending the region's last line, or filled_ at the end
    bool regionFinal_ = false; // the region's last line has no LF
    size_t pos_ = 0;           // next line start; past the region when it is done
    bool inRegion_ = false;
    bool tailChecked_ = true; // the bytes after the region hold no LF
    LoneByteMark loneMark_;   // in the region searched now
    bool eof_ = false;
    bool done_ = false;

    bool numbering_ = true;
    int64_t linesBefore_ = 0; // LFs before numberedPos_
    size_t numberedPos_ = 0;

    std::string longLine_; // the start of a line longer than the buffer
    bool longLineMatched_ = false;
    int64_t longLineNumber_ = 0;
    int64_t count_ = 0;
};

} // namespace engine

} // namespace ferrolux
