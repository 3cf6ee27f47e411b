#pragma once

#include <string>

namespace ferrolux {

// Why a file or folder the walk met was not searched.
enum class NotSearchedReason {
    CannotRead,           // no permission, or another error of the system (see `error`)
    Vanished,             // gone between the walk and the search
    WouldBlock,           // a read of it would have waited
    PathTooLong,          // longer than the system takes
    LinkLoop,             // symbolic links that lead back into themselves
    DescriptorsExhausted, // the process could open no more files
    StreamFile,           // a kernel file whose reading consumes what it holds
    ArchiveDamaged,       // an archive that could not be opened or read
    ArchiveEncrypted,     // an archive whose entries the password does not open
    ArchiveTooLarge,      // an archive past what one search may extract
    ArchiveTooManyEntries,
    TempFolderUnwritable, // no folder for the archive's files could be written
};

// One file or folder that was not searched, and why.
struct NotSearched {
    std::string path; // bytes, as the file system has them
    NotSearchedReason reason = NotSearchedReason::CannotRead;
    int error = 0; // the system's error number, when there is one

    bool operator==(const NotSearched&) const = default;
};

// The reason an open or read that failed with the system's error number gives.
NotSearchedReason notSearchedReasonFor(int error);

} // namespace ferrolux
