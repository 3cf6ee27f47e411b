#include "viewer/ViewerMatching.h"

#include "search/GrepEngine.h"
#include "viewer/BinaryText.h"

#include <charconv>

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

} // namespace

std::vector<ColourRange> fillTextMatches(const TextModeDocument& doc,
                                         const MatchingLineSource& nextLine, int32_t maxMatches,
                                         ViewerMatchTable& table) {
    table.binaryMode = false;
    table.count = 0;
    std::vector<ColourRange> ranges;
    const int32_t limit = viewerMatchLimit(maxMatches);
    while (table.count < limit) {
        const std::optional<std::string_view> line = nextLine();
        if (!line) break;
        const std::optional<int64_t> n = lineNumberOf(*line);
        if (!n || size_t(*n) > doc.lineStarts.size()) continue;
        const size_t index = size_t(*n - 1);
        table.positions[table.count] = int32_t(index);
        table.lineStarts[table.count] = doc.lineStarts[index];
        ++table.count;
        ranges.push_back({doc.lineStarts[index], doc.lineLength(index)});
    }
    return ranges;
}

std::vector<ColourRange> fillBinaryMatches(std::string_view shownText, const MatchSource& nextMatch,
                                           int32_t maxMatches, int32_t maxMatchLen,
                                           ViewerMatchTable& table) {
    table.binaryMode = true;
    table.count = 0;
    std::vector<ColourRange> ranges;
    const ControlOffsets offsets(shownText);
    const int32_t limit = viewerMatchLimit(maxMatches);
    size_t searchStart = 0;
    size_t from = 0;
    bool first = true;
    while (table.count < limit) {
        const auto match = nextMatch(from);
        if (!match) break;
        const auto [start, end] = *match;
        // A match that does not move on would repeat forever: end the scan.
        if (start < from || end < start || end > shownText.size() || (!first && end <= from)) break;
        first = false;
        const size_t len = end - start;
        if (maxMatchLen >= 0 && len <= size_t(maxMatchLen)) {
            const size_t p = findWithWildcards(shownText, shownText.substr(start, len), searchStart)
                                 .value_or(start);
            const int32_t controlStart = offsets.at(p);
            table.positions[table.count++] = controlStart;
            ranges.push_back({controlStart, offsets.at(p + len) - controlStart});
            searchStart = p + len;
        } else {
            searchStart += len;
        }
        from = end;
    }
    return ranges;
}

std::vector<ColourRange> findTextMatches(GrepEngine& engine, const std::string& path,
                                         const std::string& pattern, int caseFlag,
                                         const TextModeDocument& doc, int32_t maxMatches,
                                         ViewerMatchTable& table) {
    engine.SCompileRGrep(pattern, caseFlag);
    engine.SFileOpen(path);
    engine.SFileSetFlags(GrepFalse, GrepFalse, GrepTrue, GrepFalse, GrepFalse, GrepTrue);
    auto ranges = fillTextMatches(
        doc, [&] { return engine.SFileRGrep(); }, maxMatches, table);
    engine.SFileClose();
    return ranges;
}

std::vector<ColourRange> findBinaryMatches(GrepEngine& engine, std::string_view shownText,
                                           const std::string& pattern, int caseFlag,
                                           int32_t maxMatches, int32_t maxMatchLen,
                                           ViewerMatchTable& table) {
    RGrepState state;
    if (engine.CompileRGrep(pattern, caseFlag, state) != 0) {
        table.binaryMode = true;
        table.count = 0;
        return {};
    }
    const MatchSource next = [&](size_t from) -> std::optional<std::pair<size_t, size_t>> {
        if (engine.RGrep(shownText, shownText.data() + from, state) != 1) return std::nullopt;
        return std::pair(size_t(state.matchStart - shownText.data()),
                         size_t(state.matchEnd - shownText.data()));
    };
    return fillBinaryMatches(shownText, next, maxMatches, maxMatchLen, table);
}

} // namespace ferrolux
