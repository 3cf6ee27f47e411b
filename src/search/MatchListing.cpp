#include "search/MatchListing.h"

#include "search/GrepEngine.h"
#include "search/BinaryScan.h"

namespace ferrolux {
namespace {

constexpr size_t kMaxListedLine = 4096;

// Cuts a very long line at a UTF-8 character boundary, keeping the list usable.
void cutLongLine(MatchLine& line) {
    if (line.Text.size() <= kMaxListedLine) return;
    size_t cut = kMaxListedLine;
    while (cut > 0 && (static_cast<unsigned char>(line.Text[cut]) & 0xC0) == 0x80)
        --cut;
    line.Text.resize(cut);
    line.Truncated = true;
}

// "12:text\r\n" -> LineNumber "12", Text "text".
MatchLine splitNumberedLine(std::string_view delivered) {
    if (delivered.size() >= 2) delivered.remove_suffix(2);
    MatchLine line;
    const std::string_view::size_type colon = delivered.find(':');
    line.LineNumber = std::string(delivered.substr(0, colon));
    if (colon != std::string_view::npos) line.Text = std::string(delivered.substr(colon + 1));
    cutLongLine(line);
    return line;
}

std::vector<MatchLine> listTextMatches(GrepEngine& engine, const std::string& path,
                                       const std::string& searchPattern, int caseFlag,
                                       int32_t maxMatches) {
    std::vector<MatchLine> lines;
    engine.SCompileRGrep(searchPattern, caseFlag);
    engine.SFileOpen(path);
    while (int64_t(lines.size()) < maxMatches) {
        engine.SFileSetFlags(GrepFalse, GrepFalse, GrepTrue, GrepFalse, GrepFalse, GrepTrue);
        const std::optional<std::string_view> delivered = engine.SFileRGrep();
        if (!delivered) break;
        lines.push_back(splitNumberedLine(*delivered));
    }
    engine.SFileClose();
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
    for (MatchLine& snippet : snippets)
        cutLongLine(snippet);
    return snippets;
}

} // namespace ferrolux
