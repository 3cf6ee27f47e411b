#include "viewer/ViewerMatching.h"

#include "viewer/BinaryText.h"
#include "viewer/ViewerMatchTable.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace ferrolux {
namespace {

// The 1-based number before the first ":" of an engine line.
std::optional<int64_t> lineNumberOf(std::string_view line) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return std::nullopt;
    int64_t n = 0;
    const auto [end, ec] = std::from_chars(line.data(), line.data() + colon, n);
    if (ec != std::errc() || end != line.data() + colon || n < 1) return std::nullopt;
    return n;
}

// The shown text held for a binary-mode scan: [base, base + bytes.size()).
struct ScanWindow {
    std::string bytes;
    int64_t base = 0;
    bool atEnd = false;

    int64_t end() const { return base + int64_t(bytes.size()); }

    void fill(engine::ByteSource& source, size_t size) {
        while (!atEnd && bytes.size() < size) {
            const size_t old = bytes.size();
            bytes.resize(size);
            const size_t n = source.read(bytes.data() + old, size - old);
            bytes.resize(old + n);
            atEnd = n == 0;
        }
    }

    void dropBefore(int64_t offset) {
        const int64_t drop = std::clamp<int64_t>(offset - base, 0, int64_t(bytes.size()));
        bytes.erase(0, size_t(drop));
        base += drop;
    }
};

} // namespace

int32_t collectTextMatches(const MatchingLineSource& nextLine, int32_t maxMatches,
                           const MatchSink& found) {
    int32_t count = 0;
    const int32_t limit = viewerMatchLimit(maxMatches);
    while (count < limit) {
        const std::optional<std::string_view> line = nextLine();
        if (!line) break;
        const std::optional<int64_t> n = lineNumberOf(*line);
        if (!n) continue;
        found({*n - 1, 0});
        ++count;
    }
    return count;
}

int32_t collectBinaryMatches(engine::ByteSource& shownText, const WindowMatchFinder& find,
                             int32_t maxMatches, int32_t maxMatchLen, const MatchSink& found,
                             const BinaryScanWindow& window, const std::atomic<bool>* cancel) {
    ScanWindow held;
    held.fill(shownText, window.size);
    // Moving on must drop something, or a full window would never move.
    const int64_t keepBefore = std::min<int64_t>(
        int64_t(window.keepBefore), int64_t(window.size) - int64_t(window.lookahead) - 1);
    const int32_t limit = viewerMatchLimit(maxMatches);
    int32_t count = 0;
    int64_t from = 0;        // where the engine searches on
    int64_t searchStart = 0; // where the matched text is located again
    int64_t emptyAt = -1;    // an empty match found here already
    bool cutShort = false;   // the last match reached the end of the window
    bool moved = true;
    while (count < limit && !(cancel && cancel->load(std::memory_order_relaxed))) {
        // Matches must start where the text after them is held too.
        const int64_t lastStart = held.atEnd ? held.end() : held.end() - int64_t(window.lookahead);
        if (from <= lastStart) {
            const auto match =
                find(held.bytes, size_t(from - held.base), size_t(lastStart - held.base), moved);
            moved = false;
            if (match) {
                const int64_t start = held.base + int64_t(match->first);
                const int64_t end = held.base + int64_t(match->second);
                if (start < from || end < start || end > held.end()) break;
                if (start == end && start == emptyAt) {
                    from = start + 1;
                    continue;
                }
                if (start == end) emptyAt = start;
                const int64_t length = end - start;
                // A match that reaches the end of the window may go on past
                // it; one found right where it stopped is the rest of it.
                const bool part = (!held.atEnd && end == held.end()) || (cutShort && start == from);
                cutShort = !held.atEnd && end == held.end();
                if (!part && maxMatchLen >= 0 && length <= maxMatchLen) {
                    const std::string_view text = held.bytes;
                    const size_t p =
                        findWithWildcards(text,
                                          text.substr(size_t(start - held.base), size_t(length)),
                                          size_t(std::max(searchStart, held.base) - held.base))
                            .value_or(size_t(start - held.base));
                    const int64_t position = held.base + int64_t(p);
                    found({position, length});
                    ++count;
                    searchStart = position + length;
                } else {
                    searchStart += length;
                }
                from = end;
                continue;
            }
            if (held.atEnd) break;
            from = lastStart + 1;
            cutShort = false;
        } else if (held.atEnd) {
            break;
        }
        held.dropBefore(from - keepBefore);
        held.fill(shownText, window.size);
        moved = true;
    }
    return count;
}

} // namespace ferrolux
