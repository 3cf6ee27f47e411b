#pragma once

#include "search/FileResult.h"

#include <string>

namespace ferrolux {

// How a row names its file to the user: the full path, or for a file from a
// Zip archive its name followed by " (in " + the archive's path + ")".
std::string displayName(const FileResult& row);

} // namespace ferrolux
