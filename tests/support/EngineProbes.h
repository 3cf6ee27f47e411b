#pragma once

#include "search/GrepEngine.h"

#include <string>
#include <utility>
#include <vector>

namespace ferrolux::test {

using Matches = std::vector<std::pair<size_t, size_t>>;

// Every leftmost match of pattern in text held in memory, as [start, end)
// offsets, each search going on from the end of the previous match.
Matches matchesOf(const std::string& pattern, const std::string& text, bool caseSensitive = true);

// The matching lines of a file as the engine's own file search counts them.
int64_t countLines(GrepEngine& engine, const std::string& path, const std::string& pattern,
                   int caseFlag = GrepTrue);

} // namespace ferrolux::test
