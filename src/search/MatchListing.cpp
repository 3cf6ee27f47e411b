#include "search/MatchListing.h"

#include "engine/CharSet.h"
#include "engine/Searcher.h"
#include "platform/DisplayText.h"
#include "platform/posix/OpenPath.h"
#include "search/BinaryScan.h"
#include "search/GrepEngine.h"
#include "search/TextDecoding.h"

namespace ferrolux {
namespace {

constexpr size_t kMaxListedLine = 4096;
// Characters kept before the first match of a long line: the match in sight
// at the start of the list's column, with a little of what leads to it.
constexpr size_t kLeadBeforeMatch = 30;
// More separate matches in one line than anyone reads; the rest of the line
// is shown without colour.
constexpr size_t kMaxSpansPerLine = 1024;

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Moves a cut back to the start of a UTF-8 character, so the kept part never
// grows. Text that is not UTF-8 has no longer sequences, so at most three
// bytes move.
size_t previousCharacterStart(std::string_view text, size_t cut) {
    for (int step = 0; step < 3 && cut > 0 && cut < text.size() && isContinuationByte(text[cut]);
         ++step)
        --cut;
    return cut;
}

// The part of a line that is listed: all of it, or for a line longer than
// kMaxListedLine bytes, kMaxListedLine bytes at most from a little before its
// first match (at matchStart), cut between characters.
engine::Span keptPart(std::string_view text, size_t matchStart) {
    if (text.size() <= kMaxListedLine) return {0, text.size()};
    size_t first = std::min(matchStart, text.size());
    for (size_t n = 0; n < kLeadBeforeMatch && first > 0; ++n)
        first -= engine::characterLengthBefore(text.data(), first);
    const size_t end = previousCharacterStart(text, std::min(first + kMaxListedLine, text.size()));
    return {first, end};
}

// Keeps the part of the line and its spans, and marks the cuts.
void keep(MatchLine& line, engine::Span part) {
    if (part.start == 0 && part.end == line.Text.size()) return;
    line.CutBefore = part.start > 0;
    line.Truncated = part.end < line.Text.size();
    line.Text = line.Text.substr(part.start, part.end - part.start);
    std::vector<MatchSpan> kept;
    for (const MatchSpan& span : line.Spans) {
        const size_t start = std::max<size_t>(span.start, part.start);
        const size_t end = std::min<size_t>(span.end, part.end);
        if (start < end) kept.push_back({uint32_t(start - part.start), uint32_t(end - part.start)});
    }
    line.Spans = std::move(kept);
}

// Adds a span, joined to the last one when they touch.
void addSpan(std::vector<MatchSpan>& spans, size_t start, size_t end) {
    if (!spans.empty() && spans.back().end == start)
        spans.back().end = uint32_t(end);
    else
        spans.push_back({uint32_t(start), uint32_t(end)});
}

// Finds the matches of each listed line, so that they can be shown in
// colour, and keeps the part of a long line from a little before its first
// match. The pattern is compiled on the first line.
class LineMarker {
public:
    LineMarker(const std::string& searchPattern, bool caseSensitive)
        : searchPattern_(searchPattern), caseSensitive_(caseSensitive) {}

