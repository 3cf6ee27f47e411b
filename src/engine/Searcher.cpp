#include "engine/Searcher.h"

namespace ferrolux::engine {

PatternHandle compileForLines(std::string_view pattern, bool caseSensitive, std::string& error) {
    return CompiledPattern::compile(pattern, caseSensitive, PatternUse::Lines, error);
}

PatternHandle compileForMemory(std::string_view pattern, bool caseSensitive, std::string& error) {
    return CompiledPattern::compile(pattern, caseSensitive, PatternUse::InMemory, error);
}

std::optional<int64_t> Searcher::countLines(const PatternHandle& pattern,
                                            std::unique_ptr<ByteSource> source,
                                            const std::atomic<bool>* cancel) {
    LineSearch search(pattern, std::move(source), lineBuffer_, limits_, cancel);
    return finishCount(search, cancel);
}

std::optional<int64_t> Searcher::countLines(const PatternHandle& pattern, std::string_view head,
                                            std::unique_ptr<ByteSource> rest,
                                            const std::atomic<bool>* cancel) {
    LineSearch search(pattern, head, std::move(rest), lineBuffer_, limits_, cancel);
    return finishCount(search, cancel);
}

std::optional<int64_t> Searcher::finishCount(LineSearch& search, const std::atomic<bool>* cancel) {
    const int64_t count = search.countRemaining();
    trimBuffers();
    if (cancel && cancel->load(std::memory_order_relaxed)) return std::nullopt;
    return count;
}

bool Searcher::forEachLine(const PatternHandle& pattern, std::unique_ptr<ByteSource> source,
                           const std::atomic<bool>* cancel, const LineVisitor& visit) {
    LineSearch search(pattern, std::move(source), lineBuffer_, limits_, cancel);
    bool whole = true;
    while (const auto line = search.next()) {
        if (!visit(*line)) {
            whole = false;
            break;
        }
    }
    trimBuffers();
    return whole && !(cancel && cancel->load(std::memory_order_relaxed));
}

std::optional<Span> Searcher::findIn(const CompiledPattern& pattern, std::string_view text,
                                     size_t from, size_t limit) {
    return pattern.find(text, from, limit);
}

void Searcher::trimBuffers() {
    if (lineBuffer_.size() > limits_.chunkSize) lineBuffer_.resize(limits_.chunkSize, 0);
}

} // namespace ferrolux::engine
