#pragma once

#include "search/FileResult.h"

#include <string>
#include <vector>

namespace ferrolux {

class GrepEngine;

// The 28 control characters (0-8, 11, 14-31) removed from binary snippets.
const std::string& ControlStripSet();

// Lists the matches of one result row again: numbered lines of a text file,
// or snippets 30 characters either side of each match of a binary file, at
// most maxMatches rows. Of a line longer than 4 KiB only the part around its
// first match is kept, and the cuts are marked.
std::vector<MatchLine> listFileMatches(GrepEngine& engine, const FileResult& row,
                                       const std::string& searchPattern, int caseFlag,
                                       int32_t maxMatches, int32_t maxMatchLen);

} // namespace ferrolux
