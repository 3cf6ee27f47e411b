#include "search/MatchListing.h"

#include "engine/Searcher.h"
#include "platform/posix/OpenPath.h"
#include "search/BinaryScan.h"
#include "search/GrepEngine.h"
#include "search/TextDecoding.h"

namespace ferrolux {
namespace {

constexpr size_t kMaxListedLine = 4096;

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Moves a cut to the start of a UTF-8 character: forward (the cut before
// the kept part) or back (the cut after it), so the kept part never grows.
// Text that is not UTF-8 has no longer sequences, so at most three bytes move.
size_t nextCharacterStart(std::string_view text, size_t cut) {
    for (int step = 0; step < 3 && cut < text.size() && isContinuationByte(text[cut]); ++step)
        ++cut;
    return cut;
}

size_t previousCharacterStart(std::string_view text, size_t cut) {
    for (int step = 0; step < 3 && cut > 0 && cut < text.size() && isContinuationByte(text[cut]);
         ++step)
        --cut;
    return cut;
}

// Keeps at most kMaxListedLine bytes of a line: the part around its first
// match (from `from` to `to`), the rest of the room shared out on both sides.
// The cuts fall between characters and are marked on the line.
void keepAround(MatchLine& line, size_t from, size_t to) {
    const std::string_view text = line.Text;
    if (text.size() <= kMaxListedLine) return;
    const size_t room = kMaxListedLine - std::min(to - from, kMaxListedLine);
    const size_t start = std::min(from - std::min(from, room / 2), text.size() - kMaxListedLine);
    const size_t first = nextCharacterStart(text, start);
    const size_t end = previousCharacterStart(text, start + kMaxListedLine);
    line.CutBefore = first > 0;
    line.Truncated = end < text.size();
    line.Text = std::string(text.substr(first, end - first));
}

// Finds where the first match of a long line lies, so that the part of the
// line that is kept shows it. The pattern is compiled on the first long line.
class LongLineCutter {
public:
    LongLineCutter(const std::string& searchPattern, bool caseSensitive)
        : searchPattern_(searchPattern), caseSensitive_(caseSensitive) {}

    void cut(MatchLine& line) {
        if (line.Text.size() <= kMaxListedLine) return;
        if (!compiled_) {
            std::string error;
            pattern_ = engine::compileForMemory(searchPattern_, caseSensitive_, error);
            compiled_ = true;
        }
        // The line as the engine delivered it, with its CR LF, so that a
        // pattern ending in a line end finds it here too.
        const std::string delivered = line.Text + "\r\n";
        std::optional<engine::Span> match;
        if (pattern_) match = engine::Searcher::findIn(*pattern_, delivered, 0, delivered.size());
        if (!match) match = engine::Span{0, 0};
        const size_t end = std::min(match->end, line.Text.size());
        keepAround(line, std::min(match->start, end), end);
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
                                       int32_t maxMatches) {
    std::vector<MatchLine> lines;
    std::string error;
    const bool caseSensitive = caseFlag != GrepFalse;
    const engine::PatternHandle pattern =
        engine::compileForLines(searchPattern, caseSensitive, error);
    const int fd = maxMatches > 0 && pattern ? openRegularFile(path) : -1;
    if (fd < 0) return lines;
    LongLineCutter cutter(searchPattern, caseSensitive);
    engine.searcher().forEachLine(pattern, textSourceOf(fd), nullptr,
                                  [&](const engine::LineMatch& found) {
                                      MatchLine line;
                                      line.LineNumber = std::to_string(found.number);
                                      line.Text = std::string(found.text);
                                      cutter.cut(line);
                                      lines.push_back(std::move(line));
                                      return int64_t(lines.size()) < maxMatches;
                                  });
    return lines;
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
                                       int32_t maxMatches, int32_t maxMatchLen) {
    if (row.Type != QLatin1String("B"))
        return listTextMatches(engine, row.fullPath(), searchPattern, caseFlag, maxMatches);
    std::vector<MatchLine> snippets = listBinaryMatches(
        engine, row.fullPath(), row.Size, searchPattern, caseFlag, maxMatches, maxMatchLen);
    // A snippet starts at most 30 characters before its match: keep its start.
    for (MatchLine& snippet : snippets)
        keepAround(snippet, 0, 0);
    return snippets;
}

} // namespace ferrolux
