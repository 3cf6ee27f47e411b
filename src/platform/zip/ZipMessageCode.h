#pragma once

namespace ferrolux {

// Codes an extractor passes to its message handler: 0 is information,
// anything else a problem. The extractors of other archive formats report
// with the same codes.
enum ZipMessageCode : int {
    ZipInformation = 0,
    ZipCannotOpen = 1,     // the archive cannot be read as an archive
    ZipEntryFailed = 2,    // an entry cannot be read: method, CRC, damage
    ZipEntryOversized = 3, // an entry inflates past its declared size
    ZipTooManyEntries = 4, // more entries than MaxEntries
    ZipTooLarge = 5,       // would write more than the size limit or the free space
    ZipCannotWrite = 6,    // the extraction folder or a file in it cannot be written
    ZipEncrypted = 7,      // an encrypted entry the password does not open
};

} // namespace ferrolux
