#pragma once

#include "search/FileResult.h"

#include <QString>
#include <atomic>
#include <string>
#include <utility>
#include <vector>

namespace ferrolux {

class GrepEngine;

// The 28 control characters (0-8, 11, 14-31) removed from binary snippets.
const std::string& ControlStripSet();

// Lists the matches of one result row again: numbered lines of a text file,
// or snippets 30 characters either side of each match of a binary file, at
// most maxMatches rows and no more than MaxListedBytes hold (fewer rows than
// the row's count: the list was cut), each with where its matches lie. Of a
// line longer than 4 KiB only 4 KiB from 30 characters before its first
// match are kept, and the cuts are marked. A listing stopped through cancel
// ends early with the lines found so far.
std::vector<MatchLine> listFileMatches(GrepEngine& engine, const FileResult& row,
                                       const std::string& searchPattern, int caseFlag,
                                       int32_t maxMatches, int32_t maxMatchLen,
                                       const std::atomic<bool>* cancel = nullptr);

// A listed line as the match list and the printed report show it: its text
// for display, tabs as four blanks, cuts marked with an ellipsis, and where
// its matches lie in that text (start and length in UTF-16 code units).
struct ShownLine {
    QString text;
    std::vector<std::pair<int, int>> matches;
};
ShownLine shownLine(const MatchLine& line);

// The marks of a cut line around its text (the printed report keeps the
// line's own tabs, so it marks the cuts without the rest of shownLine).
QString withCutMarks(const MatchLine& line, QString text);

} // namespace ferrolux
