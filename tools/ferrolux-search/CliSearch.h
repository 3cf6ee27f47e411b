#pragma once

#include "CliOptions.h"

namespace ferrolux {

// Exit statuses of the command line.
enum CliExit : int { kFoundMatches = 0, kNoMatches = 1, kRefused = 2 };

// Runs one search as the Search button would and writes the rows to stdout,
// messages and the summary to stderr.
int runCliSearch(const CliOptions& options);

} // namespace ferrolux
