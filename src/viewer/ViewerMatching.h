#pragma once

#include "viewer/ViewerDocument.h"
#include "viewer/ViewerMatchTable.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ferrolux {

class GrepEngine;

// Characters of the viewer's text control to give the highlight colour.
struct ColourRange {
    int32_t start = 0;
    int32_t length = 0;

    bool operator==(const ColourRange&) const = default;
};

// The next matching line as the engine's file search delivers it
// ("12:text\r\n"), or nothing at the end.
using MatchingLineSource = std::function<std::optional<std::string_view>()>;
// The next match [start, end) in the searched text at or after `from`.
using MatchSource = std::function<std::optional<std::pair<size_t, size_t>>(size_t from)>;

// Text mode: records every matching line (up to maxMatches) in the table and
// returns the whole lines to colour. Lines the document does not have are
// skipped (the file changed between the two reads).
std::vector<ColourRange> fillTextMatches(const TextModeDocument& doc,
                                         const MatchingLineSource& nextLine, int32_t maxMatches,
                                         ViewerMatchTable& table);

// Binary mode: locates each match of at most maxMatchLen characters in the
// shown text again, "?" standing for any character, records it in the table
// and returns the characters to colour, in control offsets.
std::vector<ColourRange> fillBinaryMatches(std::string_view shownText, const MatchSource& nextMatch,
                                           int32_t maxMatches, int32_t maxMatchLen,
                                           ViewerMatchTable& table);

// The two above, with the grep engine finding the matches.
std::vector<ColourRange> findTextMatches(GrepEngine& engine, const std::string& path,
                                         const std::string& pattern, int caseFlag,
                                         const TextModeDocument& doc, int32_t maxMatches,
                                         ViewerMatchTable& table);
std::vector<ColourRange> findBinaryMatches(GrepEngine& engine, std::string_view shownText,
                                           const std::string& pattern, int caseFlag,
                                           int32_t maxMatches, int32_t maxMatchLen,
                                           ViewerMatchTable& table);

} // namespace ferrolux
