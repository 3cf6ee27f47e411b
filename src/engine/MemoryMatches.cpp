#include "engine/MemoryMatches.h"

#include "engine/CharSet.h"

namespace ferrolux::engine {

std::optional<Span> findMatchFrom(const CompiledPattern& pattern, std::string_view text,
                                  size_t from, size_t limit, bool stepOverEmpty, Span* checkedLine,
                                  const CancelFlag* cancel) {
    if (from > text.size() || limit < from || limit > text.size()) return std::nullopt;
    if (stepOverEmpty) {
        if (from == text.size()) return std::nullopt;
        from += characterLength(text.data(), text.size(), from);
        if (from > limit) return std::nullopt;
    }
    return pattern.find(text, from, limit, checkedLine, cancel);
}

std::optional<Span> MemoryMatches::next(std::string_view text, size_t from, size_t limit) {
    const std::optional<Span> match =
        findMatchFrom(pattern_, text, from, limit, emptyAt_ == from, &checkedLine_, cancel_);
    if (match) emptyAt_ = match->start == match->end ? std::optional(match->end) : std::nullopt;
    return match;
}

void MemoryMatches::dropFront(size_t count) {
    if (emptyAt_) emptyAt_ = *emptyAt_ >= count ? std::optional(*emptyAt_ - count) : std::nullopt;
    // The line's end may lie in text that comes later: check it again.
    checkedLine_ = {};
}

} // namespace ferrolux::engine
