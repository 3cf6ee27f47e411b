#pragma once

#include <string>

namespace ferrolux {

// The target of a symbolic link (so that replacing a file keeps the link),
// or the path itself when it is no link or cannot be resolved.
std::string resolveLink(const std::string& path);

// The folder part of a path ("." for a bare name).
std::string folderOf(const std::string& path);

// Makes a rename in the folder of path durable.
void syncFolder(const std::string& path);

} // namespace ferrolux
