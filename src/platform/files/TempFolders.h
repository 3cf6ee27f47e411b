#pragma once

#include "platform/posix/UniqueFd.h"

#include <cstdint>
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

// An extraction folder: its path (no trailing "/"), and the folder itself,
// open. Whatever is written into it goes through the descriptor: the path
// may lead elsewhere by now, if a folder above the private folder was
// swapped for a link.
struct ExtractionFolder {
    std::string path;
    UniqueFd folder;
    int error = 0; // when there is none: why not (errno)
};

// Creates the extraction folder of one archive inside TempFolderPath(), named
// after the archive's file name; when that name is taken, "NAME (2)",
// "NAME (3)", ... so that two archives of the same name never share a folder.
// The path is empty when none could be created, in the private folder or of
// the private folder itself.
ExtractionFolder createExtractionFolder(const std::string& archivePath);

// Opens an extraction folder again through the private folder held open,
// never along its path, and never through a link. -1 with errno set when it
// cannot be opened (EINVAL: path is no extraction folder).
int openExtractionFolder(const std::string& path);

// The free space of the file system that holds TempFolderPath(); 0 when
// there is no private folder.
uint64_t tempFolderFreeSpace();

// Whether path names a folder directly inside TempFolderPath(): the only
// folders the cleanups may delete.
bool isExtractionFolder(const std::string& path);

// Deletes an extraction folder with everything in it, working inside the
// private folder held open, so that no link anywhere on the path is ever
// followed. Anything that is no extraction folder is left alone.
bool deleteExtractionFolder(const std::string& path);

} // namespace ferrolux
