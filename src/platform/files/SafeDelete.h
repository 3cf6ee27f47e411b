#pragma once

#include <string>

namespace ferrolux {

// Deletes a file, a symbolic link or a folder with everything in it, silently.
// Symbolic links are removed, never followed: a link inside the folder, or a
// folder that was replaced by a link, leaves the files it points at alone.
// Returns true when nothing is left at the path.
bool deleteTree(const std::string& path);

} // namespace ferrolux
