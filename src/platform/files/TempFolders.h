#pragma once

#include <string>

namespace ferrolux {

// The folder under which archives are extracted: a private folder of this
// process (mode 0700) inside the system temporary folder, created on first
// use and removed when the process exits. A shared temporary folder would let
// another user plant a link under an archive's name. Ends in "/"; empty when
// it cannot be created.
std::string TempFolderPath();

// Creates the extraction folder of one archive inside TempFolderPath(), named
// after the archive's file name; when that name is taken, "NAME (2)",
// "NAME (3)", ... so that two archives of the same name never share a folder.
// Returns the folder's path (no trailing "/"), or empty when none could be
// created.
std::string createExtractionFolder(const std::string& archivePath);

// Whether path names a folder directly inside TempFolderPath(): the only
// folders the cleanups may delete.
bool isExtractionFolder(const std::string& path);

} // namespace ferrolux
