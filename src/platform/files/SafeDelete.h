#pragma once

#include <string>

namespace ferrolux {

// Deletes the entry `name` of the open folder `folderFd`: a file, a symbolic
// link, or a folder with everything in it, silently. Everything is reached
// through descriptors of the folders above it (openat/unlinkat), and links
// are removed, never followed, so nothing outside the folder is ever
// touched, whatever is renamed or replaced meanwhile. Returns true when
// nothing is left under that name.
bool deleteEntryAt(int folderFd, const std::string& name);

// Deletes everything inside the open folder, which itself stays.
void deleteContentsAt(int folderFd);

} // namespace ferrolux
