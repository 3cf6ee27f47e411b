#pragma once

#include "engine/ByteSource.h"
#include "engine/CompiledPattern.h"
#include "engine/LineSearch.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ferrolux::engine {

// A pattern compiled once; it never changes, so every thread may share it.
using PatternHandle = std::shared_ptr<const CompiledPattern>;

// Compiles a pattern (UTF-8) for text searched line by line, or for any bytes
// held in memory. Nothing, with the reason in `error`, when it is refused.
PatternHandle compileForLines(std::string_view pattern, bool caseSensitive, std::string& error);
PatternHandle compileForMemory(std::string_view pattern, bool caseSensitive, std::string& error);

// The typed face of the engine for one thread. It owns the read buffers, so
// a thread keeps one searcher for all its files; two threads never share one.
class Searcher {
public:
    using LineVisitor = std::function<bool(const LineMatch& line)>;

    explicit Searcher(const GrepLimits& limits = {}) : limits_(limits) {}

    // The number of matching lines in the bytes of source, or nothing when
    // cancel was raised before the end.
    std::optional<int64_t> countLines(const PatternHandle& pattern,
                                      std::unique_ptr<ByteSource> source,
                                      const std::atomic<bool>* cancel);
    // The same for a text whose first bytes the caller has read already:
    // they are searched where they lie (no copy), the rest read from rest
    // (nothing when head is the whole text).
    std::optional<int64_t> countLines(const PatternHandle& pattern, std::string_view head,
                                      std::unique_ptr<ByteSource> rest,
                                      const std::atomic<bool>* cancel);

    // Visits the matching lines in order, numbered, until visit returns
    // false. True when the source was searched to its end.
    bool forEachLine(const PatternHandle& pattern, std::unique_ptr<ByteSource> source,
                     const std::atomic<bool>* cancel, const LineVisitor& visit);

    // The leftmost match starting in [from, limit] of text held in memory;
    // the text around it is context for ^, $ and word boundaries.
    static std::optional<Span> findIn(const CompiledPattern& pattern, std::string_view text,
                                      size_t from, size_t limit);

    ReadBuffer& lineBuffer() { return lineBuffer_; }
    ReadBuffer& scanBuffer() { return scanBuffer_; }
    const GrepLimits& limits() const { return limits_; }
    void setLimits(const GrepLimits& limits) { limits_ = limits; }
    // Gives back what a very long line needed.
    void trimBuffers();

private:
    std::optional<int64_t> finishCount(LineSearch& search, const std::atomic<bool>* cancel);

    GrepLimits limits_;
    ReadBuffer lineBuffer_;
    ReadBuffer scanBuffer_;
};

} // namespace ferrolux::engine
