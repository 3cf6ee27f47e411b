#pragma once

#include <string>

namespace ferrolux {

// The folder under which archives are extracted: a private folder of this
// process (mode 0700) inside the system temporary folder, created on first
// use and removed when the process exits, or is ended by SIGTERM, SIGINT or
// SIGHUP once preparePrivateFolders() has run. A shared temporary folder
// would let another user plant a link under an archive's name. Ends in "/";
// empty when it cannot be created.
std::string TempFolderPath();

// The system temporary folder: TMPDIR when it names a folder, else /tmp.
std::string systemTempFolder();

// Start-up of a program that extracts archives: removes the private folder
// when a termination signal ends the process, and reclaims the private
// folders of Ferrolux processes that are gone (ended by SIGKILL or a crash).
// Call it first in main, before any thread starts.
void preparePrivateFolders();

// Deletes the private folders in the system temporary folder whose owner is
// gone: a running Ferrolux holds a lock inside its folder for as long as it
// lives, so its folder is never touched. Only this user's folders are
// considered. Returns how many were removed.
int reclaimAbandonedFolders();

// Creates the extraction folder of one archive inside TempFolderPath(), named
// after the archive's file name; when that name is taken, "NAME (2)",
// "NAME (3)", ... so that two archives of the same name never share a folder.
// Returns the folder's path (no trailing "/"), or empty when none could be
// created.
std::string createExtractionFolder(const std::string& archivePath);

// Whether path names a folder directly inside TempFolderPath(): the only
// folders the cleanups may delete.
bool isExtractionFolder(const std::string& path);

// Deletes an extraction folder with everything in it, working inside the
// private folder held open, so that no link anywhere on the path is ever
// followed. Anything that is no extraction folder is left alone.
bool deleteExtractionFolder(const std::string& path);

} // namespace ferrolux
