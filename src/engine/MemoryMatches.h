#pragma once

#include "engine/CompiledPattern.h"

#include <optional>
#include <string_view>

namespace ferrolux::engine {

// The leftmost match starting in [from, limit] of text held in memory; the
// text around it is context for ^, $ and word boundaries. stepOverEmpty:
// the previous match was empty and ended at from, so the search starts one
// character further on (a loop over the matches ends). checkedLine
// remembers a line found to hold every other '&' conjunct. Nothing once
// cancel is raised.
std::optional<Span> findMatchFrom(const CompiledPattern& pattern, std::string_view text,
                                  size_t from, size_t limit, bool stepOverEmpty, Span* checkedLine,
                                  const CancelFlag* cancel = nullptr);

// The matches of text held in memory, leftmost first, for a loop that
// searches on from the end of each match it takes.
class MemoryMatches {
public:
    explicit MemoryMatches(const CompiledPattern& pattern, const CancelFlag* cancel = nullptr)
        : pattern_(pattern), cancel_(cancel) {}

    // The next match starting in [from, limit] of text.
    std::optional<Span> next(std::string_view text, size_t from, size_t limit);
    // The last match is to be found again (when more text has come).
    void findAgain() { emptyAt_.reset(); }
    // The text's first `count` bytes were dropped (the rest moved to the
    // front) and more may follow it: what was remembered of it moves too.
    void dropFront(size_t count);

private:
    const CompiledPattern& pattern_;
    const CancelFlag* cancel_;
    std::optional<size_t> emptyAt_; // the last match was empty, here
    Span checkedLine_;
};

} // namespace ferrolux::engine
