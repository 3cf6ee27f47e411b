#include "viewer/ViewerHighlights.h"

#include <gtest/gtest.h>
#include <string>

namespace ferrolux {
namespace {

using Runs = std::vector<std::pair<qsizetype, qsizetype>>;

Runs runsOf(const ViewerHighlights& highlights, const RowSpan& span, const std::string& bytes) {
    return highlights.runsIn(span, decodeRow(bytes));
}

// Text mode: a match names its line, and every row of that line is coloured
// whole, except an empty one (nothing to draw).
TEST(ViewerHighlights, TextModeColoursTheRowsOfMatchedLinesWhole) {
    ViewerHighlights highlights;
    highlights.add({{2, 0}, {5, 0}});
    struct Case {
        RowSpan span;
        std::string bytes;
        Runs runs;
    } cases[] = {
        {{10, 13, 14, 2}, "abc", {{0, 3}}},
        {{14, 17, 18, 3}, "def", {}},
        {{20, 20, 21, 5}, "", {}},
        // The second row of a cut line: still the matched line.
        {{30, 35, 35, 5}, "caf\xC3\xA9", {{0, 4}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runsOf(highlights, c.span, c.bytes), c.runs) << c.bytes;
}

// Binary mode: exactly the matched bytes, in characters of the row, cut at
// the row's ends; matches may come in several batches.
TEST(ViewerHighlights, BinaryModeColoursTheMatchedBytesOfEachRow) {
    ViewerHighlights highlights;
    highlights.setWholeLines(false);
    // The text from offset 100 is "h\xC3\xA9llo world" ('\xC3\xA9' is one character).
    const std::string text = "h\xC3\xA9llo world";
    highlights.add({{96, 7}, {104, 1}});
    highlights.add({{106, 3}, {109, 20}});
    struct Case {
        RowSpan span;
        std::string bytes;
        Runs runs;
    } cases[] = {
        // The first match begins before the row, the last ends after it.
        {{100, 112, 113, 0}, text, {{0, 2}, {3, 1}, {5, 3}, {8, 3}}},
        // A row from the first 'l' on: the first match ends where it begins.
        {{103, 112, 113, 0}, text.substr(3), {{1, 1}, {3, 3}, {6, 3}}},
        {{90, 96, 96, 0}, "abcdef", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runsOf(highlights, c.span, c.bytes), c.runs) << c.span.start;
    highlights.clear();
    EXPECT_EQ(runsOf(highlights, cases[0].span, text), Runs{});
}

} // namespace
} // namespace ferrolux
