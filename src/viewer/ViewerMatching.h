#pragma once

#include "engine/ByteSource.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>

namespace ferrolux {

// A match the viewer colours. Text mode: the 0-based line, coloured whole
// (length unused). Binary mode: the offset and length in the shown text.
struct FoundMatch {
    int64_t position = 0;
    int64_t length = 0;

    bool operator==(const FoundMatch&) const = default;
};
using MatchSink = std::function<void(const FoundMatch&)>;

// The next matching line as the engine's file search delivers it
// ("12:text\r\n"), or nothing at the end.
using MatchingLineSource = std::function<std::optional<std::string_view>()>;

// Text mode: hands on the line of each matching line, up to maxMatches.
// Returns how many it handed on.
int32_t collectTextMatches(const MatchingLineSource& nextLine, int32_t maxMatches,
                           const MatchSink& found);

// The leftmost match [start, end) in text that starts in [from, limit].
// textMoved: the text is not where it was at the previous call.
using WindowMatchFinder = std::function<std::optional<std::pair<size_t, size_t>>(
    std::string_view text, size_t from, size_t limit, bool textMoved)>;

// How much of the shown text a binary-mode scan holds at once. A match that
// starts in the window may run on for `lookahead` bytes; `keepBefore` bytes
// before the search position stay as context when the window moves on.
// The lookahead must be smaller than the window.
struct BinaryScanWindow {
    size_t size = size_t(16) << 20;
    size_t lookahead = size_t(1) << 20;
    size_t keepBefore = size_t(1) << 20;
};

// Binary mode: finds the matches in the shown text (read from its start),
// window by window so that memory stays bounded; each match of at most
// maxMatchLen characters is located again from the search start, a "?"
// standing for any character, and handed on. A longer match is neither
// handed on nor counted, and does not stop the scan. Returns the count.
int32_t collectBinaryMatches(engine::ByteSource& shownText, const WindowMatchFinder& find,
                             int32_t maxMatches, int32_t maxMatchLen, const MatchSink& found,
                             const BinaryScanWindow& window = {},
                             const std::atomic<bool>* cancel = nullptr);

} // namespace ferrolux