    void mark(MatchLine& line) {
        if (!compiled_) {
            std::string error;
            pattern_ = engine::compileForMemory(searchPattern_, caseSensitive_, error);
            compiled_ = true;
        }
        // The line as the engine delivered it, with its CR LF, so that a
        // pattern ending in a line end finds it here too.
        const std::string delivered = line.Text + "\r\n";
        const size_t size = line.Text.size();
        std::optional<engine::Span> match;
        if (pattern_) match = engine::Searcher::findIn(*pattern_, delivered, 0, delivered.size());
        const engine::Span part = keptPart(line.Text, match ? match->start : 0);
        while (match && match->start < part.end && line.Spans.size() < kMaxSpansPerLine) {
            const size_t end = std::min(match->end, part.end);
            if (match->start < end) addSpan(line.Spans, match->start, end);
            const size_t next = std::max(match->end, match->start + 1);
            if (next > size) break;
            match = engine::Searcher::findIn(*pattern_, delivered, next, delivered.size());
        }
        keep(line, part);
    }

private:
    const std::string& searchPattern_;
    bool caseSensitive_;
    bool compiled_ = false;
    engine::PatternHandle pattern_;
};

// Lines are searched again with the typed engine, over the file's text as
// counting saw it (UTF-16 files decoded).
std::vector<MatchLine> listTextMatches(GrepEngine& engine, const std::string& path,
                                       const std::string& searchPattern, int caseFlag,
                                       int32_t maxMatches, const std::atomic<bool>* cancel) {
    std::vector<MatchLine> lines;
    std::string error;
    const bool caseSensitive = caseFlag != GrepFalse;
    const engine::PatternHandle pattern =
        engine::compileForLines(searchPattern, caseSensitive, error);
    const int fd = maxMatches > 0 && pattern ? openRegularFile(path) : -1;
    if (fd < 0) return lines;
    LineMarker marker(searchPattern, caseSensitive);
    size_t held = 0;
    engine.searcher().forEachLine(
        pattern, textSourceOf(fd), cancel, [&](const engine::LineMatch& found) {
            MatchLine line;
            line.LineNumber = std::to_string(found.number);
            line.Text = std::string(found.text);
            marker.mark(line);
            held += listedBytes(line);
            lines.push_back(std::move(line));
            return int64_t(lines.size()) < maxMatches && held < MaxListedBytes;
        });
    return lines;
}

// Tabs would show as boxes or be swallowed by a table cell; blanks keep the
// line's layout readable.
QString shownPiece(std::string_view bytes) {
    QString text = displayText(bytes);
    text.replace(QLatin1Char('\t'), QLatin1String("    "));
    return text;
}

} // namespace

const std::string& ControlStripSet() {
    static const std::string set = [] {
        std::string codes;
        for (int c = 0; c < 32; ++c)
            if (c != 9 && c != 10 && c != 12 && c != 13) codes += char(c);
        return codes;
    }();
    return set;
}

std::vector<MatchLine> listFileMatches(GrepEngine& engine, const FileResult& row,
                                       const std::string& searchPattern, int caseFlag,
                                       int32_t maxMatches, int32_t maxMatchLen,
                                       const std::atomic<bool>* cancel) {
    if (row.Type != QLatin1String("B"))
        return listTextMatches(engine, row.fullPath(), searchPattern, caseFlag, maxMatches, cancel);
    std::vector<MatchLine> snippets =
        listBinaryMatches(engine, row.fullPath(), row.Size, searchPattern, caseFlag, maxMatches,
                          maxMatchLen, {}, cancel);
    // A snippet starts at most 30 characters before its match: keep its start.
    for (MatchLine& snippet : snippets)
        keep(snippet, keptPart(snippet.Text, 0));
    return snippets;
}

namespace {
const QString cutBeforeMark = QStringLiteral("\u2026 ");
const QString cutAfterMark = QStringLiteral(" \u2026");
} // namespace

QString withCutMarks(const MatchLine& line, QString text) {
    if (line.CutBefore) text.prepend(cutBeforeMark);
    if (line.Truncated) text += cutAfterMark;
    return text;
}

ShownLine shownLine(const MatchLine& line) {
    ShownLine shown;
    if (line.CutBefore) shown.text = cutBeforeMark;
    const std::string_view text = line.Text;
    size_t at = 0;
    for (const MatchSpan& span : line.Spans) {
        if (span.start < at || span.end <= span.start || span.end > text.size()) continue;
        shown.text += shownPiece(text.substr(at, span.start - at));
        const auto start = int(shown.text.size());
        shown.text += shownPiece(text.substr(span.start, span.end - span.start));
        shown.matches.emplace_back(start, int(shown.text.size()) - start);
        at = span.end;
    }
    shown.text += shownPiece(text.substr(at));
    if (line.Truncated) shown.text += cutAfterMark;
    return shown;
}

} // namespace ferrolux
