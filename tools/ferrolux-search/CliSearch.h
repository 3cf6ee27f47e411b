#pragma once

#include "CliOptions.h"

#include <cstdio>
#include <functional>

namespace ferrolux {

// Exit statuses of the command line.
enum CliExit : int { kFoundMatches = 0, kNoMatches = 1, kRefused = 2 };

// Where a search from the command line writes: rows and lines to `out`,
// messages and the summary to `err`.
struct CliStreams {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    // Runs before every directory and every file the walk reports, on the
    // walking thread; tests change the tree here while the search runs.
    std::function<void()> beforeEachEntry;
};

// Runs one search as the Search button would and writes the rows to stdout,
// messages and the summary to stderr.
int runCliSearch(const CliOptions& options, const CliStreams& streams = {});

} // namespace ferrolux
